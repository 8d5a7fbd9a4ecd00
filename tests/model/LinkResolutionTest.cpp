// Link resolution: one-sided links in both directions and links to unknown names.
#include <gtest/gtest.h>

#include "model/Nodes.h"

namespace topo {
namespace {

const TActiveFlags kOne{1};

class ResolveLinksTest : public ::testing::Test {
 protected:
  int32_t Node(const char* name) { return list.AddOrUpdateAR(name, 1, kOne, 1); }
  TARNodeList list;
};

TEST_F(ResolveLinksTest, LinkAnsweredOnBothSidesKeepsItsCounts) {
  const int32_t p = Node("P");
  const int32_t x = Node("X");
  list.AddOrUpdateParentAR(x, "P", 1, kOne, 1);
  list.AddOrUpdateSubAR(p, "X", 1, kOne, 1);
  list.ResolveLinks();
  EXPECT_EQ(list.Items(x).ParentARs.Items(0).ARIndex(), p);
  EXPECT_EQ(list.Items(x).ParentARs.Items(0).ActiveCount, 1);
  EXPECT_EQ(list.Items(p).SubARs.Items(0).ARIndex(), x);
  EXPECT_EQ(list.Items(p).SubARs.Items(0).ActiveCount, 1);
  EXPECT_EQ(list.Items(x).ActiveCount, 1);
  EXPECT_EQ(list.Items(p).ActiveCount, 1);
}

TEST_F(ResolveLinksTest, UnansweredParentMarksTheChildNodeDown) {
  const int32_t p = Node("P");
  const int32_t x = Node("X");
  list.AddOrUpdateParentAR(x, "P", 1, kOne, 1);
  list.ResolveLinks();
  const TLinkNode& link = list.Items(x).ParentARs.Items(0);
  EXPECT_EQ(link.ARIndex(), p);
  EXPECT_EQ(link.ActiveCount, 0);
  EXPECT_EQ(link.ActiveFlags, kOne);  // flags are never touched
  EXPECT_EQ(list.Items(x).ActiveCount, 0);
  EXPECT_EQ(list.Items(p).ActiveCount, 1);
}

TEST_F(ResolveLinksTest, UnansweredChildLeavesTheParentNodeUp) {
  const int32_t p = Node("P");
  const int32_t x = Node("X");
  list.AddOrUpdateSubAR(p, "X", 1, kOne, 1);
  list.ResolveLinks();
  const TLinkNode& link = list.Items(p).SubARs.Items(0);
  EXPECT_EQ(link.ARIndex(), x);
  EXPECT_EQ(link.ActiveCount, 0);
  EXPECT_EQ(list.Items(p).ActiveCount, 1);
  EXPECT_EQ(list.Items(x).ActiveCount, 1);
}

TEST_F(ResolveLinksTest, LinksToUnknownNamesAreDroppedInBothLists) {
  const int32_t x = Node("X");
  Node("Y");
  list.AddOrUpdateParentAR(x, "gone1", 1, kOne, 1);
  list.AddOrUpdateParentAR(x, "Y", 1, kOne, 1);
  list.AddOrUpdateParentAR(x, "gone2", 1, kOne, 1);
  list.AddOrUpdateSubAR(x, "gone3", 1, kOne, 1);
  list.AddOrUpdateSubAR(x, "Y", 1, kOne, 1);
  list.AddOrUpdateSubAS(x, "gone4", 1, kOne, 1);  // servers are not links
  list.ResolveLinks();
  const TARNode& node = list.Items(x);
  ASSERT_EQ(node.ParentARs.Count(), 1);
  EXPECT_EQ(node.ParentARs.Items(0).Name(), "Y");
  EXPECT_EQ(node.ParentARs.IndexOf("Y"), 0);
  ASSERT_EQ(node.SubARs.Count(), 1);
  EXPECT_EQ(node.SubARs.Items(0).ARIndex(), 1);
  EXPECT_EQ(node.SubASs.Count(), 1);
}

TEST_F(ResolveLinksTest, RemovalThenResolveRebindsShiftedIndexes) {
  Node("A");
  const int32_t b = Node("B");
  const int32_t c = Node("C");
  list.AddOrUpdateParentAR(c, "B", 1, kOne, 1);
  list.AddOrUpdateSubAR(b, "C", 1, kOne, 1);
  list.Items(0).ActiveCount = 0;
  ASSERT_EQ(list.RemoveNode(false, "A"), TARNodeList::RemoveResult::Removed);
  list.ResolveLinks();
  EXPECT_EQ(list.Items(1).ParentARs.Items(0).ARIndex(), 0);
  EXPECT_EQ(list.Items(0).SubARs.Items(0).ARIndex(), 1);
}

}  // namespace
}  // namespace topo
