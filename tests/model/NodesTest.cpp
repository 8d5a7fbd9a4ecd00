// The records and lists: lookups, add-or-update, removal and the stacking
// order that removal must keep pointing at the right records.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "model/Nodes.h"

namespace topo {
namespace {

const TActiveFlags kNone{};
const TActiveFlags kOne{1};

// A record's identity is written by its list alone: neither its Name, nor a
// link's ARIndex, nor the whole record can be assigned through Items, since a
// renamed record would be lost to IndexOf and a preset binding drawn blindly.
template <typename T, typename = void>
struct NameWritable : std::false_type {};
template <typename T>
struct NameWritable<T, std::void_t<decltype(std::declval<T&>().Name = std::string())>>
    : std::true_type {};
template <typename T, typename = void>
struct ARIndexWritable : std::false_type {};
template <typename T>
struct ARIndexWritable<T, std::void_t<decltype(std::declval<T&>().ARIndex = 0)>> : std::true_type {
};
static_assert(!NameWritable<TARNode>::value && !NameWritable<TLinkNode>::value);
static_assert(!ARIndexWritable<TLinkNode>::value);
static_assert(!std::is_copy_assignable_v<TARNode> && !std::is_move_assignable_v<TARNode>);
static_assert(!std::is_copy_assignable_v<TLinkNode> && !std::is_move_assignable_v<TLinkNode>);
// The detectors do see a writable field.
struct OpenRecord {
  std::string Name;
  int32_t ARIndex;
};
static_assert(NameWritable<OpenRecord>::value && ARIndexWritable<OpenRecord>::value);

std::vector<ZOrderEntry> ZOrderOf(const TARNodeList& list) {
  std::vector<ZOrderEntry> out;
  for (int32_t i = 0; i < list.ZOrder.Count(); ++i) out.push_back(list.ZOrder.Items(i));
  return out;
}

TEST(TARNodeListTest, LookupIsByteForByteAndCaseSensitive) {
  TARNodeList list;
  EXPECT_EQ(list.AddOrUpdateAR("ar1", 0, kNone, 0), 0);
  EXPECT_EQ(list.AddOrUpdateAR("AR1", 0, kNone, 0), 1);
  EXPECT_EQ(list.AddOrUpdateAR("ar1 ", 0, kNone, 0), 2);
  const std::string chinese = "\xd6\xd0\xd0\xc4";  // two CP936 characters
  EXPECT_EQ(list.AddOrUpdateAR(chinese, 0, kNone, 0), 3);
  EXPECT_EQ(list.IndexOf("ar1"), 0);
  EXPECT_EQ(list.IndexOf("AR1"), 1);
  EXPECT_EQ(list.IndexOf("ar1 "), 2);
  EXPECT_EQ(list.IndexOf(chinese), 3);
  EXPECT_EQ(list.IndexOf("\xd6\xd0"), -1);
  EXPECT_EQ(list.IndexOf("ar"), -1);
  EXPECT_EQ(list.Count(), 4);
}

TEST(TARNodeListTest, ItemsOutsideRangeRaiseListIndexError) {
  TARNodeList list;
  EXPECT_THROW(list.Items(0), EListIndexError);
  list.AddOrUpdateAR("a", 0, kNone, 0);
  EXPECT_NO_THROW(list.Items(0));
  EXPECT_THROW(list.Items(1), EListIndexError);
  EXPECT_THROW(list.Items(-1), EListIndexError);
  EXPECT_THROW(list.Items(0).SubASs.Items(0), EListIndexError);
  EXPECT_THROW(list.ZOrder.Items(1), EListIndexError);
  EXPECT_THROW(list.ZOrder.BringToFront(5), EListIndexError);
}

TEST(TARNodeListTest, NewNodeGetsDefaultBoxAndBackOfStackingOrder) {
  TARNodeList list;
  list.AddOrUpdateAR("a", 0, kNone, 1);
  list.AddOrUpdateAR("b", 2, TActiveFlags{1, 1}, 0);
  const TARNode& b = list.Items(1);
  EXPECT_EQ(b.Rect, (TRect{-500, -400, -400, -383}));
  EXPECT_EQ(b.ActiveCount, 2);
  EXPECT_EQ(b.NotInBaseline, 0);
  EXPECT_EQ(list.Items(0).NotInBaseline, 1);
  EXPECT_EQ(ZOrderOf(list), (std::vector<ZOrderEntry>{{0, -1}, {1, -1}}));
}

TEST(TARNodeListTest, UpdatingNodeDropsLinksButKeepsServersBoxAndMarker) {
  TARNodeList list;
  const int32_t p = list.AddOrUpdateAR("a", 1, kOne, 0);
  list.AddOrUpdateParentAR(p, "p", 1, kOne, 1);
  list.AddOrUpdateSubAR(p, "c", 1, kOne, 1);
  list.AddOrUpdateSubAS(p, "s", 1, kOne, 1);
  list.Items(p).Rect = {1, 2, 101, 19};
  list.Items(p).SubASs.Items(0).Rect = {5, 6, 105, 23};

  EXPECT_EQ(list.AddOrUpdateAR("a", 3, TActiveFlags{0, 1, 1, 1}, 1), p);
  const TARNode& a = list.Items(p);
  EXPECT_EQ(a.ParentARs.Count(), 0);
  EXPECT_EQ(a.SubARs.Count(), 0);
  ASSERT_EQ(a.SubASs.Count(), 1);
  EXPECT_EQ(a.SubASs.Items(0).Rect, (TRect{5, 6, 105, 23}));
  EXPECT_EQ(a.Rect, (TRect{1, 2, 101, 19}));
  EXPECT_EQ(a.NotInBaseline, 0);
  EXPECT_EQ(a.ActiveCount, 3);
  EXPECT_EQ(a.ActiveFlags, (TActiveFlags{0, 1, 1, 1}));
  EXPECT_EQ(list.ZOrder.Count(), 2);
  // The cleared lists accept the same names again.
  EXPECT_EQ(list.AddOrUpdateParentAR(p, "p", 1, kOne, 1), 0);
}

TEST(TARNodeListTest, AddOrUpdateSubASAddsOneZOrderEntryOnlyForNewServers) {
  TARNodeList list;
  list.AddOrUpdateAR("a", 0, kNone, 0);
  list.AddOrUpdateAR("b", 0, kNone, 0);
  EXPECT_EQ(list.AddOrUpdateSubAS(1, "s1", 1, kOne, 1), 0);
  EXPECT_EQ(list.AddOrUpdateSubAS(1, "s2", 0, kNone, 1), 1);
  EXPECT_EQ(list.AddOrUpdateSubAS(1, "s1", 0, kNone, 0), 0);
  EXPECT_EQ(ZOrderOf(list), (std::vector<ZOrderEntry>{{0, -1}, {1, -1}, {1, 0}, {1, 1}}));
  const TLinkNode& s1 = list.Items(1).SubASs.Items(0);
  EXPECT_EQ(s1.ActiveCount, 0);
  EXPECT_EQ(s1.NotInBaseline, 1);  // set at creation only
}

TEST(TARNodeListTest, AddToNodeOutsideRangeReturnsMinusOne) {
  TARNodeList list;
  list.AddOrUpdateAR("a", 0, kNone, 0);
  EXPECT_EQ(list.AddOrUpdateParentAR(1, "x", 0, kNone, 0), -1);
  EXPECT_EQ(list.AddOrUpdateSubAR(-1, "x", 0, kNone, 0), -1);
  EXPECT_EQ(list.AddOrUpdateSubAS(7, "x", 0, kNone, 0), -1);
  EXPECT_EQ(list.ZOrder.Count(), 1);
}

TEST(TARNodeListTest, ClearStatusClearsCountsAndFlagsEverywhereOnly) {
  TARNodeList list;
  list.AddOrUpdateAR("a", 1, kOne, 1);
  list.AddOrUpdateParentAR(0, "p", 1, kOne, 1);
  list.AddOrUpdateSubAR(0, "c", 1, kOne, 1);
  list.AddOrUpdateSubAS(0, "s", 1, kOne, 1);
  list.ClearStatus();
  const TARNode& a = list.Items(0);
  EXPECT_EQ(a.ActiveCount, 0);
  EXPECT_EQ(a.ActiveFlags, kNone);
  EXPECT_EQ(a.NotInBaseline, 1);
  for (const TLinkNodeList* links : {&a.ParentARs, &a.SubARs, &a.SubASs}) {
    ASSERT_EQ(links->Count(), 1);
    EXPECT_EQ(links->Items(0).ActiveCount, 0);
    EXPECT_EQ(links->Items(0).ActiveFlags, kNone);
  }
}

TEST(TZOrderListTest, BringToFrontExchangesWithFront) {
  TZOrderList z;
  for (int32_t i = 0; i < 5; ++i) z.Add(i, -1);  // A..E
  z.BringToFront(3);
  std::vector<int32_t> order;
  for (int32_t i = 0; i < z.Count(); ++i) order.push_back(z.Items(i).ARIndex);
  EXPECT_EQ(order, (std::vector<int32_t>{3, 1, 2, 0, 4}));
  z.BringToFront(0);
  EXPECT_EQ(z.Items(0).ARIndex, 3);
  z.Delete(1);
  EXPECT_EQ(z.Count(), 4);
  EXPECT_EQ(z.Items(1).ARIndex, 2);
}

TEST(TARNodeListTest, NodeAtTakesFrontMostBoxAndExcludesRightAndBottomEdges) {
  TARNodeList list;
  list.AddOrUpdateAR("a", 0, kNone, 0);
  list.AddOrUpdateAR("b", 0, kNone, 0);
  list.Items(0).Rect = {0, 0, 100, 17};
  list.Items(1).Rect = {50, 10, 150, 27};
  EXPECT_EQ(list.NodeAt(60, 12), 0);
  list.ZOrder.BringToFront(1);
  EXPECT_EQ(list.NodeAt(60, 12), 0);
  EXPECT_EQ(list.ZOrder.Items(0).ARIndex, 1);
  EXPECT_EQ(list.NodeAt(0, 0), 1);
  EXPECT_EQ(list.NodeAt(100, 5), -1);
  EXPECT_EQ(list.NodeAt(5, 17), -1);
  EXPECT_EQ(list.NodeAt(149, 26), 0);
  EXPECT_EQ(list.NodeAt(150, 26), -1);
}

// Three nodes a, b, c, each with two servers; b is linked from a and c.
class RemoveNodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a", "b", "c"}) {
      const int32_t p = list.AddOrUpdateAR(name, 0, kNone, 0);
      list.AddOrUpdateSubAS(p, std::string(name) + "1", 0, kNone, 0);
      list.AddOrUpdateSubAS(p, std::string(name) + "2", 0, kNone, 0);
    }
    list.AddOrUpdateSubAR(0, "b", 0, kNone, 0);
    list.AddOrUpdateParentAR(2, "b", 0, kNone, 0);
    list.AddOrUpdateSubAR(2, "b", 0, kNone, 0);
    list.AddOrUpdateSubAR(2, "a", 0, kNone, 0);
    list.AddOrUpdateSubAS(1, "shared", 0, kNone, 0);
    list.AddOrUpdateSubAS(2, "shared", 0, kNone, 0);
  }
  TARNodeList list;
};

