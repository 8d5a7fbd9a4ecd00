// The comparison of one refresh with the last, and the bounded event list.
#include "model/History.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "model/NodeDetails.h"
#include "model/Nodes.h"
#include "model/Prefetch.h"
#include "model/TextFields.h"

namespace topo {

namespace {

constexpr const char* kCodes[kEventKindCount] = {
    "node_appeared", "instances_changed", "node_down",    "node_up",     "link_broken",
    "link_mended",   "refresh_failed",    "refresh_ok",   "start_sent",  "stop_sent",
    "restart_sent",  "baseline_saved",    "node_removed", "file_capped", "file_failed"};

// Whether two names are the same bytes. Inline, and word by word: the
// comparison checks every box's name on every refresh, and names are short.
inline bool SameName(const std::string& a, const std::string& b) {
  const size_t n = a.size();
  if (n != b.size()) return false;
  const char* p = a.data();
  const char* q = b.data();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, p + i, 8);
    std::memcpy(&y, q + i, 8);
    if (x != y) return false;
  }
  for (; i < n; ++i)
    if (p[i] != q[i]) return false;
  return true;
}

inline bool SameFlags(const TActiveFlags& a, const TActiveFlags& b) {
  static_assert(sizeof(TActiveFlags) == 10);
  uint64_t x, y;
  uint16_t u, v;
  std::memcpy(&x, a.data(), 8);
  std::memcpy(&y, b.data(), 8);
  std::memcpy(&u, a.data() + 8, 2);
  std::memcpy(&v, b.data() + 8, 2);
  return x == y && u == v;
}

// Puts the records of states in the order of names(0..count-1), keeping the
// record of each name that was there and making fresh ones for new names.
// Only a removal or a renamed position gets here past the first check.
template <typename State, typename NameAt, typename StateName>
void AlignStates(std::vector<State>& states, int32_t count, NameAt nameAt, StateName stateName) {
  const size_t n = static_cast<size_t>(count);
  bool aligned = states.size() <= n;
  for (size_t i = 0; aligned && i < states.size(); ++i)
    aligned = SameName(stateName(states[i]), nameAt(static_cast<int32_t>(i)));
  if (aligned) {
    while (states.size() < n) {
      states.emplace_back();
      stateName(states.back()) = nameAt(static_cast<int32_t>(states.size() - 1));
    }
    return;
  }
  std::unordered_map<std::string, State> byName;
  byName.reserve(states.size());
  for (State& state : states) {
    std::string key = stateName(state);
    byName.emplace(std::move(key), std::move(state));
  }
  states.clear();
  states.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const std::string& name = nameAt(static_cast<int32_t>(i));
    auto found = byName.find(name);
    if (found != byName.end()) {
      states.push_back(std::move(found->second));
      byName.erase(found);
    } else {
      states.emplace_back();
      stateName(states.back()) = name;
    }
  }
}

}  // namespace

std::string FormatTime(const TLocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(t.Year),
                static_cast<int>(t.Month), static_cast<int>(t.Day), static_cast<int>(t.Hour),
                static_cast<int>(t.Minute), static_cast<int>(t.Second));
  return text;
}

std::optional<TLocalTime> ParseTime(std::string_view text) {
  // Exactly the form FormatTime writes: digits at fixed places.
  static constexpr std::string_view kForm = "0000-00-00 00:00:00";
  if (text.size() != kForm.size()) return std::nullopt;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kForm[i] == '0' ? !digit : text[i] != kForm[i]) return std::nullopt;
  }
  const auto number = [text](size_t at, size_t length) {
    return *ParseInt32(text.substr(at, length));
  };
  TLocalTime t{number(0, 4),  number(5, 2),  number(8, 2),
               number(11, 2), number(14, 2), number(17, 2)};
  if (t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > 31 || t.Hour > 23 || t.Minute > 59 ||
      t.Second > 60)
    return std::nullopt;
  return t;
}

const char* EventCode(TEventKind kind) { return kCodes[static_cast<size_t>(kind)]; }

std::optional<TEventKind> EventKindOfCode(std::string_view code) {
  for (int k = 0; k < kEventKindCount; ++k)
    if (code == kCodes[k]) return static_cast<TEventKind>(k);
  return std::nullopt;
}

