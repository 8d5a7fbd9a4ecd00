// The XML document port on libxml2, so the baseline is read and written by the
// native tests, the fuzzer and the cross-check against the Windows build. It
// keeps the DOM's rules where libxml2 differs: adjacent text nodes stay
// separate, and no node is freed while a handle to it may still be used.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>

#include "model/XmlDocument.h"
#include "posix/Cp936Converter.h"

struct _xmlDoc;
struct _xmlNode;

namespace topo {

class LibXmlDocument : public XmlDocument {
 public:
  LibXmlDocument();
  ~LibXmlDocument() override;
  LibXmlDocument(const LibXmlDocument&) = delete;
  LibXmlDocument& operator=(const LibXmlDocument&) = delete;

  static XmlDocumentFactory Factory();

  XmlNode Root() override;
  XmlNode CreateProcessingInstruction(const std::string& target, const std::string& data) override;
  XmlNode CreateElement(const std::string& name) override;
  XmlNode CreateTextNode(const std::string& text) override;
  void AppendChild(XmlNode parent, XmlNode child) override;
  void InsertBefore(XmlNode parent, XmlNode child, XmlNode before) override;
  XmlNode FirstChild(XmlNode parent) override;
  void SetText(XmlNode element, const std::string& text) override;
  std::string Text(XmlNode node) override;
  bool Load(const std::string& path) override;
  // Throws std::runtime_error when serializing fails, std::system_error when
  // the file cannot be written.
  void Save(const std::string& path) override;
  XmlNode DocumentElement() override;
  XmlNode FirstChildElement(XmlNode parent) override;
  XmlNode NextSiblingElement(XmlNode node) override;
  XmlNode SelectFirst(XmlNode context, const std::string& path) override;

 private:
  struct DocFree {
    void operator()(_xmlDoc* doc) const;
  };
  std::unique_ptr<_xmlDoc, DocFree> doc_;
  // Nodes that are or may become detached from the tree; the ones still
  // detached at the end are freed with everything below them.
  std::unordered_set<_xmlNode*> loose_;
  Cp936Converter text_;

  _xmlNode* NodeOf(XmlNode handle) const;
  XmlNode Keep(_xmlNode* created);
  void FreeLoose();
};

}  // namespace topo
