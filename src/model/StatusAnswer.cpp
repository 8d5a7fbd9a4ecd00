#include "model/StatusAnswer.h"

#include <algorithm>

namespace topo {
namespace {

// A count, crossed with the other dimension of the loop it drives, must keep
// the table (with its fixed row and column) within the limit.
int32_t Checked(int32_t count, int32_t across) {
  if (count > 0 && (int64_t{count} + 1) * (std::max<int64_t>(across, 1) + 1) > kMaxAnswerCells) {
    throw EAnswerTooLarge();
  }
  return count;
}

}  // namespace

EAnswerTooLarge::EAnswerTooLarge() : std::length_error("the status answer is too large to show") {}

TStatusTarget StatusTarget(const TClickedServer& server, int32_t instance) {
  const std::string number = std::to_string(instance);
  if (server.SvrType == 0) return {kAddressInstance, server.SvrName + "." + number};
  return {kAddressServer, server.ParentARName + "." + server.SvrName + "." + number};
}

void ClearResultGrid(StatusGrid& grid) {
  grid.SetColCount(2);
  grid.SetRowCount(2);
  grid.SetCell(0, 0, "#");
  grid.SetCell(0, 1, "");
  grid.SetCell(1, 0, "");
  grid.SetCell(1, 1, "");
}

void FillResultGrid(StatusAnswer& answer, StatusGrid& grid) {
  grid.SetColCount(2);
  grid.SetRowCount(2);
  int32_t fields = Checked(answer.FieldCount(), 1);
  if (fields > 1) grid.SetColCount(fields + 1);
  int32_t rows = Checked(answer.RowCount(), fields);
  if (rows > 1) grid.SetRowCount(rows + 1);
  grid.SetCell(0, 0, "#");
  grid.SetCell(0, 1, "");
  grid.SetCell(1, 0, "");
  grid.SetCell(1, 1, "");

  fields = Checked(answer.FieldCount(), 1);
  for (int32_t i = 1; i <= fields; ++i) {
    grid.SetCell(i, 0, answer.FieldName(i - 1));
    grid.SetCell(i, 1, "");
  }
  answer.First();
  rows = Checked(answer.RowCount(), 1);
  for (int32_t k = 1; k <= rows; ++k) {
    grid.SetCell(0, k, std::to_string(k));
    fields = Checked(answer.FieldCount(), rows);
    for (int32_t i = 1; i <= fields; ++i) {
      std::string text = answer.FieldValue(i - 1);
      // A value is text up to its first zero character, as a C string would be.
      text.resize(std::min(text.size(), text.find('\0')));
      grid.SetCell(i, k, text);
    }
    answer.Next();
  }
}

}  // namespace topo
