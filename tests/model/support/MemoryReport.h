// A status report held in memory, for feeding the merge without the host's
// unpacker. It can be told to fail at one row, as a broken answer would.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "model/ReportReader.h"

namespace topo {

class MemoryReport : public ReportReader {
 public:
  using Row = std::map<std::string, std::string>;

  explicit MemoryReport(std::vector<Row> rows, int failAtRow = -1)
      : rows_(std::move(rows)), failAtRow_(failAtRow) {}

  bool Eof() override;
  // A field the row lacks reads as empty text.
  std::string FieldText(const char* name) override;
  void Next() override;

 private:
  std::vector<Row> rows_;
  int failAtRow_;
  size_t current_ = 0;
};

// One row of the six fields, in their order in the answer.
MemoryReport::Row ReportRow(std::string ar, std::string arActive, std::string parentAr = "",
                            std::string subAr = "", std::string subAs = "",
                            std::string asActive = "");

}  // namespace topo
