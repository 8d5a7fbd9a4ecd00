// The day's event file in the personal data folder: CSV in UTF-8 with a
// byte-order mark (so a spreadsheet shows the Chinese names), one header
// line, one event a line. Events are queued and written once per refresh.
// A torn last line, left by a process killed mid-append, is skipped on
// reading and closed before the next append, so it never spoils a later
// line. The file is capped in size: the first event that does not fit is
// replaced by one saying so, and the rest of that day stays in memory only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/AppendStore.h"
#include "model/History.h"

namespace topo {

inline constexpr char kHistoryHeader[] =
    "time,event,kind,node,ar_node,started,stopped,instance,text,actor";

// One event as a CSV line with its "\n" (texts converted to UTF-8), and back
// (nothing for a line that is no event). Line breaks inside texts are written
// as blanks, so every event stays one line.
std::string HistoryLine(const THistoryEvent& event, const TextCodec& codec);
std::optional<THistoryEvent> ParseHistoryLine(std::string_view line, const TextCodec& codec);

// The events of a whole file, skipping the header, malformed lines and the
// torn last line.
std::vector<THistoryEvent> ParseHistoryFile(std::string_view bytes, const TextCodec& codec);

// "TopoEvents-20240501.csv"
std::string HistoryFileName(const TLocalTime& day);

class THistoryFile {
 public:
  static constexpr size_t kDefaultCap = 8u << 20;

  // folder ends in a separator; code page 936.
  THistoryFile(AppendStore& store, const TextCodec& codec, std::string folder,
               size_t cap = kDefaultCap);

  // The events already in the file of that day (read once per day).
  std::vector<THistoryEvent> Load(const TLocalTime& day);
  void Add(const THistoryEvent& event);
  // Writes what was added, one append per day's file. Returns the events the
  // file adds itself (the cap reached, a write that failed), which belong in
  // the history as well. A failed write keeps its lines for the next flush.
  std::vector<THistoryEvent> Flush();
  std::string PathOf(const TLocalTime& day) const { return folder_ + HistoryFileName(day); }

 private:
  struct Day {
    TLocalTime date;
    size_t size = 0;
    bool endsInNewline = true;
    bool capped = false;
  };
  Day& Open(const TLocalTime& day, std::vector<THistoryEvent>* loaded);

  AppendStore& store_;
  const TextCodec& codec_;
  std::string folder_;
  size_t cap_;
  std::optional<Day> day_;
  std::vector<THistoryEvent> pending_;
  bool failing_ = false;  // reported; quiet until a write succeeds again
};

}  // namespace topo