TEST_F(RemoveNodeTest, RemovingNodeRepairsZOrderAndDropsLinksNamingIt) {
  list.ZOrder.BringToFront(5);  // (b,1) to the front
  ASSERT_EQ(list.RemoveNode(false, "b"), TARNodeList::RemoveResult::Removed);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.IndexOf("b"), -1);
  EXPECT_EQ(list.IndexOf("c"), 1);
  EXPECT_EQ(list.Items(0).SubARs.Count(), 0);
  EXPECT_EQ(list.Items(1).ParentARs.Count(), 0);
  ASSERT_EQ(list.Items(1).SubARs.Count(), 1);
  EXPECT_EQ(list.Items(1).SubARs.Items(0).Name(), "a");
  EXPECT_EQ(ZOrderOf(list),
            (std::vector<ZOrderEntry>{{0, 0}, {0, 1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {1, 2}}));
}

TEST_F(RemoveNodeTest, RemovingActiveNodeIsRefusedAndChangesNothing) {
  list.Items(1).ActiveCount = 1;
  const auto before = ZOrderOf(list);
  EXPECT_EQ(list.RemoveNode(false, "b"), TARNodeList::RemoveResult::RefusedActive);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(ZOrderOf(list), before);
  EXPECT_EQ(list.RemoveNode(false, "zz"), TARNodeList::RemoveResult::NotFound);
  EXPECT_EQ(list.RemoveNode(true, "zz"), TARNodeList::RemoveResult::NotFound);
  EXPECT_EQ(ZOrderOf(list), before);
}

