// The XML document port on the system's DOM component, for the baseline file
// inside topo.dll. The document keeps a reference to every node it has handed
// out, so a handle stays valid until the document goes.
#pragma once

#include <msxml2.h>

#include <string>
#include <vector>

#include "model/XmlDocument.h"
#include "win32/ComPtr.h"
#include "win32/Win32FileStore.h"

namespace topo::win32 {

// {F6D90F11-9C73-11D3-B32E-00C04F990BB4}
inline constexpr CLSID kDomDocumentClass = {
    0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};

// Needs COM initialised on the calling thread. Failures throw EHostCallError
// naming the DOM operation.
class MsxmlDocument : public XmlDocument {
 public:
  // hook: told of each step of Save's file replacement.
  explicit MsxmlDocument(FileStepHook hook = {});
  MsxmlDocument(const MsxmlDocument&) = delete;
  MsxmlDocument& operator=(const MsxmlDocument&) = delete;

  static XmlDocumentFactory Factory(FileStepHook hook = {});

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
  void Save(const std::string& path) override;
  XmlNode DocumentElement() override;
  XmlNode FirstChildElement(XmlNode parent) override;
  XmlNode NextSiblingElement(XmlNode node) override;
  XmlNode SelectFirst(XmlNode context, const std::string& path) override;

 private:
  FileStepHook hook_;
  ComPtr<IXMLDOMDocument> doc_;
  std::vector<ComPtr<IXMLDOMNode>> nodes_;  // handle n is nodes_[n - 1]

  IXMLDOMNode* NodeOf(XmlNode handle) const;
  // Takes any node interface, keeps its IXMLDOMNode; empty stays empty.
  template <class T>
  XmlNode Keep(ComPtr<T> node, const char* operation);
  XmlNode FirstElementFrom(ComPtr<IXMLDOMNode> node);
};

}  // namespace topo::win32
