// Feeds arbitrary status answers into the dialog's grid filling: counts of
// any 32-bit value, changing from one read to the next, names and values with
// zero characters, and failures at any read. Whatever the answer, the filling
// ends (with its own error at worst), the grid stays within the cell limit and
// at least 2 x 2, and no value cell holds a zero character. Input layout: each
// read takes what it needs from the front; an exhausted input reads as 0,
// empty text and success.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "GridModel.h"
#include "model/StatusAnswer.h"

namespace {

void Require(bool ok) {
  if (!ok) std::abort();
}

struct InjectedFailure : std::runtime_error {
  InjectedFailure() : std::runtime_error("injected") {}
};

class FuzzAnswer : public topo::StatusAnswer {
 public:
  FuzzAnswer(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int32_t FieldCount() override { return Count(); }
  int32_t RowCount() override { return Count(); }
  std::string FieldName(int32_t) override { return Text(); }
  std::string FieldValue(int32_t) override { return Text(); }
  void First() override { Step(); }
  void Next() override { Step(); }
  size_t calls = 0;

 private:
  uint8_t Byte() { return used_ < size_ ? data_[used_++] : 0; }
  // 0xFF fails the read; 0xFE is followed by a raw 32-bit count; any other
  // byte is a small count from -2 to 5.
  int32_t Count() {
    ++calls;
    const uint8_t b = Byte();
    if (b == 0xFF) throw InjectedFailure();
    if (b != 0xFE) return b % 8 - 2;
    uint32_t raw = 0;
    for (int i = 0; i < 4; ++i) raw = raw << 8 | Byte();
    int32_t count;
    std::memcpy(&count, &raw, sizeof count);
    return count;
  }
  // A length byte (0xFF fails the read), then that many bytes (at most 63).
  std::string Text() {
    ++calls;
    const uint8_t b = Byte();
    if (b == 0xFF) throw InjectedFailure();
    std::string text;
    for (uint8_t n = b % 64; n > 0 && used_ < size_; --n) text.push_back(static_cast<char>(Byte()));
    return text;
  }
  void Step() {
    ++calls;
    if (Byte() == 0xFF) throw InjectedFailure();
  }

  const uint8_t* data_;
  size_t size_;
  size_t used_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzAnswer answer(data, size);
  topo::test::GridModel grid;
  bool finished = false;
  try {
    topo::FillResultGrid(answer, grid);
    finished = true;
  } catch (const topo::EAnswerTooLarge&) {
  } catch (const InjectedFailure&) {
  }
  Require(answer.calls <= 4 * static_cast<size_t>(topo::kMaxAnswerCells));
  Require(int64_t{grid.Cols()} * grid.Rows() <= topo::kMaxAnswerCells);
  if (answer.calls > 0) Require(grid.Cols() >= 2 && grid.Rows() >= 2);
  if (finished) Require(grid.Cells()[0][0] == "#");
  for (int32_t row = 1; row < grid.Rows(); ++row) {
    for (int32_t col = 1; col < grid.Cols(); ++col) {
      Require(grid.Cells()[static_cast<size_t>(row)][static_cast<size_t>(col)].find('\0') ==
              std::string::npos);
    }
  }
  return 0;
}