std::string InstanceList(TInstanceBits bits) {
  std::string text;
  for (int n = 0; n < 16; ++n) {
    if (!(bits & (1u << n))) continue;
    if (!text.empty()) text += ", ";
    text += std::to_string(n);
  }
  return text;
}

std::optional<TInstanceBits> ParseInstanceList(std::string_view text) {
  TInstanceBits bits = 0;
  if (TrimBlanks(text).empty()) return bits;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::optional<int32_t> n = ParseInt32(text.substr(start, comma - start));
    if (!n || *n < 0 || *n > 15) return std::nullopt;
    bits = static_cast<TInstanceBits>(bits | (1u << *n));
    if (comma == std::string_view::npos) return bits;
    start = comma + 1;
  }
}

bool operator==(const THistoryEvent& a, const THistoryEvent& b) {
  return a.Time == b.Time && a.Kind == b.Kind && a.IsAS == b.IsAS && a.Node == b.Node &&
         a.ARNode == b.ARNode && a.Started == b.Started && a.Stopped == b.Stopped &&
         a.Instance == b.Instance && a.Text == b.Text && a.Actor == b.Actor;
}

// ---- THistoryTracker ------------------------------------------------------

void THistoryTracker::Align(const TARNodeList& model) {
  AlignStates(
      states_, model.Count(),
      [&model](int32_t i) -> const std::string& { return model.Items(i).Name(); },
      [](TARState& s) -> std::string& { return s.Box.Name; });
}

void THistoryTracker::CompareBox(TBoxState& state, int32_t activeCount, const TActiveFlags& flags,
                                 bool isAS, const std::string& arNode, const TLocalTime& now,
                                 std::vector<THistoryEvent>& out) {
  const bool up = activeCount != 0;
  if (!state.Fresh && state.Up == up && SameFlags(state.Flags, flags)) return;
  state.Up = up;
  state.Flags = flags;
  const TInstanceBits running = RunningInstanceBits(activeCount, flags);
  const TInstanceBits before = state.Running;
  const bool fresh = state.Fresh;
  state.Running = running;
  state.Fresh = false;
  if (!primed_) return;
  if (!fresh && running == before) return;
  THistoryEvent& e = out.emplace_back();
  e.Time = now;
  e.IsAS = isAS;
  e.Node = state.Name;
  if (isAS) e.ARNode = arNode;
  if (fresh) {
    e.Kind = TEventKind::NodeAppeared;
    e.Started = running;
    return;
  }
  e.Started = static_cast<TInstanceBits>(running & ~before);
  e.Stopped = static_cast<TInstanceBits>(before & ~running);
  e.Kind = running == 0  ? TEventKind::NodeDown
           : before == 0 ? TEventKind::NodeUp
                         : TEventKind::InstancesChanged;
}

void THistoryTracker::NoteLink(TARState& state, std::string_view upper, bool intact) {
  for (TLinkState& link : state.Uppers) {
    if (link.Upper.size() != upper.size() ||
        std::memcmp(link.Upper.data(), upper.data(), upper.size()) != 0)
      continue;
    // Named by both sides it is intact even when one naming alone is not.
    link.Intact = link.Seen ? (link.Intact || intact) : intact;
    link.Seen = true;
    return;
  }
  TLinkState& link = state.Uppers.emplace_back();
  link.Upper.assign(upper.data(), upper.size());
  link.Intact = intact;
  link.Seen = true;
}

