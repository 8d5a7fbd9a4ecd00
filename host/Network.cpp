// The network's current shape: finding nodes, the topology report, and the
// start, stop and restart commands. A command changes the network at once,
// so the very next report shows it.
#include "host/Network.h"

#include <algorithm>
#include <map>

#include "host/Lists.h"

namespace arhost {

namespace {

std::wstring FlagsText(const Instances& up) {
  std::wstring out;
  for (size_t k = 0; k < up.size(); ++k)
    out += (k ? L"," : L"") + std::wstring(up[k] ? L"1" : L"0");
  return out;
}

}  // namespace

ArNode* Network::FindAR(const std::wstring& name) {
  for (auto& n : nodes_)
    if (n.name == name) return &n;
  return nullptr;
}

const ArNode* Network::FindAR(const std::wstring& name) const {
  return const_cast<Network*>(this)->FindAR(name);
}

AsNode* Network::FindAS(const std::wstring& name, ArNode** holder) {
  for (auto& n : nodes_)
    for (auto& s : n.servers)
      if (s.name == name) {
        if (holder) *holder = &n;
        return &s;
      }
  return nullptr;
}

std::vector<std::wstring> Network::Children(const std::wstring& name) const {
  std::vector<std::wstring> out;
  for (const auto& n : nodes_)
    if (std::find(n.parents.begin(), n.parents.end(), name) != n.parents.end())
      out.push_back(n.name);
  return out;
}

bool Network::Reports(const ArNode& child, const std::wstring& parent) const {
  return !broken_.count({parent, child.name});
}

Packet Network::TopologyReport() const {
  Packet p;
  p.fields = {L"ar", L"ar_active", L"parent_ar", L"sub_ar", L"sub_as", L"as_active"};
  // Children by parent, gathered in one pass: asking Children() per node
  // would make a report of a large network quadratic.
  std::map<std::wstring, std::vector<std::wstring>> children;
  for (const auto& n : nodes_)
    if (n.present)
      for (const auto& parent : n.parents) children[parent].push_back(n.name);
  static const std::vector<std::wstring> kNone;
  for (const auto& n : nodes_) {
    if (!n.present) continue;
    auto found = children.find(n.name);
    const std::vector<std::wstring>& mine = found == children.end() ? kNone : found->second;
    std::vector<std::wstring> parents, servers, groups;
    for (const auto& parent : n.parents) {
      const ArNode* known = FindAR(parent);
      if (Reports(n, parent) && known && known->present) parents.push_back(parent);
    }
    for (const auto& s : n.servers) {
      if (!s.present) continue;
      servers.push_back(s.name);
      groups.push_back(FlagsText(s.up));
    }
    p.rows.push_back({Value(n.name), Value(FlagsText(n.up)), Value(Join(parents, L",")),
                      Value(Join(mine, L",")), Value(Join(servers, L",")),
                      Value(Join(groups, L";"))});
  }
  return p;
}

const Instances* Network::Target(int32_t addressKind, const std::wstring& address, int* instance,
                                 const ArNode** ar, const AsNode** as) const {
  std::vector<std::wstring> parts = Split(address, L'.');
  size_t want = addressKind == kAddressInstance ? 2 : addressKind == kAddressServer ? 3 : 0;
  const std::optional<int32_t> n = want ? Number(parts.back()) : std::nullopt;
  if (parts.size() != want || !n || *n < 0 || *n > 9) return nullptr;
  *instance = *n;
  *ar = FindAR(parts[0]);
  *as = nullptr;
  if (!*ar || !(*ar)->present) return nullptr;
  if (want == 2) return &(*ar)->up;
  for (const auto& s : (*ar)->servers)
    if (s.name == parts[1] && s.present) {
      *as = &s;
      return &s.up;
    }
  return nullptr;
}

ControlReply Network::Control(int32_t function, const std::vector<Value>& values,
                              int32_t addressKind, const std::wstring& address) {
  ++version_;
  int adminInstance = 0;
  const ArNode* adminAr = nullptr;
  const AsNode* adminAs = nullptr;
  const Instances* admin = addressKind == kAddressServer
                               ? Target(addressKind, address, &adminInstance, &adminAr, &adminAs)
                               : nullptr;
  if (!admin || !(*admin)[static_cast<size_t>(adminInstance)])
    return {7, L"管理服务器 " + address + L" 不可达"};

  bool withPassword = function != kFnStop;
  size_t count = withPassword ? 4 : 3;
  const int32_t* kind = values.size() == count ? std::get_if<int32_t>(&values[0]) : nullptr;
  const std::wstring* name = kind ? std::get_if<std::wstring>(&values[1]) : nullptr;
  const int32_t* instance = name ? std::get_if<int32_t>(&values[2]) : nullptr;
  const std::wstring* password =
      instance && withPassword ? std::get_if<std::wstring>(&values[3]) : nullptr;
  if (!instance || (withPassword && !password) || (*kind != 0 && *kind != 1))
    return {1, L"请求参数错误"};

  Instances* up = nullptr;
  const std::wstring* expected = nullptr;
  if (*kind == 1) {
    if (AsNode* s = FindAS(*name)) up = &s->up, expected = &s->password;
  } else if (ArNode* a = FindAR(*name)) {
    up = &a->up, expected = &a->password;
  }
  if (!up) return {2, L"节点 " + *name + L" 不存在"};
  if (*instance < 0 || *instance > 9)
    return {3, L"实例号 " + std::to_wstring(*instance) + L" 无效"};
  std::wstring which = *name + L"." + std::to_wstring(*instance);
  bool& running = (*up)[static_cast<size_t>(*instance)];
  if (withPassword && *password != *expected) return {4, *name + L" 的启动密码错误"};
  if (function == kFnStart && running) return {5, which + L" 已在运行"};
  if (function == kFnStop && !running) return {6, which + L" 未运行"};
  running = function != kFnStop;
  return {};
}

}  // namespace arhost