TEST_F(RemoveNodeTest, RemovingServerTouchesOnlyFirstNodeHoldingIt) {
  // "shared" is b's third server (1,2) and c's third (2,2).
  list.ZOrder.BringToFront(static_cast<int32_t>(ZOrderOf(list).size()) - 1);  // (2,2) in front
  ASSERT_EQ(list.RemoveNode(true, "b1"), TARNodeList::RemoveResult::Removed);
  ASSERT_EQ(list.Items(1).SubASs.Count(), 2);
  EXPECT_EQ(list.Items(1).SubASs.Items(0).Name(), "b2");
  EXPECT_EQ(list.Items(1).SubASs.IndexOf("shared"), 1);
  EXPECT_EQ(
      ZOrderOf(list),
      (std::vector<ZOrderEntry>{
          {2, 2}, {0, 0}, {0, 1}, {1, -1}, {1, 0}, {2, -1}, {2, 0}, {2, 1}, {1, 1}, {0, -1}}));

  list.Items(1).SubASs.Items(1).ActiveCount = 2;  // b's "shared" runs, c's does not
  EXPECT_EQ(list.RemoveNode(true, "shared"), TARNodeList::RemoveResult::RefusedActive);
  EXPECT_EQ(list.Items(2).SubASs.Count(), 3);
  list.Items(1).SubASs.Items(1).ActiveCount = 0;
  EXPECT_EQ(list.RemoveNode(true, "shared"), TARNodeList::RemoveResult::Removed);
  EXPECT_EQ(list.Items(1).SubASs.Count(), 1);
  EXPECT_EQ(list.Items(2).SubASs.Count(), 3);
}

