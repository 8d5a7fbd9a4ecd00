// Reads a saved baseline back with libxml2 directly, not through the document
// port, keeping every whitespace text node: what the tests compare with the
// tree a save must write. Header only, shared by the native tests and the
// cross-check tool.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <string>

#include "SampleBaseline.h"

namespace topo::sample {

struct ParsedFile {
  bool wellFormed = false;
  std::string encoding;  // as the declaration names it
  Tree nodes;
};

inline void WalkLibXml(const xmlNode* node, Tree& out) {
  for (; node; node = node->next) {
    const char* name = reinterpret_cast<const char*>(node->name);
    if (node->type == XML_ELEMENT_NODE) {
      out.push_back(std::string("<") + name + ">");
      WalkLibXml(node->children, out);
      out.push_back(std::string("</") + name + ">");
    } else if (node->type == XML_TEXT_NODE) {
      out.push_back("\"" + Visible(reinterpret_cast<const char*>(node->content)) + "\"");
    } else {
      out.push_back("other node " + std::to_string(node->type));
    }
  }
}

inline ParsedFile ParseKeepingWhitespace(const std::string& path) {
  ParsedFile result;
  xmlDoc* doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
  if (!doc) return result;
  result.wellFormed = true;
  if (doc->encoding) result.encoding = reinterpret_cast<const char*>(doc->encoding);
  WalkLibXml(doc->children, result.nodes);
  xmlFreeDoc(doc);
  return result;
}

}  // namespace topo::sample
