// The event history: what changed in the network from one refresh to the
// next, what the operator did, and a bounded list of it in memory. The
// comparison keeps its own record of the last refresh's state (the model is
// updated in place and cannot be copied cheaply), aligned with the model's
// positions so that a refresh of an unchanged network allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/Nodes.h"

namespace topo {

// Local wall-clock time, as the operator reads it; ordered field by field.
struct TLocalTime {
  int32_t Year = 0;
  int32_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  friend bool operator==(const TLocalTime& a, const TLocalTime& b) {
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour &&
           a.Minute == b.Minute && a.Second == b.Second;
  }
  friend bool operator!=(const TLocalTime& a, const TLocalTime& b) { return !(a == b); }
  bool SameDay(const TLocalTime& other) const {
    return Year == other.Year && Month == other.Month && Day == other.Day;
  }
};

// "2024-05-01 08:30:05", and back (nothing for any other text).
std::string FormatTime(const TLocalTime& time);
std::optional<TLocalTime> ParseTime(std::string_view text);

enum class TEventKind : uint8_t {
  NodeAppeared,
  InstancesChanged,
  NodeDown,
  NodeUp,
  LinkBroken,
  LinkMended,
  RefreshFailed,     // the first failure after a success
  RefreshRecovered,  // Text: how many refreshes failed
  StartSent,
  StopSent,
  RestartSent,
  BaselineSaved,
  NodeRemoved,
  FileCapped,  // the day's file reached its size cap; later events stay in memory
  FileFailed,  // the day's file could not be written; Text: why
};
inline constexpr int kEventKindCount = 15;

// The code a kind has in the history file, which stays the same whatever
// language the window shows; and back.
const char* EventCode(TEventKind kind);
std::optional<TEventKind> EventKindOfCode(std::string_view code);

// Instance numbers as bits (bit n: instance n).
using TInstanceBits = uint16_t;
// "1, 4": the instances of bits, ascending.
std::string InstanceList(TInstanceBits bits);
std::optional<TInstanceBits> ParseInstanceList(std::string_view text);

// Texts are code page 936, as in the model.
struct THistoryEvent {
  TLocalTime Time;
  TEventKind Kind = TEventKind::NodeAppeared;
  bool IsAS = false;
  std::string Node;    // empty for the refresh, baseline and file events
  std::string ARNode;  // a server's AR node; for a link, the AR node above Node
  TInstanceBits Started = 0;
  TInstanceBits Stopped = 0;
  int32_t Instance = -1;  // of a command
  std::string Text;       // a command's answer ("" when accepted), a failure count
  std::string Actor;      // who sent a command, when the host says
  friend bool operator==(const THistoryEvent& a, const THistoryEvent& b);
};

// What the network looked like at the last refresh, and the comparison that
// turns the next refresh into events.
class THistoryTracker {
 public:
  // Appends to out what changed since the last call: nodes that appeared,
  // instances that started or stopped (a node going down or coming back when
  // its running count reaches or leaves 0), AR links that broke (one side no
  // longer names the other) or mended. The first call records the state only:
  // a baseline holds no status, so there is nothing to compare it with.
  void Compare(const TARNodeList& model, const TLocalTime& now, std::vector<THistoryEvent>& out);
  // A refresh that failed or succeeded: the first failure of a run and the
  // success that ends it are events, the failures between them are counted.
  void RefreshFailed(const TLocalTime& now, std::vector<THistoryEvent>& out);
  void RefreshSucceeded(const TLocalTime& now, std::vector<THistoryEvent>& out);

 private:
  // A box as the last refresh left it: its flags and whether it was counted
  // up, compared as they lie (most boxes do not change), and the running
  // instances they stand for.
  struct TBoxState {
    std::string Name;
    TActiveFlags Flags{};
    bool Up = false;
    TInstanceBits Running = 0;
    bool Fresh = true;  // new to the comparison: not compared yet
  };
  struct TLinkState {
    std::string Upper;
    bool Intact = false;
    bool Was = false;   // Intact at the last refresh
    bool Seen = false;  // named in this refresh
    bool Fresh = true;  // not named at the last refresh
  };
  struct TARState {
    TBoxState Box;
    std::vector<TBoxState> Servers;
    std::vector<TLinkState> Uppers;
  };

  void Align(const TARNodeList& model);
  void CompareBox(TBoxState& state, int32_t activeCount, const TActiveFlags& flags, bool isAS,
                  const std::string& arNode, const TLocalTime& now,
                  std::vector<THistoryEvent>& out);
  static void NoteLink(TARState& state, std::string_view upper, bool intact);

  std::vector<TARState> states_;  // states_[i] is model.Items(i) after Align
  bool primed_ = false;
  int32_t failures_ = 0;
};

// The events in memory, oldest first, at most Capacity of them.
class THistory {
 public:
  explicit THistory(size_t capacity = 5000) : capacity_(capacity) {}
  void Add(THistoryEvent event);
  void SetCapacity(size_t capacity);
  size_t Capacity() const { return capacity_; }
  size_t Count() const { return events_.size(); }
  const THistoryEvent& At(size_t index) const { return events_[index]; }
  // Counts every event ever added, so a viewer can tell what it has not shown.
  uint64_t Added() const { return added_; }

 private:
  std::deque<THistoryEvent> events_;
  size_t capacity_;
  uint64_t added_ = 0;
};

// When the history last saw a box's status change (appeared, instances,
// down, up); server empty for an AR box.
std::optional<TLocalTime> LastChange(const THistory& history, std::string_view arNode,
                                     std::string_view server);

}  // namespace topo
