// Feeds arbitrary report texts through the refresh steps and checks after
// every report that the model still holds together: one stacking entry per
// box, no duplicate names, every stacking entry pointing at a record, and
// lookups that agree with the lists. Input layout: the first 16 bytes give
// the canvas; then field texts separated by 0x00, six per row; 0x01 ends a
// report; a report's first field starting with 0x02 removes the named node.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "model/Nodes.h"
#include "model/ReportReader.h"

namespace {

using topo::TARNodeList;
using topo::TLinkNodeList;

void Require(bool ok) {
  if (!ok) std::abort();
}

class FuzzReport : public topo::ReportReader {
 public:
  explicit FuzzReport(std::vector<std::vector<std::string>> rows) : rows_(std::move(rows)) {}
  bool Eof() override { return current_ >= rows_.size(); }
  std::string FieldText(const char* name) override {
    static const char* const kFields[6] = {"ar",     "ar_active", "parent_ar",
                                           "sub_ar", "sub_as",    "as_active"};
    for (size_t f = 0; f < 6; ++f) {
      if (std::strcmp(name, kFields[f]) == 0) return rows_[current_][f];
    }
    std::abort();  // the merge asked for a field the report does not have
  }
  void Next() override { ++current_; }

 private:
  std::vector<std::vector<std::string>> rows_;
  size_t current_ = 0;
};

void CheckList(const TLinkNodeList& list) {
  std::set<std::string> names;
  for (int32_t i = 0; i < list.Count(); ++i) {
    Require(names.insert(list.Items(i).Name()).second);
    Require(list.IndexOf(list.Items(i).Name()) == i);
  }
}

void CheckModel(const TARNodeList& model, bool resolved) {
  std::set<std::string> names;
  size_t boxes = 0;
  for (int32_t i = 0; i < model.Count(); ++i) {
    const topo::TARNode& node = model.Items(i);
    Require(names.insert(node.Name()).second);
    Require(model.IndexOf(node.Name()) == i);
    CheckList(node.ParentARs);
    CheckList(node.SubARs);
    CheckList(node.SubASs);
    boxes += 1 + static_cast<size_t>(node.SubASs.Count());
    if (!resolved) continue;
    for (const TLinkNodeList* links : {&node.ParentARs, &node.SubARs}) {
      for (int32_t k = 0; k < links->Count(); ++k) {
        const topo::TLinkNode& link = links->Items(k);
        Require(link.ARIndex() >= 0 && link.ARIndex() < model.Count());
        Require(model.Items(link.ARIndex()).Name() == link.Name());
      }
    }
  }
  Require(static_cast<size_t>(model.ZOrder.Count()) == boxes);
  std::set<std::pair<int32_t, int32_t>> seen;
  for (int32_t z = 0; z < model.ZOrder.Count(); ++z) {
    const topo::ZOrderEntry& entry = model.ZOrder.Items(z);
    Require(entry.ARIndex >= 0 && entry.ARIndex < model.Count());
    Require(entry.ASIndex >= -1 && entry.ASIndex < model.Items(entry.ARIndex).SubASs.Count());
    Require(seen.insert({entry.ARIndex, entry.ASIndex}).second);
  }
}

int32_t ReadInt(const uint8_t* p) {
  uint32_t v = 0;
  std::memcpy(&v, p, 4);
  return static_cast<int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  topo::TRect canvas{0, 0, 800, 600};
  if (size >= 16) {
    canvas = {ReadInt(data), ReadInt(data + 4), ReadInt(data + 8), ReadInt(data + 12)};
    data += 16;
    size -= 16;
  }
  TARNodeList model;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  int reports = 0;

  std::string heightText;
  const auto endReport = [&] {
    if (!rows.empty() && !rows[0][0].empty() && rows[0][0][0] == '\x02') {
      const std::string& command = rows[0][0];
      const bool isAS = command.size() > 1 && (command[1] & 1);
      model.RemoveNode(isAS, command.size() > 2 ? command.substr(2) : std::string());
      CheckModel(model, false);
      heightText = rows[0][1];
      rows.erase(rows.begin());
    }
    FuzzReport report(std::move(rows));
    rows.clear();
    model.MergeStatus(report);
    CheckModel(model, false);
    model.ResolveLinks();
    CheckModel(model, true);
    model.PlaceOutsideNodes(canvas);
    CheckModel(model, true);
    if (++reports % 4 == 0) {
      const std::optional<int32_t> height = model.ReLocate(canvas, heightText);
      Require(!height || *height >= 74);
    }
  };

  for (size_t i = 0; i <= size; ++i) {
    const int c = i < size ? data[i] : 1;
    if (c == 0 || c == 1) {
      row.push_back(field);
      field.clear();
      if (row.size() == 6) {
        rows.push_back(row);
        row.clear();
      }
      if (c == 1) {
        if (!row.empty()) {
          row.resize(6);
          rows.push_back(row);
          row.clear();
        }
        endReport();
      }
    } else {
      field.push_back(static_cast<char>(c));
    }
  }
  return 0;
}
