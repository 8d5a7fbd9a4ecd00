// The simulated AR network: scenario files, the topology report the plug-in
// merges, the server commands with their refusals and the status tables.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/Network.h"

namespace {

using arhost::Network;
using arhost::Packet;
using arhost::Value;

constexpr char kSmall[] =
    "# two routing nodes, one of them a child\n"
    "ar R0 up=0 password=p0\n"
    "ar R1 parent=R0 up=0,2\n"
    "as S1 ar=R1 up=1 password=s1\n"
    "as S2 ar=R1\n"
    "as ADM ar=R0 up=0\n"
    "admin R0 ADM\n";

std::vector<std::wstring> Row(const Packet& p, size_t i) {
  std::vector<std::wstring> out;
  for (const auto& v : p.rows.at(i)) out.push_back(arhost::ValueText(v));
  return out;
}

arhost::ControlReply Send(Network& n, int32_t fn, std::vector<Value> values,
                          const std::wstring& admin = L"R0.ADM.0") {
  return n.Control(fn, values, arhost::kAddressServer, admin);
}

TEST(HostNetwork, ReportHasOneRowPerARInTheMergedFormat) {
  Network n = Network::Parse(kSmall);
  Packet p = n.TopologyReport();
  EXPECT_EQ((std::vector<std::wstring>{L"ar", L"ar_active", L"parent_ar", L"sub_ar", L"sub_as",
                                       L"as_active"}),
            p.fields);
  ASSERT_EQ(2u, p.rows.size());
  EXPECT_EQ((std::vector<std::wstring>{L"R0", L"1,0,0,0,0,0,0,0,0,0", L"", L"R1", L"ADM",
                                       L"1,0,0,0,0,0,0,0,0,0"}),
            Row(p, 0));
  EXPECT_EQ((std::vector<std::wstring>{L"R1", L"1,0,1,0,0,0,0,0,0,0", L"R0", L"", L"S1,S2",
                                       L"0,1,0,0,0,0,0,0,0,0;0,0,0,0,0,0,0,0,0,0"}),
            Row(p, 1));
  EXPECT_EQ(L"R0", n.AdminAR());
  EXPECT_EQ(L"ADM", n.AdminAS());
}

TEST(HostNetwork, ScenarioErrorsNameTheirLine) {
  struct Case {
    const char* text;
    int line;
  } cases[] = {
      {"ar A\nar B parent=C\n", 2},
      {"ar A\nar A\n", 2},
      {"ar A\nas S\n", 2},
      {"ar A up=10\n", 1},
      {"ar A,B\n", 1},
      {"ar A\nrouter B\n", 2},
      {"ar A colour=red\n", 1},
      {"ar A parent=A\n", 1},
      {"ar A\nas S ar=A\nas S ar=A\n", 3},
      {"ar A\nas S ar=B\n", 2},
      {"ar A\nar B parent=A\nat 1 break B A\n", 3},
      {"ar A\nas S ar=A\nar B\nadmin B S\n", 4},
      {"ar A\nat soon unreachable\n", 2},
      {"ar A\nat 1 die as A 0\n", 2},
      {"ar A\nat 1 explode\n", 2},
  };
  for (const auto& c : cases) {
    try {
      Network::Parse(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const arhost::ScenarioError& e) {
      EXPECT_EQ(c.line, e.Line()) << c.text << " -> " << e.what();
    }
  }
}

TEST(HostNetwork, AcceptsByteOrderMarkCrLfAndNamesUsedBeforeTheirLine) {
  Network n = Network::Parse(
      "\xEF\xBB\xBF"
      "as S ar=\xE5\x8D\x8E\xE4\xB8\x9C up=0\r\n"  // 华东
      "ar \xE5\x8D\x8E\xE4\xB8\x9C parent=root up=-\r\n"
      "ar root\r\n");
  ASSERT_EQ(2u, n.Nodes().size());
  EXPECT_EQ(L"华东", n.Nodes()[0].name);
  EXPECT_EQ(L"S", n.Nodes()[0].servers.at(0).name);
  EXPECT_EQ(L"华东", n.AdminAR()) << "the first AS is the default admin server";
}

TEST(HostNetwork, EventsApplyInTimeOrder) {
  Network n = Network::Parse(std::string(kSmall) +
                             "at 5 die ar R1 2\n"
                             "at 3 break R0 R1\n"
                             "at 8 unreachable\n"
                             "at 9 reachable\n"
                             "at 9 mend R0 R1\n"
                             "ar R2 parent=R1\n"
                             "as S3 ar=R1\n"
                             "at 6 appear ar R2\n"
                             "at 6 appear as S3\n");
  n.AdvanceTo(2.9);
  EXPECT_EQ(L"R0", Row(n.TopologyReport(), 1)[2]);
  n.AdvanceTo(3);
  // A broken link is reported by one side only.
  EXPECT_EQ(L"", Row(n.TopologyReport(), 1)[2]);
  EXPECT_EQ(L"R1", Row(n.TopologyReport(), 0)[3]);
  EXPECT_EQ(L"1,0,1,0,0,0,0,0,0,0", Row(n.TopologyReport(), 1)[1]);
  // A node that has not appeared yet is in no row and no list.
  EXPECT_EQ(2u, n.TopologyReport().rows.size());
  EXPECT_EQ(L"S1,S2", Row(n.TopologyReport(), 1)[4]);
  EXPECT_EQ(L"", Row(n.TopologyReport(), 1)[3]);
  n.AdvanceTo(7);
  EXPECT_EQ(L"1,0,0,0,0,0,0,0,0,0", Row(n.TopologyReport(), 1)[1]);
  ASSERT_EQ(3u, n.TopologyReport().rows.size());
  EXPECT_EQ(L"R1", Row(n.TopologyReport(), 2)[2]);
  EXPECT_EQ(L"R2", Row(n.TopologyReport(), 1)[3]);
  EXPECT_EQ(L"S1,S2,S3", Row(n.TopologyReport(), 1)[4]);
  EXPECT_TRUE(n.Reachable());
  n.AdvanceTo(8.5);
  EXPECT_FALSE(n.Reachable());
  n.AdvanceTo(1);  // time never runs backwards
  EXPECT_FALSE(n.Reachable());
  n.AdvanceTo(9);
  EXPECT_TRUE(n.Reachable());
  EXPECT_EQ(L"R0", Row(n.TopologyReport(), 1)[2]);
}

TEST(HostNetwork, ServerCommandsCheckAdminPasswordAndState) {
  Network n = Network::Parse(kSmall);
  using arhost::kFnRestart;
  using arhost::kFnStart;
  using arhost::kFnStop;
  EXPECT_EQ(7,
            Send(n, kFnStart, {Value(1), Value(L"S1"), Value(0), Value(L"s1")}, L"R0.ADM.1").code)
      << "admin instance 1 does not run";
  EXPECT_EQ(7, n.Control(kFnStart, {}, arhost::kAddressInstance, L"R0.0").code);
  auto wrong = Send(n, kFnStart, {Value(1), Value(L"S1"), Value(0), Value(L"nope")});
  EXPECT_EQ(4, wrong.code);
  EXPECT_EQ(L"S1 的启动密码错误", wrong.errorInfo);
  EXPECT_EQ(L"0,1,0,0,0,0,0,0,0,0;0,0,0,0,0,0,0,0,0,0", Row(n.TopologyReport(), 1)[5])
      << "a refused start changes nothing";

  EXPECT_EQ(0, Send(n, kFnStart, {Value(1), Value(L"S1"), Value(0), Value(L"s1")}).code);
  EXPECT_EQ(L"1,1,0,0,0,0,0,0,0,0;0,0,0,0,0,0,0,0,0,0", Row(n.TopologyReport(), 1)[5]);
  EXPECT_EQ(5, Send(n, kFnStart, {Value(1), Value(L"S1"), Value(0), Value(L"s1")}).code);
  EXPECT_EQ(0, Send(n, kFnStop, {Value(0), Value(L"R1"), Value(2)}).code);
  EXPECT_EQ(L"1,0,0,0,0,0,0,0,0,0", Row(n.TopologyReport(), 1)[1]);
  auto twice = Send(n, kFnStop, {Value(0), Value(L"R1"), Value(2)});
  EXPECT_EQ(6, twice.code);
  EXPECT_EQ(L"R1.2 未运行", twice.errorInfo);
  // Restart brings up an instance that is down; R1 has no password.
  EXPECT_EQ(0, Send(n, kFnRestart, {Value(0), Value(L"R1"), Value(2), Value(L"")}).code);
  EXPECT_EQ(L"1,0,1,0,0,0,0,0,0,0", Row(n.TopologyReport(), 1)[1]);

  EXPECT_EQ(1, Send(n, kFnStart, {Value(1), Value(L"S1"), Value(0)}).code) << "no password";
  EXPECT_EQ(1, Send(n, kFnStop, {Value(L"1"), Value(L"S1"), Value(0)}).code) << "kind as text";
  EXPECT_EQ(1, Send(n, kFnStop, {Value(2), Value(L"S1"), Value(0)}).code) << "no such kind";
  EXPECT_EQ(2, Send(n, kFnStop, {Value(0), Value(L"S1"), Value(0)}).code) << "S1 is no AR";
  EXPECT_EQ(3, Send(n, kFnStop, {Value(1), Value(L"S1"), Value(12)}).code);
}

TEST(HostNetwork, StatusTablesComeOnlyFromRunningInstances) {
  Network n = Network::Parse(kSmall);
  int32_t err = -1;
  Packet ok = n.Status(25635, arhost::kAddressInstance, L"R1.2", &err);
  EXPECT_EQ(0, err);
  EXPECT_FALSE(ok.fields.empty());
  EXPECT_FALSE(ok.rows.empty());
  Packet server = n.Status(25668, arhost::kAddressServer, L"R1.S1.1", &err);
  EXPECT_EQ(0, err);
  ASSERT_EQ(1u, server.rows.size()) << "an AS is connected to its AR only";
  EXPECT_EQ(L"R1", arhost::ValueText(server.rows[0][1]));

  struct Case {
    int32_t fn, kind;
    const wchar_t* address;
    int32_t err;
  } refused[] = {
      {25635, arhost::kAddressInstance, L"R1.1", arhost::kErrTargetDown},
      {25635, arhost::kAddressInstance, L"nope.0", arhost::kErrNoTarget},
      {25635, arhost::kAddressInstance, L"R1.x", arhost::kErrNoTarget},
      {25635, arhost::kAddressServer, L"R0.S1.1", arhost::kErrNoTarget},
      {25635, arhost::kAddressInstance, L"R1.S1.1", arhost::kErrNoTarget},
      {999, arhost::kAddressInstance, L"R1.0", arhost::kErrUnknownFunction},
      {25635, 7, L"R1.0", arhost::kErrBadAddress},
  };
  for (const auto& c : refused) {
    Packet p = n.Status(c.fn, c.kind, c.address, &err);
    EXPECT_EQ(c.err, err) << c.fn << " " << c.address;
    ASSERT_EQ(std::vector<std::wstring>{L"error_info"}, p.fields);
    EXPECT_FALSE(arhost::ValueText(p.rows.at(0).at(0)).empty());
  }

  // Not every answer is a full table: the dialog must cope with thin ones.
  constexpr int32_t kAR = arhost::kAddressInstance, kAS = arhost::kAddressServer;
  struct Shape {
    int32_t fn, kind;
    const wchar_t* address;
    size_t fields, rows;
  } thin[] = {
      {25632, kAR, L"R1.2", 1, 4},      // the module's own ids: one column
      {512, kAS, L"R1.S1.1", 4, 1},     // log state: one row
      {2049, kAR, L"R0.0", 1, 1},       // one temporary table
      {25731, kAR, L"R1.0", 4, 0},      // empty reassembly queue: columns, no rows
      {25701, kAS, L"R0.ADM.0", 0, 0},  // no black or white list: nothing at all
  };
  for (const auto& c : thin) {
    Packet p = n.Status(c.fn, c.kind, c.address, &err);
    EXPECT_EQ(0, err) << c.fn;
    EXPECT_EQ(c.fields, p.fields.size()) << c.fn;
    EXPECT_EQ(c.rows, p.rows.size()) << c.fn;
  }
  EXPECT_EQ(
      L"log\\S1_1.log",
      arhost::ValueText(n.Status(512, arhost::kAddressServer, L"R1.S1.1", &err).rows.at(0).at(1)));

  // Every function the status dialog offers gets an answer.
  const int32_t offered[] = {25632, 25633, 25634, 25635, 25664, 25665, 25666, 25667, 25668,
                             25696, 25697, 25698, 25699, 25700, 25701, 25728, 25729, 25730,
                             25731, 512,   513,   769,   770,   1281,  1282,  1284,  1285,
                             1286,  2049,  2817,  3073,  3329,  3585,  5633,  5634,  5635,
                             5121,  12545, 12546, 12547, 12548, 12549};
  for (int32_t fn : offered) {
    Packet p = n.Status(fn, arhost::kAddressInstance, L"R0.0", &err);
    EXPECT_EQ(0, err) << fn;
    // Two answers are empty on purpose: one without fields, one without rows.
    if (fn != 25701 && fn != 25731) {
      EXPECT_FALSE(p.rows.empty()) << fn;
    }
    for (const auto& row : p.rows) EXPECT_EQ(p.fields.size(), row.size()) << fn;
  }
}

}  // namespace
