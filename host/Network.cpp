// Scenario parsing and the answers of the simulated AR network. Every answer
// is computed from the current state, so a test can script a failure and
// see it in the very next report.
#include "Network.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <sstream>

#include "model/TextFields.h"
#include "win32/Cp936.h"

namespace arhost {

using topo::win32::Utf8FromWide;
using topo::win32::WideFromUtf8;

ScenarioError::ScenarioError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}

namespace {

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::wstring::npos ? end : end - start));
    if (end == std::wstring::npos) return parts;
    start = end + 1;
  }
}

std::wstring Join(const std::vector<std::wstring>& parts, const wchar_t* separator) {
  std::wstring out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? separator : L"") + parts[i];
  return out;
}

// A decimal instance number, read by the core's integer reader.
std::optional<int32_t> Number(const std::wstring& text) {
  return topo::ParseInt32(Utf8FromWide(text));
}

std::wstring FlagsText(const Instances& up) {
  std::wstring out;
  for (size_t k = 0; k < up.size(); ++k)
    out += (k ? L"," : L"") + std::wstring(up[k] ? L"1" : L"0");
  return out;
}

int UpCount(const Instances& up) {
  return static_cast<int>(std::count(up.begin(), up.end(), true));
}

class LineParser {
 public:
  explicit LineParser(int line) : line_(line) {}
  [[noreturn]] void Fail(const std::string& message) const { throw ScenarioError(line_, message); }

  std::wstring Name(const std::wstring& token) const {
    if (token.empty()) Fail("a name is missing");
    if (token.find_first_of(L",;.") != std::wstring::npos)
      Fail("the name \"" + Utf8FromWide(token) + "\" contains \",\", \";\" or \".\"");
    return token;
  }
  int Instance(const std::wstring& token) const {
    const std::optional<int32_t> v = Number(token);
    if (!v || *v < 0 || *v > 9)
      Fail("instance \"" + Utf8FromWide(token) + "\" is not a number from 0 to 9");
    return *v;
  }
  Instances UpList(const std::wstring& text) const {
    Instances up{};
    if (text.empty() || text == L"-") return up;
    for (const auto& piece : Split(text, L',')) up[static_cast<size_t>(Instance(piece))] = true;
    return up;
  }
  int line() const { return line_; }

 private:
  int line_;
};

// Splits key=value options off a statement; unknown keys are errors so a
// typing mistake does not silently change the network.
struct Options {
  std::vector<std::pair<std::wstring, std::wstring>> items;
  const std::wstring* Get(const std::wstring& key) const {
    for (const auto& [k, v] : items)
      if (k == key) return &v;
    return nullptr;
  }
};

Options ReadOptions(const LineParser& p, const std::vector<std::wstring>& tokens, size_t from,
                    std::initializer_list<const wchar_t*> allowed) {
  Options o;
  for (size_t i = from; i < tokens.size(); ++i) {
    size_t eq = tokens[i].find(L'=');
    if (eq == std::wstring::npos)
      p.Fail("expected key=value, got \"" + Utf8FromWide(tokens[i]) + "\"");
    std::wstring key = tokens[i].substr(0, eq);
    bool known =
        std::any_of(allowed.begin(), allowed.end(), [&](const wchar_t* a) { return key == a; });
    if (!known) p.Fail("unknown option \"" + Utf8FromWide(key) + "\"");
    if (o.Get(key)) p.Fail("option \"" + Utf8FromWide(key) + "\" given twice");
    o.items.emplace_back(key, tokens[i].substr(eq + 1));
  }
  return o;
}

std::vector<std::wstring> Tokens(const std::wstring& line) {
  std::vector<std::wstring> out;
  std::wistringstream in(line);
  for (std::wstring t; in >> t;) out.push_back(t);
  return out;
}

