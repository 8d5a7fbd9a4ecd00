// The enabled-server list: every AR node and every server with an instance
// count, as code page 936 text with CRLF line ends. Readers of the file expect
// its exact spelling, the "tyep" attribute of the AR lines included.
#include "model/FileStore.h"
#include "model/Nodes.h"

namespace topo {

namespace {

constexpr const char* kCrLf = "\r\n";
// "已启用的AR列表" and "已启用的AS列表" in code page 936.
constexpr const char* kARNote =
    "\xd2\xd1\xc6\xf4\xd3\xc3\xb5\xc4"
    "AR\xc1\xd0\xb1\xed";
constexpr const char* kASNote =
    "\xd2\xd1\xc6\xf4\xd3\xc3\xb5\xc4"
    "AS\xc1\xd0\xb1\xed";

// One more than the highest running instance, 1 when none runs.
int InstanceSpan(const TActiveFlags& flags) {
  for (int k = static_cast<int>(flags.size()) - 1; k >= 0; --k) {
    if (flags[static_cast<size_t>(k)] != 0) return k + 1;
  }
  return 1;
}

// Keeps the attribute values well-formed. A code page 936 trail byte is never
// below 0x40, so these four bytes are always characters of their own.
void AppendAttribute(std::string& out, const std::string& value) {
  for (char c : value) {
    switch (c) {
      case '"':
        out += "&#34;";
        break;
      case '&':
        out += "&#38;";
        break;
      case '<':
        out += "&#60;";
        break;
      case '>':
        out += "&#62;";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

std::string TARNodeList::EnabledListText() const {
  std::string ar = std::string("  <AR note=\"") + kARNote + "\">" + kCrLf;
  std::string as = std::string("  <AS note=\"") + kASNote + "\">" + kCrLf;
  for (const auto& node : nodes_) {
    ar += "    <item name=\"";
    AppendAttribute(ar, node->Name());
    ar += "\" num=\"" + std::to_string(InstanceSpan(node->ActiveFlags)) + "\" tyep=\"1\" note=\"";
    AppendAttribute(ar, node->Name());
    ar += "\" />";
    ar += kCrLf;
    for (int32_t i = 0; i < node->SubASs.Count(); ++i) {
      const TLinkNode& server = node->SubASs.Items(i);
      as += "    <item name=\"";
      AppendAttribute(as, server.Name());
      as += "\" num=\"" + std::to_string(InstanceSpan(server.ActiveFlags)) + "\" ar=\"";
      AppendAttribute(as, node->Name());
      as += "\" type=\"1\" note=\"";
      AppendAttribute(as, server.Name());
      as += "\" />";
      as += kCrLf;
    }
  }
  ar += "  </AR>";
  ar += kCrLf;
  as += "  </AS>";
  as += kCrLf;
  return ar + as;
}

void TARNodeList::ExportEnabledList(const std::string& path, FileStore& files) const {
  files.ReplaceFile(path, EnabledListText());
}

}  // namespace topo
