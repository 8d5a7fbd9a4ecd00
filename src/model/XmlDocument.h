// The XML document model the baseline file is read and written through. The
// shell implements it with the system's DOM component, the native build with
// libxml2; a file written by either must load in the other. Texts cross this
// port as the model's code page 936 byte strings: each implementation converts
// to and from the Unicode its library keeps, so the core needs no converter.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace topo {

// A node of one document: a plain value the document hands out and keeps
// valid for its own lifetime. The empty handle means "no such node".
class XmlNode {
 public:
  XmlNode() = default;
  explicit XmlNode(uintptr_t id) : id_(id) {}
  uintptr_t Id() const { return id_; }
  explicit operator bool() const { return id_ != 0; }
  friend bool operator==(XmlNode a, XmlNode b) { return a.id_ == b.id_; }
  friend bool operator!=(XmlNode a, XmlNode b) { return a.id_ != b.id_; }

 private:
  uintptr_t id_ = 0;
};

// Every operation but Load throws on a failure of the underlying library; a
// handle from another document, or the empty handle where a node is needed,
// is a failure too.
class XmlDocument {
 public:
  virtual ~XmlDocument() = default;

  // The document itself, as the parent of its top-level nodes.
  virtual XmlNode Root() = 0;
  virtual XmlNode CreateProcessingInstruction(const std::string& target,
                                              const std::string& data) = 0;
  virtual XmlNode CreateElement(const std::string& name) = 0;
  virtual XmlNode CreateTextNode(const std::string& text) = 0;
  virtual void AppendChild(XmlNode parent, XmlNode child) = 0;
  // Inserts child ahead of before, or at the end when before is empty.
  virtual void InsertBefore(XmlNode parent, XmlNode child, XmlNode before) = 0;
  // The first child of any kind; empty when there is none.
  virtual XmlNode FirstChild(XmlNode parent) = 0;
  // Replaces the element's content by one text.
  virtual void SetText(XmlNode element, const std::string& text) = 0;
  // The text of the node and everything below it.
  virtual std::string Text(XmlNode node) = 0;

  // Parses the file; false when it is missing, unreadable or not well formed.
  // Whitespace-only text between elements is not kept.
  virtual bool Load(const std::string& path) = 0;
  // Writes UTF-16 with a byte-order mark (the encoding the baseline's
  // declaration names) through a temporary file beside the target, so a
  // failure part-way leaves the previous file as it was.
  virtual void Save(const std::string& path) = 0;

  virtual XmlNode DocumentElement() = 0;
  virtual XmlNode FirstChildElement(XmlNode parent) = 0;
  virtual XmlNode NextSiblingElement(XmlNode node) = 0;
  // The first element below context matching a relative path of element
  // names separated by "/", such as "ParentARs/ParentAR".
  virtual XmlNode SelectFirst(XmlNode context, const std::string& path) = 0;
};

// A fresh document for each load or save.
using XmlDocumentFactory = std::function<std::unique_ptr<XmlDocument>()>;

}  // namespace topo
