// The scenario file's reader. Every statement is checked as it is read and
// every name once the whole file is known, so a faulty file fails with its
// line number instead of starting a network that differs from what it says.
#include <algorithm>
#include <cwchar>
#include <initializer_list>
#include <sstream>

#include "host/Lists.h"
#include "host/Network.h"
#include "win32/Cp936.h"

namespace arhost {

using topo::win32::Utf8FromWide;
using topo::win32::WideFromUtf8;

ScenarioError::ScenarioError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}

namespace {

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

}  // namespace arhost