// The management functions an instance answers, with the shape of their table.
// Not every answer is a full table: a module's own id list has one column, a
// state is one row, an empty queue has columns and no rows, and a module with
// no black or white list configured answers with no fields at all.
enum class Shape {
  kInterface,
  kIds,
  kInit,
  kConfig,
  kStats,
  kConnections,
  kList,
  kService,
  kRecord,
  kNames,
  kEmptyQueue,
  kNothing
};
struct StatusFunction {
  int32_t number;
  const wchar_t* module;
  Shape shape;
};
constexpr StatusFunction kStatusFunctions[] = {
    {25632, L"RAWUDP", Shape::kIds},
    {25633, L"RAWUDP", Shape::kInit},
    {25634, L"RAWUDP", Shape::kConfig},
    {25635, L"RAWUDP", Shape::kStats},
    {25664, L"可靠UDP", Shape::kInterface},
    {25665, L"可靠UDP", Shape::kInit},
    {25666, L"可靠UDP", Shape::kConfig},
    {25667, L"可靠UDP", Shape::kStats},
    {25668, L"可靠UDP", Shape::kConnections},
    {25696, L"SESSION", Shape::kInterface},
    {25697, L"SESSION", Shape::kInit},
    {25698, L"SESSION", Shape::kConfig},
    {25699, L"SESSION", Shape::kStats},
    {25700, L"SESSION", Shape::kConnections},
    {25701, L"SESSION", Shape::kNothing},
    {25728, L"CSplit", Shape::kInterface},
    {25729, L"CSplit", Shape::kStats},
    {25730, L"CSplit", Shape::kStats},
    {25731, L"CSplit", Shape::kEmptyQueue},
    {512, L"log", Shape::kRecord},
    {513, L"log", Shape::kConfig},
    {769, L"QXDB", Shape::kList},
    {770, L"QXDB", Shape::kList},
    {1281, L"MDB", Shape::kService},
    {1282, L"MDB", Shape::kList},
    {1284, L"MDB", Shape::kList},
    {1285, L"MDB", Shape::kList},
    {1286, L"MDB", Shape::kList},
    {2049, L"TempMDB", Shape::kNames},
    {2817, L"SessionMgr", Shape::kService},
    {3073, L"PagesQueryMgr", Shape::kService},
    {3329, L"TimerMgr", Shape::kService},
    {3585, L"TaskMgr", Shape::kService},
    {5633, L"AppMgr", Shape::kInterface},
    {5634, L"AppMgr", Shape::kList},
    {5635, L"AppMgr", Shape::kList},
    {5121, L"ICommService", Shape::kService},
    {12545, L"ProcServer", Shape::kList},
    {12546, L"ProcServer", Shape::kList},
    {12547, L"ProcServer", Shape::kConfig},
    {12548, L"ProcServer", Shape::kList},
    {12549, L"ProcServer", Shape::kStats},
};

const StatusFunction* FindStatusFunction(int32_t number) {
  for (const auto& f : kStatusFunctions)
    if (f.number == number) return &f;
  return nullptr;
}

// A stable number per target and function, so repeated queries look like the
// same server while counters still grow with time.
uint32_t Seed(const std::wstring& address, int32_t function) {
  uint32_t h = 2166136261u ^ static_cast<uint32_t>(function);
  for (wchar_t c : address) h = (h ^ static_cast<uint32_t>(c)) * 16777619u;
  return h;
}

Value Text(const std::wstring& s) { return Value(s); }
Value Int(uint32_t v) { return Value(static_cast<int32_t>(v & 0x7FFFFFFF)); }

}  // namespace

