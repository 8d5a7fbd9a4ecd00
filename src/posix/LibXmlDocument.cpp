// libxml2 behind the XML document port. Saving goes to memory first and then
// through the file store, so the file on disk is replaced in one step or not
// at all. Loading never expands user-defined entities into the texts it
// returns, so a small hostile file cannot blow up into gigabytes of text.
#include "posix/LibXmlDocument.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <stdexcept>
#include <vector>

#include "posix/StdFileStore.h"

namespace topo {

namespace {

const xmlChar* Chars(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

bool IsElement(const xmlNode* node) { return node->type == XML_ELEMENT_NODE; }

xmlNode* ElementFrom(xmlNode* node) {
  while (node && !IsElement(node)) node = node->next;
  return node;
}

bool NameIs(const xmlNode* node, const std::string& name) {
  std::string qualified;
  if (node->ns && node->ns->prefix) {
    qualified = reinterpret_cast<const char*>(node->ns->prefix);
    qualified += ':';
  }
  qualified += reinterpret_cast<const char*>(node->name);
  return qualified == name;
}

// The first element in document order reached by steps[i..] below context.
xmlNode* Find(xmlNode* context, const std::vector<std::string>& steps, size_t i) {
  for (xmlNode* c = ElementFrom(context->children); c; c = ElementFrom(c->next)) {
    if (!NameIs(c, steps[i])) continue;
    if (i + 1 == steps.size()) return c;
    if (xmlNode* found = Find(c, steps, i + 1)) return found;
  }
  return nullptr;
}

// Text and CDATA below node in document order. Entity references are not
// followed: their content belongs to the declaration, not to this node.
void CollectText(const xmlNode* node, std::string& out) {
  if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
    if (node->content) out += reinterpret_cast<const char*>(node->content);
    return;
  }
  if (node->type == XML_ENTITY_REF_NODE) return;
  // Iterative, so a deeply nested file cannot exhaust the stack.
  const xmlNode* c = node->children;
  while (c) {
    if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
      if (c->content) out += reinterpret_cast<const char*>(c->content);
    } else if (c->type == XML_ELEMENT_NODE && c->children) {
      c = c->children;
      continue;
    }
    while (!c->next) {
      c = c->parent;
      if (!c || c == node) return;
    }
    c = c->next;
  }
}

int WriteToString(void* context, const char* buffer, int length) {
  static_cast<std::string*>(context)->append(buffer, static_cast<size_t>(length));
  return length;
}

int CloseNothing(void*) { return 0; }

}  // namespace

void LibXmlDocument::DocFree::operator()(_xmlDoc* doc) const { xmlFreeDoc(doc); }

LibXmlDocument::LibXmlDocument() : doc_(xmlNewDoc(Chars("1.0"))) {
  if (!doc_) throw std::bad_alloc();
}

LibXmlDocument::~LibXmlDocument() { FreeLoose(); }

XmlDocumentFactory LibXmlDocument::Factory() {
  return [] { return std::make_unique<LibXmlDocument>(); };
}

void LibXmlDocument::FreeLoose() {
  // Find every detached root before freeing any: freeing one frees the
  // loose nodes below it too.
  std::vector<xmlNode*> roots;
  for (xmlNode* node : loose_) {
    if (!node->parent) roots.push_back(node);
  }
  loose_.clear();
  for (xmlNode* node : roots) xmlFreeNode(node);
}

xmlNode* LibXmlDocument::NodeOf(XmlNode handle) const {
  auto* node = reinterpret_cast<xmlNode*>(handle.Id());
  if (!node || node->doc != doc_.get()) throw std::invalid_argument("not a node of this document");
  return node;
}

XmlNode LibXmlDocument::Keep(xmlNode* created) {
  if (!created) throw std::bad_alloc();
  loose_.insert(created);
  return XmlNode(reinterpret_cast<uintptr_t>(created));
}

XmlNode LibXmlDocument::Root() { return XmlNode(reinterpret_cast<uintptr_t>(doc_.get())); }

XmlNode LibXmlDocument::CreateProcessingInstruction(const std::string& target,
                                                    const std::string& data) {
  return Keep(xmlNewDocPI(doc_.get(), Chars(text_.Utf8FromCp936(target)),
                          Chars(text_.Utf8FromCp936(data))));
}

XmlNode LibXmlDocument::CreateElement(const std::string& name) {
  const std::string utf8 = text_.Utf8FromCp936(name);
  if (xmlValidateName(Chars(utf8), 0) != 0) throw std::invalid_argument("bad element name");
  return Keep(xmlNewDocNode(doc_.get(), nullptr, Chars(utf8), nullptr));
}

