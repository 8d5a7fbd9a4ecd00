// Where a status query goes and how its answer becomes the dialog's table,
// with answers of every shape, broken ones included.
#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "GridModel.h"
#include "model/StatusAnswer.h"

namespace topo {
namespace {

using Table = std::vector<std::vector<std::string>>;

// An answer held in memory; its counts can be overridden (the field count
// read by read), and the values of one row can be made to fail.
class TableAnswer : public StatusAnswer {
 public:
  TableAnswer(std::vector<std::string> names, Table rows)
      : names_(std::move(names)), rows_(std::move(rows)) {}
  int32_t FieldCount() override {
    if (!fieldCounts.empty()) {
      const int32_t n = fieldCounts.front();
      fieldCounts.erase(fieldCounts.begin());
      return n;
    }
    return static_cast<int32_t>(names_.size());
  }
  int32_t RowCount() override { return rowCount.value_or(static_cast<int32_t>(rows_.size())); }
  // A count grown beyond the table reads empty text.
  std::string FieldName(int32_t field) override { return At(names_, field); }
  std::string FieldValue(int32_t field) override {
    if (failAtRow == row_) throw std::runtime_error("GetValue failed");
    return row_ < static_cast<int>(rows_.size()) ? At(rows_[static_cast<size_t>(row_)], field) : "";
  }
  void First() override { row_ = 0; }
  void Next() override { ++row_; }

  std::vector<int32_t> fieldCounts;  // answers of the first FieldCount reads
  std::optional<int32_t> rowCount;
  int failAtRow = -1;

 private:
  std::vector<std::string> names_;
  Table rows_;
  int row_ = -1;
  static std::string At(const std::vector<std::string>& v, int32_t i) {
    return i >= 0 && static_cast<size_t>(i) < v.size() ? v[static_cast<size_t>(i)] : "";
  }
};

TEST(StatusAnswerTest, TargetNamesTheInstanceOfTheClickedNode) {
  const std::string chinese = "\xD6\xD0\xD0\xC4";
  const struct {
    TClickedServer server;
    int32_t instance;
    int32_t kind;
    std::string address;
  } cases[] = {
      {{0, "AR1", ""}, 0, kAddressInstance, "AR1.0"},
      {{1, "AS3", "AR1"}, 2, kAddressServer, "AR1.AS3.2"},
      {{7, "AS3", "AR1"}, 9, kAddressServer, "AR1.AS3.9"},  // any non-zero type is a server
      {{0, chinese, "ignored"}, -1, kAddressInstance, chinese + ".-1"},
  };
  for (const auto& c : cases) {
    const TStatusTarget target = StatusTarget(c.server, c.instance);
    EXPECT_EQ(target.AddressKind, c.kind) << c.address;
    EXPECT_EQ(target.Address, c.address);
  }
}

// Answers of several shapes into one grid, larger ones before smaller ones,
// so a cell left over from an earlier answer shows.
TEST(StatusAnswerTest, EveryShapeFillsTheGridAfterCuttingItBack) {
  const struct {
    const char* shape;
    std::vector<std::string> names;
    Table rows;
    Table grid;
  } cases[] = {
      {"3 fields x 4 rows",
       {"name", "state", "count"},
       {{"a", "up", "1"}, {"b", "up", "2"}, {"c", "down", "3"}, {"d", "up", "4"}},
       {{"#", "name", "state", "count"},
        {"1", "a", "up", "1"},
        {"2", "b", "up", "2"},
        {"3", "c", "down", "3"},
        {"4", "d", "up", "4"}}},
      {"1 field x 1 row", {"only"}, {{"v"}}, {{"#", "only"}, {"1", "v"}}},
      {"no fields, 3 rows", {}, {{}, {}, {}}, {{"#", ""}, {"1", ""}, {"2", ""}, {"3", ""}}},
      {"2 fields, no rows", {"x", "y"}, {}, {{"#", "x", "y"}, {"", "", ""}}},
      {"nothing", {}, {}, {{"#", ""}, {"", ""}}},
      {"zero characters",
       {"v"},
       {{std::string("ab\0cd", 5)}, {std::string("\0x", 2)}},
       {{"#", "v"}, {"1", "ab"}, {"2", ""}}},
  };
  test::GridModel grid;
  for (const auto& c : cases) {
    TableAnswer answer(c.names, c.rows);
    FillResultGrid(answer, grid);
    EXPECT_EQ(grid.Cells(), c.grid) << c.shape;
  }
}

TEST(StatusAnswerTest, BrokenAnswersStopWithoutRunawayOrLostCells) {
  const int32_t edge = 1023;  // 1024 x 1024 cells: the largest table taken
  const struct {
    const char* what;
    std::vector<int32_t> fieldCounts;
    std::optional<int32_t> rowCount;
    int failAtRow;
    bool tooLarge;
    int32_t cols, rows;
  } cases[] = {
      {"a failing value keeps the rows before it", {}, std::nullopt, 1, false, 3, 3},
      {"negative counts show no field or row", {-5, -5}, -3, -1, false, 2, 2},
      {"the largest table", {edge}, edge, -1, false, edge + 1, edge + 1},
      {"one row too many", {edge}, edge + 1, -1, true, edge + 1, 2},
      {"a field count at the top of its range", {INT32_MAX}, std::nullopt, -1, true, 2, 2},
      {"a field count that grows after sizing", {2, INT32_MAX}, std::nullopt, -1, true, 3, 3},
      {"a field count that grows within a row", {2, 2, 5}, std::nullopt, -1, false, 3, 3},
  };
  for (const auto& c : cases) {
    TableAnswer answer({"f", "g"}, {{"a", "b"}, {"c", "d"}});
    answer.fieldCounts = c.fieldCounts;
    answer.rowCount = c.rowCount;
    answer.failAtRow = c.failAtRow;
    test::GridModel grid;
    bool tooLarge = false;
    try {
      FillResultGrid(answer, grid);
    } catch (const EAnswerTooLarge&) {
      tooLarge = true;
    } catch (const std::runtime_error&) {
      // The injected failure.
    }
    EXPECT_EQ(tooLarge, c.tooLarge) << c.what;
    EXPECT_EQ(grid.Cols(), c.cols) << c.what;
    EXPECT_EQ(grid.Rows(), c.rows) << c.what;
  }
  // The failing value: row 1 and the names stay, row 2 holds its number only.
  TableAnswer answer({"f", "g"}, {{"a", "b"}, {"c", "d"}});
  answer.failAtRow = 1;
  test::GridModel grid;
  EXPECT_THROW(FillResultGrid(answer, grid), std::runtime_error);
  EXPECT_EQ(grid.Cells(), (Table{{"#", "f", "g"}, {"1", "a", "b"}, {"2", "", ""}}));
}

}  // namespace
}  // namespace topo