Network Network::Parse(const std::string& utf8) {
  Network net;
  std::string text = utf8;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::wstring wide = WideFromUtf8(text);
  std::vector<std::wstring> lines = Split(wide, L'\n');
  std::vector<std::pair<int, std::vector<std::wstring>>> parents;  // line, names per AR
  // AS nodes wait here until every AR node is known.
  struct PendingAs {
    int line;
    std::wstring holder;
    AsNode server;
  };
  std::vector<PendingAs> pending;
  std::pair<int, std::pair<std::wstring, std::wstring>> admin{0, {}};
  for (size_t i = 0; i < lines.size(); ++i) {
    LineParser p(static_cast<int>(i + 1));
    std::vector<std::wstring> t = Tokens(lines[i]);
    if (t.empty() || t[0][0] == L'#') continue;
    const std::wstring& verb = t[0];
    if (verb == L"ar") {
      if (t.size() < 2) p.Fail("ar needs a name");
      ArNode node;
      node.name = p.Name(t[1]);
      Options o = ReadOptions(p, t, 2, {L"parent", L"up", L"password"});
      std::vector<std::wstring> ps;
      if (auto v = o.Get(L"parent"))
        for (const auto& piece : Split(*v, L',')) ps.push_back(p.Name(piece));
      if (auto v = o.Get(L"up")) node.up = p.UpList(*v);
      if (auto v = o.Get(L"password")) node.password = *v;
      if (net.FindAR(node.name))
        p.Fail("AR node \"" + Utf8FromWide(node.name) + "\" declared twice");
      node.parents = ps;
      net.nodes_.push_back(std::move(node));
      parents.emplace_back(p.line(), ps);
    } else if (verb == L"as") {
      if (t.size() < 2) p.Fail("as needs a name");
      AsNode as;
      as.name = p.Name(t[1]);
      Options o = ReadOptions(p, t, 2, {L"ar", L"up", L"password"});
      auto holder = o.Get(L"ar");
      if (!holder) p.Fail("as needs ar=NAME");
      if (auto v = o.Get(L"up")) as.up = p.UpList(*v);
      if (auto v = o.Get(L"password")) as.password = *v;
      for (const auto& other : pending)
        if (other.server.name == as.name)
          p.Fail("AS node \"" + Utf8FromWide(as.name) + "\" declared twice");
      pending.push_back({p.line(), p.Name(*holder), std::move(as)});
    } else if (verb == L"admin") {
      if (t.size() != 3) p.Fail("admin needs an AR name and an AS name");
      admin = {p.line(), {p.Name(t[1]), p.Name(t[2])}};
    } else if (verb == L"at") {
      if (t.size() < 3) p.Fail("at needs a time and an event");
      ScenarioEvent e;
      e.line = p.line();
      wchar_t* end = nullptr;
      e.at = std::wcstod(t[1].c_str(), &end);
      if (*end || e.at < 0) p.Fail("\"" + Utf8FromWide(t[1]) + "\" is not a time in seconds");
      const std::wstring& what = t[2];
      if (what == L"appear") {
        if (t.size() != 5 || (t[3] != L"ar" && t[3] != L"as")) p.Fail("appear needs ar|as NAME");
        e.kind = ScenarioEvent::kAppear;
        e.server = t[3] == L"as";
        e.name = p.Name(t[4]);
      } else if (what == L"die" || what == L"start") {
        if (t.size() != 6 || (t[3] != L"ar" && t[3] != L"as"))
          p.Fail(Utf8FromWide(what) + " needs ar|as NAME INSTANCE");
        e.kind = what == L"die" ? ScenarioEvent::kDie : ScenarioEvent::kStart;
        e.server = t[3] == L"as";
        e.name = p.Name(t[4]);
        e.instance = p.Instance(t[5]);
      } else if (what == L"break" || what == L"mend") {
        if (t.size() != 5) p.Fail(Utf8FromWide(what) + " needs PARENT CHILD");
        e.kind = what == L"break" ? ScenarioEvent::kBreak : ScenarioEvent::kMend;
        e.name = p.Name(t[3]);
        e.child = p.Name(t[4]);
      } else if (what == L"unreachable" || what == L"reachable") {
        if (t.size() != 3) p.Fail(Utf8FromWide(what) + " takes nothing more");
        e.kind = what == L"unreachable" ? ScenarioEvent::kUnreachable : ScenarioEvent::kReachable;
      } else {
        p.Fail("unknown event \"" + Utf8FromWide(what) + "\"");
      }
      net.events_.push_back(std::move(e));
    } else {
      p.Fail("unknown statement \"" + Utf8FromWide(verb) + "\"");
    }
  }

  for (auto& as : pending) {
    ArNode* holder = net.FindAR(as.holder);
    if (!holder)
      throw ScenarioError(as.line, "unknown AR node \"" + Utf8FromWide(as.holder) + "\"");
    holder->servers.push_back(std::move(as.server));
  }
  for (size_t i = 0; i < net.nodes_.size(); ++i)
    for (const auto& name : net.nodes_[i].parents) {
      if (name == net.nodes_[i].name)
        throw ScenarioError(parents[i].first, "an AR node cannot be its own parent");
      if (!net.FindAR(name))
        throw ScenarioError(parents[i].first, "unknown parent \"" + Utf8FromWide(name) + "\"");
    }

  if (admin.first) {
    ArNode* holder = nullptr;
    if (!net.FindAS(admin.second.second, &holder) || holder->name != admin.second.first)
      throw ScenarioError(admin.first, "the admin AS is not an AS under the admin AR");
    net.adminAr_ = admin.second.first;
    net.adminAs_ = admin.second.second;
  } else {
    for (const auto& n : net.nodes_)
      if (!n.servers.empty()) {
        net.adminAr_ = n.name;
        net.adminAs_ = n.servers[0].name;
        break;
      }
  }

  for (const auto& e : net.events_) {
    if (e.kind == ScenarioEvent::kDie || e.kind == ScenarioEvent::kStart ||
        e.kind == ScenarioEvent::kAppear) {
      AsNode* as = e.server ? net.FindAS(e.name) : nullptr;
      ArNode* ar = e.server ? nullptr : net.FindAR(e.name);
      if (!as && !ar) throw ScenarioError(e.line, "unknown node \"" + Utf8FromWide(e.name) + "\"");
      if (e.kind == ScenarioEvent::kAppear) (as ? as->present : ar->present) = false;
    } else if (e.kind == ScenarioEvent::kBreak || e.kind == ScenarioEvent::kMend) {
      const ArNode* child = net.FindAR(e.child);
      if (!child ||
          std::find(child->parents.begin(), child->parents.end(), e.name) == child->parents.end())
        throw ScenarioError(e.line, "\"" + Utf8FromWide(e.child) + "\" is no child of \"" +
                                        Utf8FromWide(e.name) + "\"");
    }
  }
  std::stable_sort(net.events_.begin(), net.events_.end(),
                   [](const ScenarioEvent& a, const ScenarioEvent& b) { return a.at < b.at; });
  return net;
}

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

