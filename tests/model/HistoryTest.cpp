// The history's comparison of one refresh with the last, through the real
// merge and link resolution: which events each change of a report gives,
// and none for what did not change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryReport.h"
#include "model/History.h"
#include "model/Nodes.h"

namespace topo {
namespace {

using Rows = std::vector<MemoryReport::Row>;

const TLocalTime kThen{2024, 5, 1, 8, 0, 0};
const TLocalTime kNow{2024, 5, 1, 8, 0, 5};

// R0 above R1, a server S1 under R0.
Rows Network(std::string r1 = "1,1", std::string s1 = "1", std::string r1Parent = "R0",
             std::string r0Children = "R1", std::string servers = "S1") {
  return {ReportRow("R0", "1,1", "", r0Children, servers, s1 + ";1"),
          ReportRow("R1", r1, r1Parent)};
}

void Merge(TARNodeList& model, Rows rows) {
  MemoryReport report(std::move(rows));
  model.MergeStatus(report);
  model.ResolveLinks();
}

std::string Describe(const THistoryEvent& e) {
  std::string d = EventCode(e.Kind);
  if (!e.Node.empty()) d += " " + (e.IsAS ? e.ARNode + "/" : "") + e.Node;
  if (e.Kind == TEventKind::LinkBroken || e.Kind == TEventKind::LinkMended) d += " ^" + e.ARNode;
  if (e.Started) d += " +" + InstanceList(e.Started);
  if (e.Stopped) d += " -" + InstanceList(e.Stopped);
  if (!e.Text.empty()) d += " " + e.Text;
  return d;
}

std::vector<std::string> Compare(THistoryTracker& tracker, const TARNodeList& model) {
  std::vector<THistoryEvent> events;
  tracker.Compare(model, kNow, events);
  std::vector<std::string> described;
  for (const THistoryEvent& e : events) {
    EXPECT_EQ(kNow, e.Time);
    described.push_back(Describe(e));
  }
  return described;
}

TEST(HistoryTest, EachChangeOfAReportGivesItsEvents) {
  const struct {
    const char* what;
    Rows before, after;
    std::vector<std::string> events;
  } cases[] = {
      {"nothing changed", Network(), Network(), {}},
      {"an instance stops", Network("1,1"), Network("1,0"), {"instances_changed R1 -1"}},
      {"one starts as another stops",
       Network("1,0,1"),
       Network("0,1,1"),
       {"instances_changed R1 +1 -0"}},
      {"the last instance stops", Network("1,1"), Network("0,0"), {"node_down R1 -0, 1"}},
      {"a node comes back", Network("0"), Network("0,0,0,1"), {"node_up R1 +3"}},
      {"a server goes down", Network(), Network("1,1", "0"), {"node_down R0/S1 -0"}},
      {"a server appears",
       Network(),
       Network("1,1", "1", "R0", "R1", "S1,S2"),
       {"node_appeared R0/S2 +0"}},
      {"an AR node appears",
       Network(),
       [] {
         Rows rows = Network("1,1", "1", "R0", "R1,R2");
         rows.push_back(ReportRow("R2", "0,1", "R0"));
         return rows;
       }(),
       {"node_appeared R2 +1"}},
      {"the child stops naming its parent",
       Network(),
       Network("1,1", "1", ""),
       {"link_broken R1 ^R0"}},
      {"... and names it again", Network("1,1", "1", ""), Network(), {"link_mended R1 ^R0"}},
      // Link resolution counts a child whose parent does not name it down.
      {"the parent stops naming its child",
       Network(),
       Network("1,1", "1", "R0", ""),
       {"node_down R1 -0, 1", "link_broken R1 ^R0"}},
      {"a node the report leaves out is down", Network(), {Network()[0]}, {"node_down R1 -0, 1"}},
      {"both stop naming each other",
       Network(),
       Network("1,1", "1", "", ""),
       {"link_broken R1 ^R0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TARNodeList model;
    THistoryTracker tracker;
    Merge(model, c.before);
    // The first comparison only records: a baseline holds no status.
    std::vector<THistoryEvent> first;
    tracker.Compare(model, kThen, first);
    EXPECT_TRUE(first.empty());
    Merge(model, c.after);
    EXPECT_EQ(c.events, Compare(tracker, model));
    EXPECT_TRUE(Compare(tracker, model).empty()) << "a repeated refresh gave events again";
  }
}

TEST(HistoryTest, RemovalKeepsEachRecordWithItsNodeAndTheLastChangeIsTheBoxsOwn) {
  TARNodeList model;
  THistoryTracker tracker;
  Rows rows = {ReportRow("R0", "1"), ReportRow("R1", "0"), ReportRow("R2", "1", "", "", "S", "1")};
  Merge(model, rows);
  std::vector<THistoryEvent> ignored;
  tracker.Compare(model, kThen, ignored);
  ASSERT_EQ(TARNodeList::RemoveResult::Removed, model.RemoveNode(false, "R1"));
  rows.erase(rows.begin() + 1);
  rows[1] = ReportRow("R2", "1", "", "", "S", "0");
  Merge(model, rows);
  std::vector<THistoryEvent> events;
  tracker.Compare(model, kNow, events);
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ("node_down R2/S -0", Describe(events[0]));
  // The box's last change is the newest status event of that very box.
  THistory history;
  for (THistoryEvent e : {events[0], events[0]}) history.Add(e);
  THistoryEvent other = events[0];
  other.Time = kThen;
  other.ARNode = "R0";
  history.Add(other);
  EXPECT_EQ(kNow, LastChange(history, "R2", "S"));
  EXPECT_EQ(std::nullopt, LastChange(history, "R2", "")) << "R2 itself did not change";
}

TEST(HistoryTest, AFailedRunIsOneEventAndItsEndCountsTheFailures) {
  THistoryTracker tracker;
  std::vector<THistoryEvent> events;
  tracker.RefreshSucceeded(kThen, events);
  for (int i = 0; i < 3; ++i) tracker.RefreshFailed(kThen, events);
  tracker.RefreshSucceeded(kNow, events);
  tracker.RefreshSucceeded(kNow, events);
  std::vector<std::string> described;
  for (const THistoryEvent& e : events) described.push_back(Describe(e));
  EXPECT_EQ((std::vector<std::string>{"refresh_failed", "refresh_ok 3"}), described);

  THistory history(2);
  for (int i = 0; i < 5; ++i) {
    THistoryEvent e;
    e.Instance = i;
    history.Add(e);
  }
  ASSERT_EQ(2u, history.Count());
  EXPECT_EQ(3, history.At(0).Instance);
  EXPECT_EQ(5u, history.Added());
}

}  // namespace
}  // namespace topo
