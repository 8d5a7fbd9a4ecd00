// The status merge: trimming, flag parsing, alignment of server groups with
// server names, and what a report leaves of nodes it does not mention.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "MemoryReport.h"
#include "model/MergeStatus.h"
#include "model/TextFields.h"

namespace topo {
namespace {

TEST(TextFieldsTest, TrimsOnlyBlanksAndControlBytes) {
  EXPECT_EQ(TrimBlanks(" \t\r\n ab c\x01 "), "ab c");
  EXPECT_EQ(TrimBlanks("   "), "");
  // 0xA1A1 is the ideographic space of code page 936: part of the name.
  EXPECT_EQ(TrimBlanks(" \xa1\xa1x\xa1\xa1 "), "\xa1\xa1x\xa1\xa1");
  EXPECT_EQ(TrimBlanks("\xff"), "\xff");
}

TEST(TextFieldsTest, ParsesSignedDecimalWithinThirtyTwoBits) {
  EXPECT_EQ(ParseInt32(" 42 "), 42);
  EXPECT_EQ(ParseInt32("-7"), -7);
  EXPECT_EQ(ParseInt32("+7"), 7);
  EXPECT_EQ(ParseInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInt32("2147483648"), std::nullopt);
  EXPECT_EQ(ParseInt32("-2147483649"), std::nullopt);
  EXPECT_EQ(ParseInt32("99999999999999999999999999"), std::nullopt);
  EXPECT_EQ(ParseInt32(""), std::nullopt);
  EXPECT_EQ(ParseInt32("-"), std::nullopt);
  EXPECT_EQ(ParseInt32("1x"), std::nullopt);
  EXPECT_EQ(ParseInt32("1 2"), std::nullopt);
  EXPECT_EQ(ParseInt32("0x10"), std::nullopt);
}

TEST(ParseActiveFlagsTest, ReadsTheFirstTenValues) {
  ParsedFlags f = ParseActiveFlags("0,0,2,");
  EXPECT_EQ(f.Count, 1);
  EXPECT_EQ(f.Flags, (TActiveFlags{0, 0, 1}));

  f = ParseActiveFlags("1,x,");
  EXPECT_EQ(f.Count, 1);
  EXPECT_EQ(f.Flags, (TActiveFlags{1}));

  f = ParseActiveFlags("1,1,1,1,1,1,1,1,1,1,1,");
  EXPECT_EQ(f.Count, 10);
  EXPECT_EQ(f.Flags, (TActiveFlags{1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));

  f = ParseActiveFlags(",");
  EXPECT_EQ(f.Count, 0);
  f = ParseActiveFlags(" -3 , 99999999999 ,\t1\r,");
  EXPECT_EQ(f.Count, 2);
  EXPECT_EQ(f.Flags, (TActiveFlags{1, 0, 1}));
}

TEST(ParseNextASActiveTest, TakesOneGroupAndLeavesTheLoneSeparatorAtTheEnd) {
  const std::string text = "1,1;;0,1;";
  std::string_view rest = text;
  ParsedFlags g = ParseNextASActive(rest);
  EXPECT_EQ(g.Count, 2);
  EXPECT_EQ(rest, ";0,1;");
  g = ParseNextASActive(rest);
  EXPECT_EQ(g.Count, 0);
  g = ParseNextASActive(rest);
  EXPECT_EQ(g.Flags, (TActiveFlags{0, 1}));
  EXPECT_EQ(rest, ";");
  g = ParseNextASActive(rest);
  EXPECT_EQ(g.Count, 0);
  EXPECT_EQ(rest, ";");

  const std::string unterminated = "0,1";  // the end closes the group
  rest = unterminated;
  g = ParseNextASActive(rest);
  EXPECT_EQ(g.Flags, (TActiveFlags{0, 1}));
  EXPECT_EQ(rest, ";");

  const std::string twelve = "1,1,1,1,1,1,1,1,1,0,1,1;1;";
  rest = twelve;
  g = ParseNextASActive(rest);
  EXPECT_EQ(g.Count, 9);
  EXPECT_EQ(g.Flags[9], 0);
  EXPECT_EQ(rest, "1;");
}

TEST(MergeStatusTest, MergesTheExampleRow) {
  TARNodeList list;
  MemoryReport report({ReportRow(" R1 ", "1,1,0", "R0", "R2,R3", "S1,S2,S3", "1,1;;0,1")});
  list.MergeStatus(report);
  ASSERT_EQ(list.Count(), 1);
  const TARNode& r1 = list.Items(0);
  EXPECT_EQ(r1.Name(), "R1");
  EXPECT_EQ(r1.ActiveCount, 2);
  EXPECT_EQ(r1.NotInBaseline, 1);
  ASSERT_EQ(r1.ParentARs.Count(), 1);
  EXPECT_EQ(r1.ParentARs.Items(0).Name(), "R0");
  EXPECT_EQ(r1.ParentARs.Items(0).ActiveCount, 2);  // the reporting node's own status
  EXPECT_EQ(r1.ParentARs.Items(0).ActiveFlags, (TActiveFlags{1, 1}));
  ASSERT_EQ(r1.SubARs.Count(), 2);
  EXPECT_EQ(r1.SubARs.Items(1).Name(), "R3");
  ASSERT_EQ(r1.SubASs.Count(), 3);
  EXPECT_EQ(r1.SubASs.Items(0).ActiveCount, 2);
  EXPECT_EQ(r1.SubASs.Items(1).ActiveCount, 0);
  EXPECT_EQ(r1.SubASs.Items(2).ActiveFlags, (TActiveFlags{0, 1}));
  EXPECT_EQ(list.ZOrder.Count(), 4);
}

TEST(MergeStatusTest, EmptyServerPositionUsesUpItsGroup) {
  TARNodeList list;
  MemoryReport report(
      {ReportRow("R", "", "", "", "S1,,S3", "1;1;0,1"), ReportRow("Q", "", "", "", "A,B,C", "1")});
  list.MergeStatus(report);
  const TLinkNodeList& r = list.Items(0).SubASs;
  ASSERT_EQ(r.Count(), 2);
  EXPECT_EQ(r.Items(0).ActiveFlags, (TActiveFlags{1}));
  EXPECT_EQ(r.Items(1).Name(), "S3");
  EXPECT_EQ(r.Items(1).ActiveFlags, (TActiveFlags{0, 1}));
  // Groups run out: the second and third servers get no instance.
  const TLinkNodeList& q = list.Items(1).SubASs;
  ASSERT_EQ(q.Count(), 3);
  EXPECT_EQ(q.Items(0).ActiveCount, 1);
  EXPECT_EQ(q.Items(1).ActiveCount, 0);
  EXPECT_EQ(q.Items(2).ActiveCount, 0);
}

TEST(MergeStatusTest, LinkListsSkipEmptyPiecesAndTrimNames) {
  TARNodeList list;
  MemoryReport report({ReportRow("R", "1", "R0,,R5", " R0 , R5 ,")});
  list.MergeStatus(report);
  for (const TLinkNodeList* links : {&list.Items(0).ParentARs, &list.Items(0).SubARs}) {
    ASSERT_EQ(links->Count(), 2);
    EXPECT_EQ(links->Items(0).Name(), "R0");
    EXPECT_EQ(links->Items(1).Name(), "R5");
  }
}

TEST(MergeStatusTest, EmptyReportClearsStatusAndKeepsEverythingElse) {
  TARNodeList list;
  MemoryReport first({ReportRow("R", "1", "P", "C", "S", "1")});
  list.MergeStatus(first);
  list.Items(0).Rect = {1, 1, 101, 18};
  MemoryReport empty({});
  list.MergeStatus(empty);
  const TARNode& r = list.Items(0);
  EXPECT_EQ(r.ActiveCount, 0);
  EXPECT_EQ(r.Rect, (TRect{1, 1, 101, 18}));
  EXPECT_EQ(r.ParentARs.Count(), 1);
  EXPECT_EQ(r.ParentARs.Items(0).ActiveCount, 0);
  EXPECT_EQ(r.SubARs.Count(), 1);
  ASSERT_EQ(r.SubASs.Count(), 1);
  EXPECT_EQ(r.SubASs.Items(0).ActiveCount, 0);
  EXPECT_EQ(r.SubASs.Items(0).ActiveFlags, TActiveFlags{});
}

TEST(MergeStatusTest, KnownNodeKeepsBaselineMarkerServersAndBox) {
  TARNodeList list;
  list.AddOrUpdateAR("R", 0, {}, 0);
  list.AddOrUpdateSubAS(0, "Old", 0, {}, 0);
  list.Items(0).Rect = {5, 5, 105, 22};
  MemoryReport report({ReportRow("R", "0,1", "", "", "New", "1")});
  list.MergeStatus(report);
  const TARNode& r = list.Items(0);
  EXPECT_EQ(r.NotInBaseline, 0);
  EXPECT_EQ(r.Rect, (TRect{5, 5, 105, 22}));
  ASSERT_EQ(r.SubASs.Count(), 2);
  EXPECT_EQ(r.SubASs.Items(0).NotInBaseline, 0);
  EXPECT_EQ(r.SubASs.Items(1).NotInBaseline, 1);
  EXPECT_EQ(r.SubASs.Items(1).Rect, kDefaultBox);
}

TEST(MergeStatusTest, SecondRowForOneNodeWinsButServersAccumulate) {
  TARNodeList list;
  MemoryReport report({ReportRow("R", "1", "P1", "", "A,B", "1;1"),
                       ReportRow("R", "0,0,1", "P2", "", "B,C", "0,1;1")});
  list.MergeStatus(report);
  ASSERT_EQ(list.Count(), 1);
  const TARNode& r = list.Items(0);
  EXPECT_EQ(r.ActiveFlags, (TActiveFlags{0, 0, 1}));
  ASSERT_EQ(r.ParentARs.Count(), 1);
  EXPECT_EQ(r.ParentARs.Items(0).Name(), "P2");
  ASSERT_EQ(r.SubASs.Count(), 3);
  EXPECT_EQ(r.SubASs.Items(0).ActiveFlags, (TActiveFlags{1}));
  EXPECT_EQ(r.SubASs.Items(1).ActiveFlags, (TActiveFlags{0, 1}));
  EXPECT_EQ(r.SubASs.Items(2).Name(), "C");
}

TEST(MergeStatusTest, EmptyNodeNameIsStillANode) {
  TARNodeList list;
  MemoryReport report({ReportRow("  ", "1")});
  list.MergeStatus(report);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0).Name(), "");
}

TEST(MergeStatusTest, FailureKeepsRowsMergedBeforeIt) {
  TARNodeList list;
  MemoryReport seed({ReportRow("A", "1"), ReportRow("B", "1")});
  list.MergeStatus(seed);
  MemoryReport broken({ReportRow("A", "1"), ReportRow("B", "1")}, 1);
  EXPECT_THROW(list.MergeStatus(broken), std::runtime_error);
  EXPECT_EQ(list.Items(0).ActiveCount, 1);
  EXPECT_EQ(list.Items(1).ActiveCount, 0);
}

// Rebuilt links are new records, whatever the records they replace held:
// default box, the reporting node's status, the marker of a merge.
TEST(MergeStatusTest, RebuiltLinksAreNewRecordsWithTheRowsNamesOnly) {
  TARNodeList list;
  list.AddOrUpdateAR("R", 0, {}, 0);
  list.AddOrUpdateParentAR(0, "P", 0, {}, 0);
  list.Items(0).ParentARs.Items(0).Rect = {7, 7, 107, 24};
  for (const char* name : {"C1", "C2", "C3"}) list.AddOrUpdateSubAR(0, name, 0, {}, 0);
  MemoryReport report({ReportRow("R", "1", "P,Q,P", "C2")});
  list.MergeStatus(report);
  const TARNode& r = list.Items(0);
  ASSERT_EQ(r.ParentARs.Count(), 2);
  EXPECT_EQ(r.ParentARs.Items(0).Rect, kDefaultBox);
  EXPECT_EQ(r.ParentARs.Items(0).NotInBaseline, 1);
  EXPECT_EQ(r.ParentARs.Items(1).Name(), "Q");
  ASSERT_EQ(r.SubARs.Count(), 1);
  EXPECT_EQ(r.SubARs.Items(0).Name(), "C2");
  EXPECT_EQ(r.SubARs.IndexOf("C3"), -1);

  // Past the length that lists scan, with a repeat on each side of it.
  std::string many;
  for (int i = 0; i < 20; ++i) many += "L" + std::to_string(i) + ",L3,";
  MemoryReport longRow({ReportRow("R", "1", many)});
  list.MergeStatus(longRow);
  ASSERT_EQ(list.Items(0).ParentARs.Count(), 20);
  EXPECT_EQ(list.Items(0).ParentARs.IndexOf("L3"), 1);
  EXPECT_EQ(list.Items(0).ParentARs.IndexOf("L19"), 19);
  MemoryReport shortRow({ReportRow("R", "1", "L5")});
  list.MergeStatus(shortRow);
  ASSERT_EQ(list.Items(0).ParentARs.Count(), 1);
  EXPECT_EQ(list.Items(0).ParentARs.IndexOf("L5"), 0);
}

// Fails when one named field of the first row is read.
class FailingFieldReport : public ReportReader {
 public:
  FailingFieldReport(MemoryReport::Row row, std::string failing)
      : report_({std::move(row)}), failing_(std::move(failing)) {}
  bool Eof() override { return report_.Eof(); }
  std::string FieldText(const char* name) override {
    if (failing_ == name) throw std::runtime_error("unpacker failure");
    return report_.FieldText(name);
  }
  void Next() override { report_.Next(); }

 private:
  MemoryReport report_;
  std::string failing_;
};

TEST(MergeStatusTest, FailureInsideARowLeavesTheNodesLinksClearedFromThere) {
  for (const char* failing : {"parent_ar", "sub_ar"}) {
    TARNodeList list;
    MemoryReport seed({ReportRow("R", "1", "P0", "C0")});
    list.MergeStatus(seed);
    FailingFieldReport broken(ReportRow("R", "1", "P1", "C1"), failing);
    EXPECT_THROW(list.MergeStatus(broken), std::runtime_error);
    const TARNode& r = list.Items(0);
    EXPECT_EQ(r.SubARs.Count(), 0) << failing;
    if (std::string(failing) == "parent_ar") {
      EXPECT_EQ(r.ParentARs.Count(), 0);
    } else {
      ASSERT_EQ(r.ParentARs.Count(), 1);
      EXPECT_EQ(r.ParentARs.Items(0).Name(), "P1");
    }
  }
}

}  // namespace
}  // namespace topo