void Network::Apply(const ScenarioEvent& e) {
  ++version_;
  switch (e.kind) {
    case ScenarioEvent::kDie:
    case ScenarioEvent::kStart: {
      Instances* up = nullptr;
      if (e.server) {
        if (AsNode* s = FindAS(e.name)) up = &s->up;
      } else if (ArNode* a = FindAR(e.name)) {
        up = &a->up;
      }
      if (up) (*up)[static_cast<size_t>(e.instance)] = e.kind == ScenarioEvent::kStart;
      break;
    }
    case ScenarioEvent::kBreak:
      broken_.insert({e.name, e.child});
      break;
    case ScenarioEvent::kMend:
      broken_.erase({e.name, e.child});
      break;
    case ScenarioEvent::kUnreachable:
      reachable_ = false;
      break;
    case ScenarioEvent::kReachable:
      reachable_ = true;
      break;
    case ScenarioEvent::kAppear:
      if (e.server) {
        if (AsNode* s = FindAS(e.name)) s->present = true;
      } else if (ArNode* a = FindAR(e.name)) {
        a->present = true;
      }
      break;
  }
}

void Network::AdvanceTo(double seconds) {
  if (seconds > now_) now_ = seconds;
  while (nextEvent_ < events_.size() && events_[nextEvent_].at <= now_)
    Apply(events_[nextEvent_++]);
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
    p.rows.push_back({Text(n.name), Text(FlagsText(n.up)), Text(Join(parents, L",")),
                      Text(Join(mine, L",")), Text(Join(servers, L",")), Text(Join(groups, L";"))});
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

bool Network::IsStatusFunction(int32_t function) { return FindStatusFunction(function) != nullptr; }

Packet Network::Status(int32_t function, int32_t addressKind, const std::wstring& address,
                       int32_t* errorNo) const {
  const StatusFunction* f = FindStatusFunction(function);
  if (!f) {
    *errorNo = kErrUnknownFunction;
    return MessageAnswer(-1, L"不支持的功能号 " + std::to_wstring(function));
  }
  if (addressKind != kAddressInstance && addressKind != kAddressServer) {
    *errorNo = kErrBadAddress;
    return MessageAnswer(-1, L"地址类型 " + std::to_wstring(addressKind) + L" 无效");
  }
  int instance = 0;
  const ArNode* ar = nullptr;
  const AsNode* as = nullptr;
  const Instances* up = Target(addressKind, address, &instance, &ar, &as);
  if (!up) {
    *errorNo = kErrNoTarget;
    return MessageAnswer(-1, L"目标 " + address + L" 不存在");
  }
  if (!(*up)[static_cast<size_t>(instance)]) {
    *errorNo = kErrTargetDown;
    return MessageAnswer(-1, L"目标 " + address + L" 未运行");
  }
  *errorNo = kErrNone;

  uint32_t seed = Seed(address, function);
  uint32_t elapsed = static_cast<uint32_t>(now_);
  uint32_t uptime = 3600 + seed % 86400 + elapsed;
  Packet p;
  switch (f->shape) {
    case Shape::kInterface:
      p.fields = {L"func_no", L"module"};
      for (const auto& g : kStatusFunctions)
        if (std::wcscmp(g.module, f->module) == 0)
          p.rows.push_back({Value(g.number), Text(g.module)});
      break;
    case Shape::kInit:
      p.fields = {L"item", L"value"};
      p.rows = {{Text(L"模块"), Text(f->module)},
                {Text(L"状态"), Text(L"已初始化")},
                {Text(L"运行秒数"), Int(uptime)},
                {Text(L"实例"), Text(address)}};
      break;
    case Shape::kConfig:
      p.fields = {L"item", L"value"};
      p.rows = {{Text(L"监听端口"), Int(8000 + seed % 1000)},
                {Text(L"接收缓冲"), Int(65536)},
                {Text(L"超时毫秒"), Int(3000)},
                {Text(L"最大连接数"), Int(64u << (seed % 3))}};
      break;
    case Shape::kStats: {
      uint32_t rate = 20 + seed % 200;
      p.fields = {L"counter", L"value"};
      p.rows = {{Text(L"收包数"), Int(seed % 100000 + rate * uptime)},
                {Text(L"发包数"), Int(seed % 90000 + rate * uptime - uptime / 3)},
                {Text(L"丢包数"), Int(seed % 97 + uptime / 900)},
                {Text(L"重发数"), Int(seed % 389 + uptime / 120)}};
      break;
    }
    case Shape::kConnections: {
      p.fields = {L"conn_id", L"peer", L"state", L"sent", L"recv"};
      std::vector<std::wstring> peers = ar->parents;
      for (const auto& c : Children(ar->name)) peers.push_back(c);
      if (as) peers = {ar->name};
      uint32_t id = 1;
      for (const auto& peer : peers) {
        const ArNode* other = FindAR(peer);
        bool linked = other && UpCount(other->up) > 0 &&
                      (as || (Reports(*ar, peer) && Reports(*other, ar->name)));
        p.rows.push_back({Int(id), Text(peer), Text(linked ? L"已连接" : L"断开"),
                          Int(seed % 5000 + id * uptime), Int(seed % 7000 + id * uptime / 2)});
        ++id;
      }
      break;
    }
    case Shape::kList: {
      p.fields = {L"name", L"state", L"count"};
      for (uint32_t i = 0; i < 3 + seed % 4; ++i)
        p.rows.push_back({Text(std::wstring(f->module) + L"_" + std::to_wstring(i + 1)),
                          Text(i % 4 == 3 ? L"空闲" : L"正常"), Int((seed >> i) % 1000 + elapsed)});
      break;
    }
    case Shape::kIds:
      p.fields = {L"func_no"};
      for (const auto& g : kStatusFunctions)
        if (std::wcscmp(g.module, f->module) == 0) p.rows.push_back({Value(g.number)});
      break;
    case Shape::kRecord:
      p.fields = {L"level", L"file", L"size", L"lines"};
      p.rows = {
          {Text(L"INFO"),
           Text(L"log\\" + (as ? as->name : ar->name) + L"_" + std::to_wstring(instance) + L".log"),
           Int(seed % 4096 + uptime * 7), Int(seed % 977 + uptime / 2)}};
      break;
    case Shape::kNames:
      p.fields = {L"table_name"};
      p.rows = {{Text(L"tmp_session_" + std::to_wstring(instance))}};
      break;
    case Shape::kEmptyQueue:
      p.fields = {L"queue_id", L"peer", L"fragments", L"bytes"};
      break;
    case Shape::kNothing:
      break;
    case Shape::kService:
      p.fields = {L"item", L"value"};
      p.rows = {{Text(L"服务状态"), Text(L"运行")},
                {Text(L"线程数"), Int(4 + seed % 12)},
                {Text(L"队列长度"), Int((seed + elapsed) % 17)},
                {Text(L"已处理"), Int(seed % 10000 + uptime * 3)}};
      break;
  }
  return p;
}

}  // namespace arhost