XmlNode LibXmlDocument::CreateTextNode(const std::string& text) {
  return Keep(xmlNewDocText(doc_.get(), Chars(text_.Utf8FromCp936(text))));
}

void LibXmlDocument::AppendChild(XmlNode parent, XmlNode child) {
  InsertBefore(parent, child, XmlNode());
}

// Links by hand: libxml2's own insertion merges adjacent text nodes and
// frees one of them, which would leave a dangling handle.
void LibXmlDocument::InsertBefore(XmlNode parentHandle, XmlNode childHandle, XmlNode beforeHandle) {
  xmlNode* parent = NodeOf(parentHandle);
  xmlNode* child = NodeOf(childHandle);
  xmlNode* before = beforeHandle ? NodeOf(beforeHandle) : nullptr;
  if (child->type == XML_DOCUMENT_NODE) throw std::invalid_argument("the document is no child");
  if (parent->type != XML_ELEMENT_NODE && parent->type != XML_DOCUMENT_NODE) {
    throw std::invalid_argument("only elements and the document have children");
  }
  for (const xmlNode* up = parent; up; up = up->parent) {
    if (up == child) throw std::invalid_argument("a node cannot contain itself");
  }
  if (before && before->parent != parent) throw std::invalid_argument("not a child of parent");
  if (before == child) return;
  xmlUnlinkNode(child);
  child->parent = parent;
  if (before) {
    child->next = before;
    child->prev = before->prev;
    if (before->prev) {
      before->prev->next = child;
    } else {
      parent->children = child;
    }
    before->prev = child;
  } else {
    child->next = nullptr;
    child->prev = parent->last;
    if (parent->last) {
      parent->last->next = child;
    } else {
      parent->children = child;
    }
    parent->last = child;
  }
}

XmlNode LibXmlDocument::FirstChild(XmlNode parent) {
  return XmlNode(reinterpret_cast<uintptr_t>(NodeOf(parent)->children));
}

void LibXmlDocument::SetText(XmlNode element, const std::string& text) {
  xmlNode* node = NodeOf(element);
  if (node->type != XML_ELEMENT_NODE) throw std::invalid_argument("text is set on elements only");
  // The old children are detached, not freed: a handle may still name them.
  while (xmlNode* c = node->children) {
    xmlUnlinkNode(c);
    loose_.insert(c);
  }
  if (text.empty()) return;
  XmlNode content = CreateTextNode(text);
  AppendChild(element, content);
}

std::string LibXmlDocument::Text(XmlNode node) {
  std::string utf8;
  CollectText(NodeOf(node), utf8);
  return text_.Cp936FromUtf8(utf8);
}

bool LibXmlDocument::Load(const std::string& path) {
  xmlDoc* parsed =
      xmlReadFile(text_.Utf8FromCp936(path).c_str(), nullptr,
                  XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!parsed) return false;
  FreeLoose();
  doc_.reset(parsed);
  return true;
}

void LibXmlDocument::Save(const std::string& path) {
  // The declaration is the "xml" processing instruction the caller put
  // first; libxml2 would otherwise write a second one of its own.
  std::string bytes;
  xmlSaveCtxt* save = xmlSaveToIO(WriteToString, CloseNothing, &bytes, "UTF-16", XML_SAVE_NO_DECL);
  if (!save) throw std::runtime_error("cannot serialize the XML document");
  const long written = xmlSaveDoc(save, doc_.get());
  if (xmlSaveClose(save) < 0 || written < 0) {
    throw std::runtime_error("cannot serialize the XML document");
  }
  StdFileStore().ReplaceFile(text_.Utf8FromCp936(path), bytes);
}

XmlNode LibXmlDocument::DocumentElement() {
  return XmlNode(reinterpret_cast<uintptr_t>(xmlDocGetRootElement(doc_.get())));
}

XmlNode LibXmlDocument::FirstChildElement(XmlNode parent) {
  return XmlNode(reinterpret_cast<uintptr_t>(ElementFrom(NodeOf(parent)->children)));
}

XmlNode LibXmlDocument::NextSiblingElement(XmlNode node) {
  return XmlNode(reinterpret_cast<uintptr_t>(ElementFrom(NodeOf(node)->next)));
}

XmlNode LibXmlDocument::SelectFirst(XmlNode context, const std::string& path) {
  std::vector<std::string> steps;
  const std::string utf8 = text_.Utf8FromCp936(path);
  size_t start = 0;
  while (true) {
    const size_t slash = utf8.find('/', start);
    steps.push_back(utf8.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  for (const std::string& step : steps) {
    if (step.empty()) throw std::invalid_argument("empty step in path " + path);
  }
  return XmlNode(reinterpret_cast<uintptr_t>(Find(NodeOf(context), steps, 0)));
}

}  // namespace topo
