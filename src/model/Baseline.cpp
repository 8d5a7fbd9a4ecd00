// The baseline file: the saved picture of the network that the window reads at
// start-up. Its readers depend on the exact tree, the whitespace text nodes
// that indent it included, and the reader is lenient on purpose: whatever a
// damaged file still holds is loaded, and a missing field falls back to the
// default box instead of failing the load.
#include <stdexcept>

#include "model/Nodes.h"
#include "model/TextFields.h"

namespace topo {

namespace {

constexpr const char* kDeclarationData = "version='1.0' encoding='UTF-16'";

// XML 1.0 cannot carry control characters other than tab, line feed and
// carriage return, not even as character references, so a name holding one
// would make the whole file unreadable. They are left out instead. Code page
// 936 trail bytes are never below 0x40, so these bytes are characters of
// their own.
std::string XmlText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') continue;
    out += c;
  }
  return out;
}

std::string ActiveText(const TActiveFlags& flags) {
  std::string text;
  text.reserve(flags.size() * 2);
  for (uint8_t flag : flags) text += flag != 0 ? "1," : "0,";
  return text;
}

std::string RectText(const TRect& box) {
  return std::to_string(box.Left) + "," + std::to_string(box.Top);
}

class Writer {
 public:
  explicit Writer(XmlDocument& document) : doc_(document) {}

  void Text(XmlNode parent, const char* text) {
    doc_.AppendChild(parent, doc_.CreateTextNode(text));
  }
  XmlNode Element(XmlNode parent, const char* name) {
    XmlNode element = doc_.CreateElement(name);
    doc_.AppendChild(parent, element);
    return element;
  }
  void Field(XmlNode parent, const char* name, const std::string& text) {
    XmlNode element = doc_.CreateElement(name);
    doc_.SetText(element, XmlText(text));
    doc_.AppendChild(parent, element);
  }

  // "ParentARs" and "SubARs": only the names of the entries are kept.
  void LinkList(XmlNode node, const char* listName, const char* itemName,
                const TLinkNodeList& links) {
    if (links.Count() == 0) return;
    Text(node, "\r\t\t");
    XmlNode list = Element(node, listName);
    for (int32_t i = 0; i < links.Count(); ++i) {
      Text(list, "\r\t\t\t");
      XmlNode item = Element(list, itemName);
      Text(item, "\r\t\t\t\t");
      Field(item, "Name", links.Items(i).Name());
      Text(item, "\r\t\t\t");
    }
    Text(list, "\r\t\t");
  }

  void ServerList(XmlNode node, const TLinkNodeList& servers) {
    if (servers.Count() == 0) return;
    Text(node, "\r\t\t");
    XmlNode list = Element(node, "SubASs");
    for (int32_t i = 0; i < servers.Count(); ++i) {
      const TLinkNode& server = servers.Items(i);
      Text(list, "\r\t\t\t");
      XmlNode item = Element(list, "SubAS");
      Text(item, "\r\t\t\t\t");
      Field(item, "Name", server.Name());
      Text(item, "\r\t\t\t\t");
      Field(item, "Active", ActiveText(server.ActiveFlags));
      Text(item, "\r\t\t\t\t");
      Field(item, "Rect", RectText(server.Rect));
      Text(item, "\r\t\t\t");
    }
    Text(list, "\r\t\t");
  }

  void Node(XmlNode parent, const TARNode& node) {
    XmlNode element = Element(parent, "ARNode");
    Text(element, "\r\t\t");
    Field(element, "Name", node.Name());
    Text(element, "\r\t\t");
    Field(element, "Active", ActiveText(node.ActiveFlags));
    Text(element, "\r\t\t");
    Field(element, "Rect", RectText(node.Rect));
    LinkList(element, "ParentARs", "ParentAR", node.ParentARs);
    LinkList(element, "SubARs", "SubAR", node.SubARs);
    ServerList(element, node.SubASs);
    Text(element, "\r\t");
  }

