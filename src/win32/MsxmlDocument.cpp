// The DOM component behind the XML document port. Saving writes a temporary
// file beside the target and moves it over the target, so the old baseline
// survives any failure; loading is synchronous and drops whitespace-only text,
// while a document being built keeps it, since the file's indentation is made
// of such text nodes.
#include "win32/MsxmlDocument.h"

#include <stdexcept>

#include "win32/BStr.h"
#include "win32/CheckedCall.h"
#include "win32/Cp936.h"
#include "win32/Variant.h"
#include "win32/Win32FileStore.h"

namespace topo::win32 {

namespace {

BStr Wide(const std::string& text) { return BStr(WideFromCp936(text)); }

// A VARIANT that lends a node to insertBefore, or VT_NULL for "at the end".
Variant NodeVariant(IXMLDOMNode* node) {
  Variant v;
  VARIANT* raw = v.Put();
  if (node) {
    raw->vt = VT_UNKNOWN;
    raw->punkVal = node;
    node->AddRef();  // the Variant releases it
  } else {
    raw->vt = VT_NULL;
  }
  return v;
}

}  // namespace

MsxmlDocument::MsxmlDocument(FileStepHook hook) : hook_(std::move(hook)) {
  Check(CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                         doc_.PutVoid()),
        "CoCreateInstance DOMDocument");
  Check(doc_->put_async(VARIANT_FALSE), "IXMLDOMDocument::put_async");
  Check(doc_->put_validateOnParse(VARIANT_FALSE), "IXMLDOMDocument::put_validateOnParse");
  Check(doc_->put_resolveExternals(VARIANT_FALSE), "IXMLDOMDocument::put_resolveExternals");
  Check(doc_->put_preserveWhiteSpace(VARIANT_TRUE), "IXMLDOMDocument::put_preserveWhiteSpace");
  ComPtr<IXMLDOMNode> root = doc_.As<IXMLDOMNode>(IID_IXMLDOMNode);
  if (!root) throw EHostCallError("IXMLDOMDocument::QueryInterface IXMLDOMNode", E_NOINTERFACE);
  nodes_.push_back(std::move(root));
}

XmlDocumentFactory MsxmlDocument::Factory(FileStepHook hook) {
  return [hook] { return std::make_unique<MsxmlDocument>(hook); };
}

IXMLDOMNode* MsxmlDocument::NodeOf(XmlNode handle) const {
  const uintptr_t id = handle.Id();
  if (id == 0 || id > nodes_.size()) throw std::invalid_argument("not a node of this document");
  return nodes_[id - 1].Get();
}

template <class T>
XmlNode MsxmlDocument::Keep(ComPtr<T> node, const char* operation) {
  if (!node) return XmlNode();
  ComPtr<IXMLDOMNode> base = node.template As<IXMLDOMNode>(IID_IXMLDOMNode);
  if (!base) throw EHostCallError(operation, E_NOINTERFACE);
  nodes_.push_back(std::move(base));
  return XmlNode(nodes_.size());
}

XmlNode MsxmlDocument::Root() { return XmlNode(1); }

XmlNode MsxmlDocument::CreateProcessingInstruction(const std::string& target,
                                                   const std::string& data) {
  ComPtr<IXMLDOMProcessingInstruction> pi;
  const char* operation = "IXMLDOMDocument::createProcessingInstruction";
  Check(doc_->createProcessingInstruction(Wide(target).Get(), Wide(data).Get(), pi.Put()),
        operation);
  return Keep(std::move(pi), operation);
}

XmlNode MsxmlDocument::CreateElement(const std::string& name) {
  ComPtr<IXMLDOMElement> element;
  const char* operation = "IXMLDOMDocument::createElement";
  Check(doc_->createElement(Wide(name).Get(), element.Put()), operation);
  return Keep(std::move(element), operation);
}

// Some implementations of the component turn a carriage return handed to
// createTextNode or put_text into a line feed, which would change the file's
// "\r\t" indentation; a node value is kept as given.
XmlNode MsxmlDocument::CreateTextNode(const std::string& text) {
  ComPtr<IXMLDOMText> node;
  const char* operation = "IXMLDOMDocument::createTextNode";
  Check(doc_->createTextNode(BStr(L"").Get(), node.Put()), operation);
  Check(node->put_nodeValue(Variant::String(WideFromCp936(text)).Get()),
        "IXMLDOMText::put_nodeValue");
  return Keep(std::move(node), operation);
}

