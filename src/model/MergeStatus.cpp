// Brings the model up to date from one topology and status report. Each row
// names one AR node; its server groups are matched to "sub_as" by position, so
// an empty name still uses up its group and later servers keep their status.
#include "MergeStatus.h"

#include <string>
#include <vector>

#include "ReportReader.h"
#include "TextFields.h"

namespace topo {

namespace {

constexpr int kInstances = 10;

bool FlagSet(std::string_view piece) {
  // Nearly every value in a report is one digit.
  if (piece.size() == 1 && piece[0] >= '0' && piece[0] <= '9') return piece[0] != '0';
  const std::optional<int32_t> value = ParseInt32(piece);
  return value.has_value() && *value != 0;
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

}  // namespace

ParsedFlags ParseActiveFlags(std::string_view text) {
  ParsedFlags result;
  int k = 0;
  size_t start = 0;
  for (size_t pos = text.find(','); pos != std::string_view::npos && k < kInstances;
       pos = text.find(',', start)) {
    if (FlagSet(text.substr(start, pos - start))) {
      result.Flags[static_cast<size_t>(k)] = 1;
      ++result.Count;
    }
    ++k;
    start = pos + 1;
  }
  return result;
}

ParsedFlags ParseNextASActive(std::string_view& remaining) {
  static constexpr std::string_view kEmptyGroup = ";";
  ParsedFlags result;
  int k = 0;
  size_t start = 0;
  for (size_t pos = 0; pos < remaining.size(); ++pos) {
    const char c = remaining[pos];
    if (c != ',' && c != ';') continue;
    if (k < kInstances && FlagSet(remaining.substr(start, pos - start))) {
      result.Flags[static_cast<size_t>(k)] = 1;
      ++result.Count;
    }
    ++k;
    start = pos + 1;
    if (c == ';') {
      remaining.remove_prefix(pos + 1);
      if (remaining.empty()) remaining = kEmptyGroup;
      return result;
    }
  }
  // The end of the text closes the last group as a ";" would, so the merge
  // can hand over the field without appending one.
  if (k < kInstances && FlagSet(remaining.substr(start))) {
    result.Flags[static_cast<size_t>(k)] = 1;
    ++result.Count;
  }
  remaining = kEmptyGroup;
  return result;
}

namespace {

void ClearNodeStatus(TARNode& node) {
  node.ActiveCount = 0;
  node.ActiveFlags.fill(0);
  node.ParentARs.ClearStatus();
  node.SubARs.ClearStatus();
  node.SubASs.ClearStatus();
}

}  // namespace

// The whole model's status is cleared before the rows are read. Every row
// changes only its own node and that node's lists, so clearing each node when
// its first row arrives, and the unreported ones at the end, gives the same
// model while walking each node's records once instead of twice.
void TARNodeList::MergeStatus(ReportReader& report) {
  std::vector<uint8_t> cleared(nodes_.size(), 0);
  const auto clearTheRest = [&] {
    for (size_t i = 0; i < cleared.size(); ++i) {
      if (!cleared[i]) ClearNodeStatus(*nodes_[i]);
    }
  };
  try {
    while (!report.Eof()) {
      const std::string arName = report.FieldText("ar");
      std::string active = report.FieldText("ar_active");
      active += ',';
      const ParsedFlags node = ParseActiveFlags(active);
      const std::string_view name = TrimBlanks(arName);
      const int32_t known = IndexOf(name);
      if (known >= 0) {
        if (!cleared[static_cast<size_t>(known)]) {
          ClearNodeStatus(*nodes_[static_cast<size_t>(known)]);
          cleared[static_cast<size_t>(known)] = 1;
        }
        cursor_ = static_cast<size_t>(known);  // the lookup below hits at once
      }
      const int32_t p = AddOrUpdateAR(name, node.Count, node.Flags, 1);
      if (known < 0) cleared.push_back(1);  // created by this row: nothing to clear

      ForEachPiece(report.FieldText("parent_ar"), ',', [&](std::string_view piece) {
        piece = TrimBlanks(piece);
        if (piece.empty()) return;
        AddOrUpdateParentAR(p, piece, node.Count, node.Flags, 1);
      });
      ForEachPiece(report.FieldText("sub_ar"), ',', [&](std::string_view piece) {
        piece = TrimBlanks(piece);
        if (piece.empty()) return;
        AddOrUpdateSubAR(p, piece, node.Count, node.Flags, 1);
      });

      const std::string servers = report.FieldText("sub_as");
      const std::string groups = report.FieldText("as_active");
      std::string_view remaining = groups;
      ForEachPiece(servers, ',', [&](std::string_view piece) {
        const ParsedFlags server = ParseNextASActive(remaining);
        piece = TrimBlanks(piece);
        if (piece.empty()) return;
        AddOrUpdateSubAS(p, piece, server.Count, server.Flags, 1);
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