 private:
  XmlDocument& doc_;
};

std::unique_ptr<XmlDocument> NewDocument(const XmlDocumentFactory& newDocument) {
  std::unique_ptr<XmlDocument> document = newDocument ? newDocument() : nullptr;
  if (!document) throw std::runtime_error("no XML document could be created");
  return document;
}

std::string FieldText(XmlDocument& document, XmlNode element, const char* name) {
  XmlNode field = document.SelectFirst(element, name);
  return field ? document.Text(field) : std::string();
}

}  // namespace

void TARNodeList::SaveToFile(const std::string& path, const XmlDocumentFactory& newDocument) const {
  std::unique_ptr<XmlDocument> document = NewDocument(newDocument);
  XmlDocument& doc = *document;
  const XmlNode root = doc.Root();
  doc.InsertBefore(root, doc.CreateProcessingInstruction("xml", kDeclarationData),
                   doc.FirstChild(root));
  Writer writer(doc);
  // Filled before it joins the document.
  const XmlNode nodes = doc.CreateElement("ARNodes");
  for (const auto& node : nodes_) {
    writer.Text(nodes, "\r\t");
    writer.Node(nodes, *node);
  }
  writer.Text(nodes, "\r");
  doc.AppendChild(root, nodes);
  doc.Save(path);
}

TARNodeList::TNodeElement TARNodeList::ReadNodeElement(XmlDocument& document, XmlNode element) {
  TNodeElement result;
  result.Name = std::string(TrimBlanks(FieldText(document, element, "Name")));
  // Only the left and top edges are stored: "left,top", further fields ignored.
  const std::string rect = FieldText(document, element, "Rect") + ",,";
  const size_t first = rect.find(',');
  const size_t second = rect.find(',', first + 1);
  const std::string_view text(rect);
  const int32_t left = ParseInt32(text.substr(0, first)).value_or(kDefaultBox.Left);
  const int32_t top =
      ParseInt32(text.substr(first + 1, second - first - 1)).value_or(kDefaultBox.Top);
  result.Rect = {left, top, WrapAdd(left, kBoxWidth), WrapAdd(top, kBoxHeight)};
  return result;
}

void TARNodeList::LoadFromFile(const std::string& path, const XmlDocumentFactory& newDocument) {
  std::unique_ptr<XmlDocument> document = NewDocument(newDocument);
  XmlDocument& doc = *document;
  if (!doc.Load(path)) return;
  const XmlNode top = doc.DocumentElement();
  if (!top) return;
  const TActiveFlags none{};
  // Neither the document element's name nor its children's are examined:
  // every child element is an AR node, every sibling after the first entry
  // an entry of the same list.
  for (XmlNode x = doc.FirstChildElement(top); x; x = doc.NextSiblingElement(x)) {
    const TNodeElement read = ReadNodeElement(doc, x);
    const int32_t p = AddOrUpdateAR(read.Name, 0, none, 0);
    TARNode& node = *nodes_[static_cast<size_t>(p)];
    node.Rect = read.Rect;

    const auto readList = [&](const char* selection, TLinkNodeList& list, auto add) {
      for (XmlNode e = doc.SelectFirst(x, selection); e; e = doc.NextSiblingElement(e)) {
        const TNodeElement entry = ReadNodeElement(doc, e);
        const int32_t q = add(entry.Name);
        if (q >= 0) list.Items(q).Rect = entry.Rect;
      }
    };
    readList("ParentARs/ParentAR", node.ParentARs,
             [&](const std::string& name) { return AddOrUpdateParentAR(p, name, 0, none, 0); });
    readList("SubARs/SubAR", node.SubARs,
             [&](const std::string& name) { return AddOrUpdateSubAR(p, name, 0, none, 0); });
    readList("SubASs/SubAS", node.SubASs,
             [&](const std::string& name) { return AddOrUpdateSubAS(p, name, 0, none, 0); });
  }
}

}  // namespace topo
