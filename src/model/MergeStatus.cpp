// Brings the model up to date from one topology and status report. Each row
// names one AR node; its server groups are matched to "sub_as" by position, so
// an empty name still uses up its group and later servers keep their status.
#include "model/MergeStatus.h"

#include <cstring>
#include <string>
#include <vector>

#include "model/LinkListRebuild.h"
#include "model/Prefetch.h"
#include "model/ReportReader.h"
#include "model/TextFields.h"

namespace topo {

namespace {

constexpr int kInstances = 10;

bool FlagSet(const char* begin, const char* end) {
  const std::optional<int32_t> value =
      ParseInt32(std::string_view(begin, static_cast<size_t>(end - begin)));
  return value.has_value() && *value != 0;
}

// Reads the values of one list from p up to the first byte of stops or the
// end: the first ten give the flags. Returns where the list ended.
template <char... Stops>
inline const char* ReadFlags(const char* p, const char* end, ParsedFlags& result) {
  const auto record = [&result](size_t k, bool set) {
    if (k >= kInstances) return;
    result.Flags[k] = set;
    result.Count += set;
  };
  for (size_t k = 0;; ++k) {
    // Nearly every value in a report is one digit followed by a separator.
    if (p != end && static_cast<unsigned char>(p[0] - '0') <= 9) {
      if (end - p == 1) {
        record(k, p[0] != '0');
        return end;
      }
      if (p[1] == ',') {
        record(k, p[0] != '0');
        p += 2;
        continue;
      }
      if (((p[1] == Stops) || ...)) {
        record(k, p[0] != '0');
        return p + 1;
      }
    }
    const char* stop = p;
    while (stop != end && *stop != ',' && ((*stop != Stops) && ...)) ++stop;
    // A lone byte reads as a non-zero integer exactly when it is 1 to 9.
    record(k, stop - p == 1 ? static_cast<unsigned char>(*p - '1') <= 8 : FlagSet(p, stop));
    if (stop == end || *stop != ',') return stop;
    p = stop + 1;
  }
}

// The first ten comma-separated values of [begin, end), the end counting as
// one more comma: what the walk gives for the text with "," appended.
ParsedFlags FlagsOf(const char* begin, const char* end) {
  ParsedFlags result;
  ReadFlags<>(begin, end, result);
  return result;
}

// Calls visit for every piece of text between separators, the end of the
// text counting as one more separator: the same pieces as the text with a
// separator appended, without copying it.
template <typename Visit>
void ForEachPiece(std::string_view text, char separator, Visit visit) {
  size_t start = 0;
  for (;;) {
    const size_t pos = text.find(separator, start);
    if (pos == std::string_view::npos) {
      visit(text.substr(start));
      return;
    }
    visit(text.substr(start, pos - start));
    start = pos + 1;
  }
}

// ParseNextASActive, inline for the merge, which reads one group per server.
inline ParsedFlags TakeGroup(std::string_view& remaining) {
  static constexpr std::string_view kEmptyGroup = ";";
  // The end of the text closes the last group as a ";" would, so the merge
  // can hand over the field without appending one.
  ParsedFlags result;
  const char* const end = remaining.data() + remaining.size();
  const char* const stop = ReadFlags<';'>(remaining.data(), end, result);
  if (stop == end || stop + 1 == end) {
    remaining = kEmptyGroup;
  } else {
    remaining = std::string_view(stop + 1, static_cast<size_t>(end - stop - 1));
  }
  return result;
}

// The non-empty trimmed names of a comma-separated list, for Rebuild.
auto NamesIn(std::string_view text) {
  return [text](auto visit) {
    ForEachPiece(text, ',', [&](std::string_view piece) {
      piece = TrimBlanks(piece);
      if (!piece.empty()) visit(piece);
    });
  };
}

}  // namespace

ParsedFlags ParseActiveFlags(std::string_view text) {
  // Only values followed by a comma count: the text after the last one is not read.
  const size_t last = text.rfind(',');
  if (last == std::string_view::npos) return ParsedFlags{};
  return FlagsOf(text.data(), text.data() + last);
}

ParsedFlags ParseNextASActive(std::string_view& remaining) { return TakeGroup(remaining); }

// The whole model's status is cleared before the rows are read. Every row
// changes only its own node and that node's lists, and a reported node's
// parent and child links are rebuilt anyway, so clearing each node's servers
// when its first row arrives, and the unreported nodes at the end, gives the
// same model while walking each node's records once instead of twice.
void TARNodeList::MergeStatus(ReportReader& report) {
  std::vector<uint8_t> cleared(nodes_.size(), 0);
  const auto clearTheRest = [&] {
    for (size_t i = 0; i < cleared.size(); ++i) {
      if (cleared[i]) continue;
      TARNode& node = *nodes_[i];
      node.ActiveCount = 0;
      node.ActiveFlags.fill(0);
      node.ParentARs.ClearStatus();
      node.SubARs.ClearStatus();
      node.SubASs.ClearStatus();
    }
  };
  try {
    while (!report.Eof()) {
      const std::string arName = report.FieldText("ar");
      const std::string active = report.FieldText("ar_active");
      const ParsedFlags flags = FlagsOf(active.data(), active.data() + active.size());
      const std::string_view name = TrimBlanks(arName);
      int32_t p = IndexOf(name);
      if (p >= 0) {
        TARNode& known = *nodes_[static_cast<size_t>(p)];
        if (!cleared[static_cast<size_t>(p)]) {
          known.SubASs.ClearStatus();
          cleared[static_cast<size_t>(p)] = 1;
        }
        known.ActiveCount = flags.Count;
        known.ActiveFlags = flags.Flags;
      } else {
        p = AddOrUpdateAR(name, flags.Count, flags.Flags, 1);
        cleared.push_back(1);  // created by this row: nothing to clear
      }
      TARNode& node = *nodes_[static_cast<size_t>(p)];
      // Reports list the nodes in the model's order, so the next row is most
      // likely about the next node.
      const size_t next = static_cast<size_t>(p) + 1;
      if (next < nodes_.size()) {
        const TARNode& soon = *nodes_[next];
        soon.ParentARs.Prefetch();
        soon.SubARs.Prefetch();
        soon.SubASs.Prefetch();
        if (next + 1 < nodes_.size()) PrefetchAddress(nodes_[next + 1].get());
      }

      // The node's links are rebuilt in place from the two fields; a field
      // that cannot be read leaves the links not yet rebuilt empty, as if
      // they had been cleared when the node was updated.
      std::string parents;
      try {
        parents = report.FieldText("parent_ar");
      } catch (...) {
        node.ParentARs.Clear();
        node.SubARs.Clear();
        throw;
      }
      node.ParentARs.Rebuild(NamesIn(parents), flags.Count, flags.Flags, 1);
      std::string children;
      try {
        children = report.FieldText("sub_ar");
      } catch (...) {
        node.SubARs.Clear();
        throw;
      }
      node.SubARs.Rebuild(NamesIn(children), flags.Count, flags.Flags, 1);

      const std::string servers = report.FieldText("sub_as");
      const std::string groups = report.FieldText("as_active");
      std::string_view remaining = groups;
      ForEachPiece(servers, ',', [&](std::string_view piece) {
        const ParsedFlags server = TakeGroup(remaining);
        piece = TrimBlanks(piece);
        if (piece.empty()) return;
        const int32_t before = node.SubASs.Count();
        if (node.SubASs.AddOrUpdate(piece, server.Count, server.Flags, 1) == before) {
          ZOrder.Add(p, before);
        }
      });

      report.Next();
    }
  } catch (...) {
    clearTheRest();  // rows after the failure leave their nodes cleared
    throw;
  }
  clearTheRest();
}

}  // namespace topo
