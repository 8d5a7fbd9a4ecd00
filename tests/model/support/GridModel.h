// A status grid in memory that keeps what the dialog's grid control keeps: at
// least one column and one row, cells cut away with the counts, and writes
// outside the counts ignored. Used by the answer tests and the answer fuzzer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "model/StatusAnswer.h"

namespace topo::test {

class GridModel : public StatusGrid {
 public:
  void SetColCount(int32_t count) override {
    cols_ = std::max(1, count);
    for (auto& row : cells_) row.resize(static_cast<size_t>(cols_));
  }
  void SetRowCount(int32_t count) override {
    cells_.resize(static_cast<size_t>(std::max(1, count)),
                  std::vector<std::string>(static_cast<size_t>(cols_)));
  }
  void SetCell(int32_t col, int32_t row, const std::string& text) override {
    if (col < 0 || row < 0 || col >= cols_ || row >= Rows()) return;
    cells_[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
  }
  int32_t Cols() const { return cols_; }
  int32_t Rows() const { return static_cast<int32_t>(cells_.size()); }
  // Row by row, the way a test writes the expected table.
  const std::vector<std::vector<std::string>>& Cells() const { return cells_; }

 private:
  int32_t cols_ = 1;
  std::vector<std::vector<std::string>> cells_{1, std::vector<std::string>(1)};
};

}  // namespace topo::test