void MsxmlDocument::AppendChild(XmlNode parent, XmlNode child) {
  ComPtr<IXMLDOMNode> added;
  Check(NodeOf(parent)->appendChild(NodeOf(child), added.Put()), "IXMLDOMNode::appendChild");
}

void MsxmlDocument::InsertBefore(XmlNode parent, XmlNode child, XmlNode before) {
  ComPtr<IXMLDOMNode> added;
  Variant reference = NodeVariant(before ? NodeOf(before) : nullptr);
  Check(NodeOf(parent)->insertBefore(NodeOf(child), reference.Get(), added.Put()),
        "IXMLDOMNode::insertBefore");
}

XmlNode MsxmlDocument::FirstChild(XmlNode parent) {
  ComPtr<IXMLDOMNode> child;
  const char* operation = "IXMLDOMNode::get_firstChild";
  Check(NodeOf(parent)->get_firstChild(child.Put()), operation);
  return Keep(std::move(child), operation);
}

void MsxmlDocument::SetText(XmlNode element, const std::string& text) {
  IXMLDOMNode* node = NodeOf(element);
  while (true) {
    ComPtr<IXMLDOMNode> child;
    Check(node->get_firstChild(child.Put()), "IXMLDOMNode::get_firstChild");
    if (!child) break;
    ComPtr<IXMLDOMNode> removed;
    Check(node->removeChild(child.Get(), removed.Put()), "IXMLDOMNode::removeChild");
  }
  if (!text.empty()) AppendChild(element, CreateTextNode(text));
}

std::string MsxmlDocument::Text(XmlNode node) {
  BStr text;
  Check(NodeOf(node)->get_text(text.Put()), "IXMLDOMNode::get_text");
  return Cp936FromWide(text.Str());
}

bool MsxmlDocument::Load(const std::string& path) {
  Check(doc_->put_preserveWhiteSpace(VARIANT_FALSE), "IXMLDOMDocument::put_preserveWhiteSpace");
  VARIANT_BOOL success = VARIANT_FALSE;
  const HRESULT result = doc_->load(Variant::String(WideFromCp936(path)).Get(), &success);
  // A missing or broken file is S_FALSE or an error result: not loaded,
  // which the caller treats as no baseline rather than as a failure.
  return result == S_OK && success == VARIANT_TRUE;
}

void MsxmlDocument::Save(const std::string& path) {
  TemporaryFile file(WideFromCp936(path), hook_);
  file.Close();
  Check(doc_->save(Variant::String(file.Path()).Get()), "IXMLDOMDocument::save");
  file.Reached(FileStep::kWritten);
  file.MoveOverTarget();
}

XmlNode MsxmlDocument::DocumentElement() {
  ComPtr<IXMLDOMElement> element;
  const char* operation = "IXMLDOMDocument::get_documentElement";
  Check(doc_->get_documentElement(element.Put()), operation);
  return Keep(std::move(element), operation);
}

XmlNode MsxmlDocument::FirstElementFrom(ComPtr<IXMLDOMNode> node) {
  while (node) {
    DOMNodeType type = NODE_INVALID;
    Check(node->get_nodeType(&type), "IXMLDOMNode::get_nodeType");
    if (type == NODE_ELEMENT) return Keep(std::move(node), "IXMLDOMNode");
    ComPtr<IXMLDOMNode> next;
    Check(node->get_nextSibling(next.Put()), "IXMLDOMNode::get_nextSibling");
    node = std::move(next);
  }
  return XmlNode();
}

XmlNode MsxmlDocument::FirstChildElement(XmlNode parent) {
  ComPtr<IXMLDOMNode> child;
  Check(NodeOf(parent)->get_firstChild(child.Put()), "IXMLDOMNode::get_firstChild");
  return FirstElementFrom(std::move(child));
}

XmlNode MsxmlDocument::NextSiblingElement(XmlNode node) {
  ComPtr<IXMLDOMNode> next;
  Check(NodeOf(node)->get_nextSibling(next.Put()), "IXMLDOMNode::get_nextSibling");
  return FirstElementFrom(std::move(next));
}

XmlNode MsxmlDocument::SelectFirst(XmlNode context, const std::string& path) {
  ComPtr<IXMLDOMNode> found;
  const char* operation = "IXMLDOMNode::selectSingleNode";
  Check(NodeOf(context)->selectSingleNode(Wide(path).Get(), found.Put()), operation);
  return Keep(std::move(found), operation);
}

}  // namespace topo::win32
