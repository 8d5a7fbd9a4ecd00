// The event file's line format and the writer of the day's file.
#include "model/HistoryFile.h"

#include <exception>
#include <utility>

#include "model/TextFields.h"

namespace topo {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kFieldCount = 10;
// Room kept below the cap for the line that says it was reached.
constexpr size_t kCapReserve = 1024;
// Lines waiting for a file that cannot be written; older ones are dropped
// (they are still in the history in memory).
constexpr size_t kPendingLimit = 1000;

void AppendField(std::string& line, std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  const bool quote = text.find_first_of(",\"") != std::string::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!line.empty()) line += ',';
  if (!quote) {
    line += text;
    return;
  }
  line += '"';
  for (char c : text) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

// The fields of a line; nothing when a quote is left open or a quoted field
// is followed by anything but a separator.
std::optional<std::vector<std::string>> SplitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  size_t i = 0;
  while (i <= line.size()) {
    std::string& field = fields.back();
    if (i < line.size() && line[i] == '"') {
      ++i;
      for (;;) {
        if (i >= line.size()) return std::nullopt;
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += line[i++];
      }
      if (i < line.size() && line[i] != ',') return std::nullopt;
    } else {
      while (i < line.size() && line[i] != ',') field += line[i++];
    }
    if (i >= line.size()) break;
    ++i;  // the separator
    fields.emplace_back();
  }
  return fields;
}

}  // namespace

std::string HistoryLine(const THistoryEvent& e, const TextCodec& codec) {
  std::string line = FormatTime(e.Time);
  AppendField(line, EventCode(e.Kind));
  AppendField(line, e.Node.empty() ? "" : e.IsAS ? "AS" : "AR");
  AppendField(line, codec.Utf8FromCp936(e.Node));
  AppendField(line, codec.Utf8FromCp936(e.ARNode));
  AppendField(line, InstanceList(e.Started));
  AppendField(line, InstanceList(e.Stopped));
  AppendField(line, e.Instance >= 0 ? std::to_string(e.Instance) : "");
  AppendField(line, codec.Utf8FromCp936(e.Text));
  AppendField(line, codec.Utf8FromCp936(e.Actor));
  line += '\n';
  return line;
}

std::optional<THistoryEvent> ParseHistoryLine(std::string_view line, const TextCodec& codec) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const auto fields = SplitFields(line);
  if (!fields || fields->size() != kFieldCount) return std::nullopt;
  const std::vector<std::string>& f = *fields;
  THistoryEvent e;
  const std::optional<TLocalTime> time = ParseTime(f[0]);
  const std::optional<TEventKind> kind = EventKindOfCode(f[1]);
  const std::optional<TInstanceBits> started = ParseInstanceList(f[5]);
  const std::optional<TInstanceBits> stopped = ParseInstanceList(f[6]);
  if (!time || !kind || !started || !stopped) return std::nullopt;
  if (f[2] != "" && f[2] != "AR" && f[2] != "AS") return std::nullopt;
  if (!f[7].empty()) {
    const std::optional<int32_t> instance = ParseInt32(f[7]);
    if (!instance || *instance < 0) return std::nullopt;
    e.Instance = *instance;
  }
  e.Time = *time;
  e.Kind = *kind;
  e.IsAS = f[2] == "AS";
  e.Node = codec.Cp936FromUtf8(f[3]);
  e.ARNode = codec.Cp936FromUtf8(f[4]);
  e.Started = *started;
  e.Stopped = *stopped;
  e.Text = codec.Cp936FromUtf8(f[8]);
  e.Actor = codec.Cp936FromUtf8(f[9]);
  return e;
}

std::vector<THistoryEvent> ParseHistoryFile(std::string_view bytes, const TextCodec& codec) {
  std::vector<THistoryEvent> events;
  // The first line is the header, or what a killed first write left of it.
  size_t start = bytes.find('\n');
  while (start != std::string_view::npos) {
    const size_t end = bytes.find('\n', start + 1);
    if (end == std::string_view::npos) break;  // torn, or nothing after the last line
    if (auto e = ParseHistoryLine(bytes.substr(start + 1, end - start - 1), codec))
      events.push_back(std::move(*e));
    start = end;
  }
  return events;
}

std::string HistoryFileName(const TLocalTime& day) {
  const std::string date = FormatTime(day);  // "2024-05-01 ..."
  return "TopoEvents-" + date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2) + ".csv";
}

THistoryFile::THistoryFile(AppendStore& store, const TextCodec& codec, std::string folder,
                           size_t cap)
    : store_(store), codec_(codec), folder_(std::move(folder)), cap_(cap) {}

THistoryFile::Day& THistoryFile::Open(const TLocalTime& date, std::vector<THistoryEvent>* loaded) {
  if (day_ && day_->date.SameDay(date) && !loaded) return *day_;
  const std::optional<std::string> bytes = store_.Read(PathOf(date));
  Day day;
  day.date = date;
  if (bytes) {
    day.size = bytes->size();
    day.endsInNewline = bytes->empty() || bytes->back() == '\n';
    std::vector<THistoryEvent> events = ParseHistoryFile(*bytes, codec_);
    day.capped = !events.empty() && events.back().Kind == TEventKind::FileCapped;
    if (loaded) *loaded = std::move(events);
  }
  day_ = day;
  return *day_;
}

std::vector<THistoryEvent> THistoryFile::Load(const TLocalTime& day) {
  std::vector<THistoryEvent> events;
  Open(day, &events);
  return events;
}

void THistoryFile::Add(const THistoryEvent& event) {
  if (pending_.size() == kPendingLimit) pending_.erase(pending_.begin());
  pending_.push_back(event);
}

std::vector<THistoryEvent> THistoryFile::Flush() {
  std::vector<THistoryEvent> notes;
  size_t group = 0;
  try {
    while (group < pending_.size()) {
      // The events of one day, written in one append; the day's state is
      // changed only once the append has succeeded.
      Day day = Open(pending_[group].Time, nullptr);
      std::string bytes;
      std::optional<THistoryEvent> capNote;
      size_t end = group;
      for (; end < pending_.size() && pending_[end].Time.SameDay(day.date); ++end) {
        if (day.capped) continue;
        if (day.size + bytes.size() == 0) {
          bytes = kByteOrderMark;
          bytes += kHistoryHeader;
          bytes += '\n';
        } else if (!day.endsInNewline && bytes.empty()) {
          bytes = "\n";  // closes the torn line, which the reader then skips
        }
        std::string line = HistoryLine(pending_[end], codec_);
        if (day.size + bytes.size() + line.size() + kCapReserve > cap_) {
          THistoryEvent& note = capNote.emplace();
          note.Time = pending_[end].Time;
          note.Kind = TEventKind::FileCapped;
          line = HistoryLine(note, codec_);
          day.capped = true;
        }
        bytes += line;
      }
      if (!bytes.empty()) store_.Append(PathOf(day.date), bytes);
      day.size += bytes.size();
      day.endsInNewline = day.endsInNewline || !bytes.empty();
      *day_ = day;
      if (capNote) notes.push_back(std::move(*capNote));
      group = end;
    }
    failing_ = false;
  } catch (const std::exception& error) {
    if (!failing_) {
      THistoryEvent& note = notes.emplace_back();
      note.Time = pending_[group].Time;
      note.Kind = TEventKind::FileFailed;
      note.Text = error.what();
    }
    failing_ = true;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(group));
  return notes;
}

}  // namespace topo
