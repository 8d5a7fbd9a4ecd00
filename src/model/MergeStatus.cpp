// Brings the model up to date from one topology and status report. Each row
// names one AR node; its server groups are matched to "sub_as" by position, so
// an empty name still uses up its group and later servers keep their status.
#include "MergeStatus.h"

#include <string>

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

void TARNodeList::MergeStatus(ReportReader& report) {
  ClearStatus();
  std::string name;
  while (!report.Eof()) {
    const std::string arName = report.FieldText("ar");
    std::string active = report.FieldText("ar_active");
    active += ',';
    const ParsedFlags node = ParseActiveFlags(active);
    const std::string_view trimmed = TrimBlanks(arName);
    if (trimmed.size() == arName.size()) {
      name = arName;
    } else {
      name.assign(trimmed);
    }
    const int32_t p = AddOrUpdateAR(name, node.Count, node.Flags, 1);

    ForEachPiece(report.FieldText("parent_ar"), ',', [&](std::string_view piece) {
      piece = TrimBlanks(piece);
      if (piece.empty()) return;
      name.assign(piece);
      AddOrUpdateParentAR(p, name, node.Count, node.Flags, 1);
    });
    ForEachPiece(report.FieldText("sub_ar"), ',', [&](std::string_view piece) {
      piece = TrimBlanks(piece);
      if (piece.empty()) return;
      name.assign(piece);
      AddOrUpdateSubAR(p, name, node.Count, node.Flags, 1);
    });

    const std::string servers = report.FieldText("sub_as");
    const std::string groups = report.FieldText("as_active");
    std::string_view remaining = groups;
    ForEachPiece(servers, ',', [&](std::string_view piece) {
      const ParsedFlags server = ParseNextASActive(remaining);
      piece = TrimBlanks(piece);
      if (piece.empty()) return;
      name.assign(piece);
      AddOrUpdateSubAS(p, name, server.Count, server.Flags, 1);
    });

    report.Next();
  }
}

}  // namespace topo
