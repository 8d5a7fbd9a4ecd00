// The day's event file: the exact line of an event with Chinese names,
// commas and quotes, read back as it was written; a torn last line skipped
// and closed; the size cap said once; a failed write kept for the next.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryFiles.h"
#include "model/HistoryFile.h"
#include "posix/Cp936Converter.h"

namespace topo {
namespace {

using test::MemoryAppendStore;

const TLocalTime kDay{2024, 5, 1, 8, 30, 5};
const std::string kPath = "D:\\data\\TopoEvents-20240501.csv";
// "华东AR" and "交易网关" in code page 936.
const std::string kEastAR =
    "\xBB\xAA\xB6\xAB"
    "AR";
const std::string kGateway = "\xBD\xBB\xD2\xD7\xCD\xF8\xB9\xD8";

THistoryEvent Event(TEventKind kind, std::string node, int instance = -1) {
  THistoryEvent e;
  e.Time = kDay;
  e.Kind = kind;
  e.Node = std::move(node);
  e.Instance = instance;
  return e;
}

TEST(HistoryFileTest, LinesQuoteWhatNeedsItAndReadBackAsWritten) {
  Cp936Converter codec;
  THistoryEvent server = Event(TEventKind::InstancesChanged, kGateway);
  server.IsAS = true;
  server.ARNode = kEastAR;
  server.Started = 0b10010;
  server.Stopped = 1;
  THistoryEvent command = Event(TEventKind::StartSent, "a,\"b\"", 3);
  command.Text = "refused: \"bad\"\r\nretry";
  command.Actor = " ops ";
  const struct {
    THistoryEvent event;
    std::string line;
  } cases[] = {
      {server,
       "2024-05-01 08:30:05,instances_changed,AS,\xE4\xBA\xA4\xE6\x98\x93\xE7\xBD\x91\xE5\x85\xB3,"
       "\xE5\x8D\x8E\xE4\xB8\x9C"
       "AR,\"1, 4\",0,,,\n"},
      {command,
       "2024-05-01 08:30:05,start_sent,AR,\"a,\"\"b\"\"\",,,,3,\"refused: \"\"bad\"\"  retry\","
       "\" ops \"\n"},
      {Event(TEventKind::RefreshFailed, ""), "2024-05-01 08:30:05,refresh_failed,,,,,,,,\n"},
  };
  for (const auto& c : cases) {
    const std::string line = HistoryLine(c.event, codec);
    EXPECT_EQ(c.line, line);
    const std::optional<THistoryEvent> back = ParseHistoryLine(line, codec);
    ASSERT_TRUE(back) << line;
    THistoryEvent expected = c.event;
    for (char& ch : expected.Text)
      if (ch == '\r' || ch == '\n') ch = ' ';
    EXPECT_EQ(expected, *back) << line;
  }
  for (const char* bad : {"", "2024-05-01 08:30:05,no_such_event,,,,,,,,",
                          "2024-05-01 08:30:05,node_up,AR,\"open,,,,,,,,",
                          "2024-13-01 08:30:05,node_up,AR,x,,,,,,", "1,2,3"})
    EXPECT_FALSE(ParseHistoryLine(bad, codec)) << bad;
}

TEST(HistoryFileTest, ATornLastLineIsSkippedAndClosedBeforeTheNextAppend) {
  Cp936Converter codec;
  MemoryAppendStore store;
  {
    THistoryFile file(store, codec, "D:\\data\\");
    file.Add(Event(TEventKind::NodeDown, kEastAR));
    EXPECT_TRUE(file.Flush().empty());
  }
  const std::string& bytes = store.files.at(kPath);
  ASSERT_EQ(0u, bytes.rfind("\xEF\xBB\xBF"
                            "time,event,",
                            0))
      << "no byte-order mark and header";
  const std::string whole = bytes;
  // A process killed halfway through its next line.
  store.files[kPath] += HistoryLine(Event(TEventKind::NodeUp, kEastAR), codec).substr(0, 30);

  THistoryFile file(store, codec, "D:\\data\\");
  const std::vector<THistoryEvent> loaded = file.Load(kDay);
  ASSERT_EQ(1u, loaded.size());
  EXPECT_EQ(Event(TEventKind::NodeDown, kEastAR), loaded[0]);
  file.Add(Event(TEventKind::BaselineSaved, ""));
  file.Flush();
  const std::vector<THistoryEvent> after = ParseHistoryFile(store.files.at(kPath), codec);
  ASSERT_EQ(2u, after.size());
  EXPECT_EQ(TEventKind::BaselineSaved, after[1].Kind);
  EXPECT_EQ(0u, store.files.at(kPath).rfind(whole, 0)) << "an earlier line changed";
}

TEST(HistoryFileTest, TheCapIsSaidOnceAndHoldsAcrossARestart) {
  Cp936Converter codec;
  MemoryAppendStore store;
  constexpr size_t kCap = 4096;
  std::vector<THistoryEvent> notes;
  for (int restart = 0; restart < 2; ++restart) {
    THistoryFile file(store, codec, "D:\\data\\", kCap);
    file.Load(kDay);
    for (int i = 0; i < 100; ++i) {
      file.Add(Event(TEventKind::StopSent, kGateway, i % 10));
      for (THistoryEvent& note : file.Flush()) notes.push_back(note);
    }
  }
  ASSERT_EQ(1u, notes.size());
  EXPECT_EQ(TEventKind::FileCapped, notes[0].Kind);
  const std::string& bytes = store.files.at(kPath);
  EXPECT_LE(bytes.size(), kCap);
  const std::vector<THistoryEvent> events = ParseHistoryFile(bytes, codec);
  ASSERT_GT(events.size(), 10u);
  EXPECT_EQ(TEventKind::FileCapped, events.back().Kind);
  for (size_t i = 0; i + 1 < events.size(); ++i) EXPECT_EQ(TEventKind::StopSent, events[i].Kind);
}

TEST(HistoryFileTest, AFailedWriteIsSaidOnceAndItsLinesFollowLaterInOrder) {
  Cp936Converter codec;
  MemoryAppendStore store;
  THistoryFile file(store, codec, "D:\\data\\");
  store.failing = true;
  std::vector<TEventKind> notes;
  for (int i = 0; i < 3; ++i) {
    file.Add(Event(TEventKind::StartSent, kGateway, i));
    for (const THistoryEvent& note : file.Flush()) notes.push_back(note.Kind);
  }
  EXPECT_EQ(std::vector<TEventKind>{TEventKind::FileFailed}, notes);
  store.failing = false;
  TLocalTime tomorrow = kDay;
  tomorrow.Day = 2;
  THistoryEvent late = Event(TEventKind::StartSent, kGateway, 3);
  late.Time = tomorrow;
  file.Add(late);
  EXPECT_TRUE(file.Flush().empty());
  const std::vector<THistoryEvent> today = ParseHistoryFile(store.files.at(kPath), codec);
  ASSERT_EQ(3u, today.size());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(i, today[static_cast<size_t>(i)].Instance);
  EXPECT_EQ(1u,
            ParseHistoryFile(store.files.at("D:\\data\\TopoEvents-20240502.csv"), codec).size());
}

}  // namespace
}  // namespace topo
