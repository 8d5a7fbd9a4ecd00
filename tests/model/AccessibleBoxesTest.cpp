// The diagram's children as a screen reader reads them: numbering that a
// click does not change, the texts and states of each box, and moving by
// direction from any of them.
#include <gtest/gtest.h>

#include "DiagramBuilders.h"
#include "model/AccessibleBoxes.h"

namespace topo {
namespace {

using test::AddAR;
using test::AddAS;

const BoxTexts kTexts{"AR", "AS of %s", "; "};
const std::string kHq = "\xD7\xDC\xB2\xBF";  // "总部", code page 936

TEST(AccessibleBoxesTest, ChildrenFollowTheModelWithTextsAndStates) {
  TARNodeList list;
  const int32_t hq = AddAR(list, kHq, 2, {0, 0, 100, 17});
  list.Items(hq).ActiveFlags = {0, 1, 0, 0, 1, 1};  // the count, not the flags, limits
  AddAS(list, hq, "quote", 0, {0, 40, 100, 57});
  AddAS(list, hq, "feed", 3, {0, 80, 100, 97});
  const int32_t edge = AddAR(list, "edge", 1, {200, 0, 300, 17});
  AddAS(list, edge, "quote", 1, {200, 40, 300, 57});

  const struct {
    std::string name, value, description;
    uint32_t state;
    ZOrderEntry entry;
  } expected[] = {
      {kHq + " (2)", "1; 4", "AR", kBoxSelected, {0, -1}},
      {"quote (0)", "", "AS of " + kHq, kBoxDown, {0, 0}},
      {"feed (3)", "0; 1; 2", "AS of " + kHq, 0, {0, 1}},
      {"edge (1)", "0", "AR", 0, {1, -1}},
      {"quote (1)", "0", "AS of edge", 0, {1, 0}},
  };
  ASSERT_EQ(5, AccessibleBoxCount(list));
  for (bool clicked : {false, true}) {
    if (clicked) list.MouseDown(TMouseButton::Left, 250, 50, 0, 0);  // edge's "quote"
    for (int32_t child = 1; child <= 5; ++child) {
      const auto& want = expected[child - 1];
      const std::optional<AccessibleBox> box = DescribeAccessibleBox(list, child, kTexts);
      ASSERT_TRUE(box) << child;
      EXPECT_EQ(want.name, box->name) << child;
      EXPECT_EQ(want.value, box->value) << child;
      EXPECT_EQ(want.description, box->description) << child;
      const uint32_t selectedNow = clicked ? (child == 5 ? kBoxSelected : 0) : want.state;
      EXPECT_EQ((want.state & kBoxDown) | (selectedNow & kBoxSelected), box->state) << child;
      EXPECT_EQ(want.entry, box->entry) << child;
      EXPECT_EQ(child, AccessibleChild(list, box->entry)) << child;
    }
    EXPECT_EQ(clicked ? 5 : 1, SelectedAccessibleChild(list));
  }
  for (int32_t outside : {0, -1, 6, INT32_MIN})
    EXPECT_FALSE(DescribeAccessibleBox(list, outside, kTexts)) << outside;
  EXPECT_EQ(0, AccessibleChild(list, {0, 2}));
  EXPECT_EQ(0, AccessibleChild(list, {2, -1}));
  EXPECT_EQ(0, SelectedAccessibleChild(TARNodeList()));

  // Moving by direction starts from any child, not only the selected one (5).
  const struct {
    int32_t from;
    TDirection toward;
    int32_t to;
  } moves[] = {{1, TDirection::Right, 4},
               {1, TDirection::Down, 2},
               {4, TDirection::Left, 1},
               {3, TDirection::Down, 0},
               {0, TDirection::Up, 0}};
  for (const auto& m : moves)
    EXPECT_EQ(m.to, AccessibleChildToward(list, m.from, m.toward)) << m.from;
}

}  // namespace
}  // namespace topo
