// The management status query apart from the host's objects: where a query
// goes, and how an answer becomes the dialog's table. The answer and the grid
// are ports, so the rules run natively under the sanitizers and the fuzzer
// with any answer at all, and the plug-in plugs in the host's unpacker and
// its own grid control.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace topo {

// Address kinds of a destination: one instance of an AR node, or one
// instance of an AS node under its AR node.
inline constexpr int32_t kAddressInstance = 129;  // "AR.n"
inline constexpr int32_t kAddressServer = 131;    // "AR.AS.n"

// What the status command left in TempData about the clicked node, as code
// page 936 text.
struct TClickedServer {
  int32_t SvrType = 0;  // 0 for an AR node, otherwise an AS node
  std::string SvrName;
  std::string ParentARName;  // empty for an AR node
};

struct TStatusTarget {
  int32_t AddressKind = 0;
  std::string Address;  // code page 936
};

TStatusTarget StatusTarget(const TClickedServer& server, int32_t instance);

// An opened answer, read the way the host's unpacker reads it: counts, the
// name of a field by position, the value of a field in the current row. Any
// of them may throw; the caller decides what a failure shows.
class StatusAnswer {
 public:
  virtual int32_t FieldCount() = 0;
  virtual int32_t RowCount() = 0;
  virtual std::string FieldName(int32_t field) = 0;   // code page 936
  virtual std::string FieldValue(int32_t field) = 0;  // code page 936
  virtual void First() = 0;
  virtual void Next() = 0;

 protected:
  ~StatusAnswer() = default;
};

// The table an answer is shown in, cell by cell (column, row). A cell outside
// the current counts is not written.
class StatusGrid {
 public:
  virtual void SetColCount(int32_t count) = 0;
  virtual void SetRowCount(int32_t count) = 0;
  virtual void SetCell(int32_t col, int32_t row, const std::string& text) = 0;

 protected:
  ~StatusGrid() = default;
};

// The most cells an answer may fill. A status answer is a few screens of
// text; a count beyond this is a broken answer, and taking it at its word
// would mean an allocation the size of the address space and billions of
// calls on the host's user-interface thread.
inline constexpr int64_t kMaxAnswerCells = 1 << 20;

// Thrown for a count that would make a table of more cells than that; a
// count of 0 or less shows no field or row, as before.
class EAnswerTooLarge : public std::length_error {
 public:
  EAnswerTooLarge();
};

// The empty table of a query not yet answered: 2 x 2, "#" in the corner.
void ClearResultGrid(StatusGrid& grid);

// Cuts the grid back to 2 x 2 and fills it: "#" in the corner, field names in
// row 0, row numbers in column 0, each value cut at its first zero character.
// The counts are asked again before each loop, as the answer may change them.
// A failure ends the filling and leaves the cells written until then.
void FillResultGrid(StatusAnswer& answer, StatusGrid& grid);

}  // namespace topo