void THistoryTracker::Compare(const TARNodeList& model, const TLocalTime& now,
                              std::vector<THistoryEvent>& out) {
  Align(model);
  // A link is intact while the child names its parent and the parent names
  // the child; one naming alone is a broken link. Link resolution has
  // already counted an entry the other side does not name as 0, so a
  // non-zero count is a named entry and only the others are looked up.
  const auto valid = [&model](int32_t index) { return index >= 0 && index < model.Count(); };
  for (int32_t i = 0; i < model.Count(); ++i) {
    const TARNode& node = model.Items(i);
    TARState& state = states_[static_cast<size_t>(i)];
    // The lists of successive nodes lie apart in memory: the next node's are
    // asked for while this one is compared, as the merge does.
    if (i + 1 < model.Count()) {
      const TARNode& next = model.Items(i + 1);
      next.SubASs.Prefetch();
      next.ParentARs.Prefetch();
      next.SubARs.Prefetch();
      const auto& nextServers = states_[static_cast<size_t>(i) + 1].Servers;
      const char* begin = reinterpret_cast<const char*>(nextServers.data());
      const char* end = reinterpret_cast<const char*>(nextServers.data() + nextServers.size());
      for (const char* line = begin; line < end; line += 64) PrefetchAddress(line);
    }
    CompareBox(state.Box, node.ActiveCount, node.ActiveFlags, false, node.Name(), now, out);
    const TLinkNodeList& servers = node.SubASs;
    AlignStates(
        state.Servers, servers.Count(),
        [&servers](int32_t s) -> const std::string& { return servers.Items(s).Name(); },
        [](TBoxState& s) -> std::string& { return s.Name; });
    for (int32_t s = 0; s < servers.Count(); ++s) {
      const TLinkNode& server = servers.Items(s);
      CompareBox(state.Servers[static_cast<size_t>(s)], server.ActiveCount, server.ActiveFlags,
                 true, node.Name(), now, out);
    }
    for (int32_t p = 0; p < node.ParentARs.Count(); ++p) {
      const TLinkNode& link = node.ParentARs.Items(p);
      if (!valid(link.ARIndex())) continue;
      const bool answered =
          link.ActiveCount != 0 || model.Items(link.ARIndex()).SubARs.IndexOf(node.Name()) >= 0;
      NoteLink(state, link.Name(), answered);
    }
    for (int32_t c = 0; c < node.SubARs.Count(); ++c) {
      const TLinkNode& link = node.SubARs.Items(c);
      if (link.ActiveCount != 0 || !valid(link.ARIndex())) continue;
      if (model.Items(link.ARIndex()).ParentARs.IndexOf(node.Name()) < 0)
        NoteLink(states_[static_cast<size_t>(link.ARIndex())], node.Name(), false);
    }
  }
  for (TARState& state : states_) {
    auto& links = state.Uppers;
    size_t kept = 0;
    for (size_t k = 0; k < links.size(); ++k) {
      TLinkState& link = links[k];
      const bool intact = link.Seen && link.Intact;
      const bool changed = link.Fresh ? false : intact != link.Was;
      if (primed_ && changed) {
        THistoryEvent& e = out.emplace_back();
        e.Time = now;
        e.Kind = intact ? TEventKind::LinkMended : TEventKind::LinkBroken;
        e.Node = state.Box.Name;
        e.ARNode = link.Upper;
      }
      if (!link.Seen) continue;  // named by neither side: forgotten
      link.Was = link.Intact;
      link.Seen = false;
      link.Fresh = false;
      if (kept != k) links[kept] = std::move(link);
      ++kept;
    }
    links.resize(kept);
  }
  primed_ = true;
}

void THistoryTracker::RefreshFailed(const TLocalTime& now, std::vector<THistoryEvent>& out) {
  if (failures_++ > 0) return;
  THistoryEvent& e = out.emplace_back();
  e.Time = now;
  e.Kind = TEventKind::RefreshFailed;
}

void THistoryTracker::RefreshSucceeded(const TLocalTime& now, std::vector<THistoryEvent>& out) {
  if (failures_ == 0) return;
  THistoryEvent& e = out.emplace_back();
  e.Time = now;
  e.Kind = TEventKind::RefreshRecovered;
  e.Text = std::to_string(failures_);
  failures_ = 0;
}

// ---- THistory -------------------------------------------------------------

void THistory::Add(THistoryEvent event) {
  events_.push_back(std::move(event));
  ++added_;
  while (events_.size() > capacity_) events_.pop_front();
}

void THistory::SetCapacity(size_t capacity) {
  capacity_ = capacity;
  while (events_.size() > capacity_) events_.pop_front();
}

std::optional<TLocalTime> LastChange(const THistory& history, std::string_view arNode,
                                     std::string_view server) {
  for (size_t i = history.Count(); i-- > 0;) {
    const THistoryEvent& e = history.At(i);
    if (e.Kind > TEventKind::NodeUp) continue;
    const bool match = server.empty() ? !e.IsAS && e.Node == arNode
                                      : e.IsAS && e.Node == server && e.ARNode == arNode;
    if (match) return e.Time;
  }
  return std::nullopt;
}

}  // namespace topo