TEST(TLinkNodeListTest, DeleteKeepsLookupsInStep) {
  TLinkNodeList links;
  for (const char* name : {"x", "y", "z"}) links.AddOrUpdate(name, 0, kNone, 0);
  links.Delete(0);
  EXPECT_EQ(links.IndexOf("x"), -1);
  EXPECT_EQ(links.IndexOf("y"), 0);
  EXPECT_EQ(links.IndexOf("z"), 1);
  EXPECT_EQ(links.AddOrUpdate("x", 1, kOne, 1), 2);
  EXPECT_THROW(links.Delete(3), EListIndexError);
}

// Long lists are looked up through a hash, short ones by scanning; both must
// answer what a scan would, across growth, deletion and the lookup hint.
TEST(TLinkNodeListTest, LookupsAgreeWithPositionsAcrossGrowthAndDeletion) {
  TLinkNodeList links;
  for (int i = 0; i < 40; ++i)
    EXPECT_EQ(links.AddOrUpdate("n" + std::to_string(i), 0, kNone, 0), i);
  const auto check = [&links] {
    for (int32_t i = 0; i < links.Count(); ++i) EXPECT_EQ(links.IndexOf(links.Items(i).Name()), i);
    for (int32_t i = links.Count() - 1; i >= 0; --i)
      EXPECT_EQ(links.IndexOf(links.Items(i).Name()), i);
  };
  check();
  EXPECT_EQ(links.IndexOf("n40"), -1);
  links.DeleteIf([](const TLinkNode& l) { return l.Name().size() == 2; });  // n0..n9
  EXPECT_EQ(links.Count(), 30);
  EXPECT_EQ(links.IndexOf("n5"), -1);
  check();
  while (links.Count() > 3) links.Delete(links.Count() / 2);
  check();
  EXPECT_EQ(links.IndexOf("n39"), 2);
  EXPECT_EQ(links.AddOrUpdate("n39", 1, kOne, 1), 2);
  EXPECT_EQ(links.Count(), 3);
}

TEST(TARNodeListTest, LookupsStayExactAfterRemovalsFromALongList) {
  TARNodeList list;
  for (int i = 0; i < 100; ++i) list.AddOrUpdateAR("ar" + std::to_string(i), 0, kNone, 0);
  for (int i = 0; i < 100; i += 3) {
    ASSERT_EQ(list.RemoveNode(false, "ar" + std::to_string(i)), TARNodeList::RemoveResult::Removed);
  }
  for (int32_t i = 0; i < list.Count(); ++i) EXPECT_EQ(list.IndexOf(list.Items(i).Name()), i);
  EXPECT_EQ(list.IndexOf("ar99"), -1);
  EXPECT_EQ(list.IndexOf("ar98"), list.Count() - 1);
  EXPECT_EQ(list.ZOrder.Count(), list.Count());
}

}  // namespace
}  // namespace topo
