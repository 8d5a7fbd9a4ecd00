// Every host call of a window's life fails in turn: attach, one refresh, a
// stop, the status query and close run once against recording fakes, and the
// recorded calls are then replayed with each fault on each call in turn. Each
// time the window shows only what that step shows for a failure (a box, the
// error alarm, or nothing), leaves the baseline file and the settings as they
// were, and gives back every reference it took. The clean run's calls are
// also checked against data/host-calls.txt, so that no rework of the exchange
// code changes what the host is asked, or in which order, unnoticed.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "MainFormFixture.h"
#include "MessageBoxCloser.h"
#include "plugin/EntryPoints.h"
#include "query/QueryExchange.h"
#include "query/QueryFunctions.h"
#include "ui/ExceptionBoundary.h"
#include "window/MainForm.h"

namespace topo::test {
namespace {

using plugin::Module;
using window::TMainForm;

enum Phase { Attach, Refresh, Command, Status, Close, kPhases };
const char* const kPhaseNames[] = {"attach", "refresh", "command", "status", "close"};

// What the operator saw of one run.
struct Seen {
  bool attached = false;
  int boxes = 0;
  bool alarm = false;
  int statusMessages = 0;
  constexpr bool operator==(const Seen& o) const {
    return attached == o.attached && boxes == o.boxes && alarm == o.alarm &&
           statusMessages == o.statusMessages;
  }
};

std::string Describe(const Seen& s) {
  std::ostringstream out;
  out << (s.attached ? "attached" : "not attached") << ", " << s.boxes << " box(es), "
      << (s.alarm ? "alarm" : "no alarm") << ", " << s.statusMessages << " status message(s)";
  return out.str();
}

class SilentView : public query::TStatusView {
 public:
  void SetColCount(int) override {}
  void SetRowCount(int) override {}
  void SetCell(int, int, const std::string&) override {}
  void SetServerName(const std::string&) override {}
  void ShowMessage(const std::string&) override { ++messages; }
  int messages = 0;
};

win32::Variant S(const wchar_t* s) { return win32::Variant::String(s); }

// One host with every fake recording into one log.
struct Rig : FakeWindowServices {
  Rig() : FakeWindowServices(Record::EveryCall) {}
};

// The stored values, as text, of the keys a test looks at.
std::vector<std::string> Contents(FakeDataContainer& c, const std::vector<const wchar_t*>& keys) {
  std::vector<std::string> out;
  for (const wchar_t* key : keys) {
    const win32::Variant value = Stored(c, key);
    out.push_back(std::to_string(value.Get().vt) + ":" + std::to_string(value.Get().iVal));
  }
  return out;
}

// Answers the window's modal loops from a timer of the host window: types a
// password into the password question and closes the status dialog (the
// host window's property "status").
BOOL CALLBACK Answer(HWND w, LPARAM statusDialog) {
  if (!IsWindowVisible(w)) return TRUE;
  if (w == reinterpret_cast<HWND>(statusDialog)) {
    PostMessageW(w, WM_CLOSE, 0, 0);
    return TRUE;
  }
  HWND edit = FindWindowExW(w, nullptr, L"Edit", nullptr);
  wchar_t cls[16] = L"";
  GetClassNameW(w, cls, 16);
  if (edit && lstrcmpW(cls, L"#32770") == 0 && !GetPropW(w, L"answered")) {
    SetPropW(w, L"answered", w);
    SetWindowTextW(edit, L"P");
    PostMessageW(w, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}
void CALLBACK AnswerModal(HWND host, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), Answer,
                    reinterpret_cast<LPARAM>(GetPropW(host, L"status")));
}

class HostFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    dataDir_ = std::wstring(dir) + L"topo-faults-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(dataDir_.c_str(), nullptr);
    std::ofstream(std::filesystem::path(dataDir_ + L"DatumNode.xml"), std::ios::binary)
        << kBaseline;
  }
  void TearDown() override {
    DeleteFileW((dataDir_ + L"DatumNode.xml").c_str());
    RemoveDirectoryW(dataDir_.c_str());
  }

  std::string Baseline() const {
    std::ifstream in(std::filesystem::path(dataDir_ + L"DatumNode.xml"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // One window's life; phaseStart gets the log index where each step begins.
  Seen Run(Rig& rig, std::vector<size_t>& phaseStart) {
    Seen seen;
    boxes_ = 0;
    MessageBoxCloser closer;
    int refusals = 0;
    rig.memConfig.personalDataDir = dataDir_;
    for (auto [key, value] : {std::pair{L"TimerInterval", 7}, std::pair{L"ScrollWidth", 1200},
                              std::pair{L"ScrollHeight", 900}})
      Put(rig.personal, key, win32::Variant::Int16(static_cast<SHORT>(value)));
    for (auto [key, value] :
         {std::pair{L"AdminAR", L"AR0"}, std::pair{L"AdminAS", L"admin"},
          std::pair{L"ClickedSvrName", L"N"}, std::pair{L"ClickedParentARName", L""}})
      Put(key[0] == L'A' ? rig.login : rig.temp, key, S(value));
    settingsBefore_ = Contents(rig.personal, kSettings);
    phaseStart.assign(kPhases, 0);

    HWND made = plugin::GuardedEntry(Module(), 3101, session_.Host(), nullptr,
                                     static_cast<host::IAppFrame*>(&rig.frame), 0);
    seen.attached = made != nullptr;
    if (made) {
      auto& f = static_cast<TMainForm&>(*Module().TopologyWindow());
      f.Show();
      // N is up with instances 0 and 1 running.
      phaseStart[Refresh] = rig.log.calls.size();
      rig.unpacker.table.fields = {L"ar",     L"ar_active", L"parent_ar",
                                   L"sub_ar", L"sub_as",    L"as_active"};
      rig.unpacker.table.rows.clear();
      rig.unpacker.table.rows.emplace_back();
      for (const wchar_t* v : {L"N", L"1,1,0,0,0,0,0,0,0,0", L"", L"", L"", L""})
        rig.unpacker.table.rows.back().push_back(S(v));
      ui::RunGuarded([&f] { f.TimerTimer(); }, made);
      UpdateWindow(made);
      seen.alarm = f.Image(L"ImgError")->Visible();

      phaseStart[Command] = rig.log.calls.size();
      rig.unpacker.table.fields = {L"error_info"};
      rig.unpacker.table.rows.clear();
      rig.unpacker.table.rows.emplace_back();
      rig.unpacker.table.rows[0].push_back(S(L"refused"));
      const int32_t n = f.Model().IndexOf("N");
      for (int32_t z = 0; n >= 0 && z < f.Model().ZOrder.Count(); ++z)
        if (f.Model().ZOrder.Items(z).ARIndex == n && f.Model().ZOrder.Items(z).ASIndex < 0)
          f.Model().ZOrder.BringToFront(z);
      // Start 2, stop 1, restart 1 (the password typed by the timer), the
      // status command (its dialog closed by the timer) and removal.
      HWND statusDialog = f.StatusDialog().Handle();
      SetPropW(session_.Host(), L"status", statusDialog);
      SetTimer(session_.Host(), 1, 20, AnswerModal);
      if (n >= 0) {
        ui::RunGuarded([&f] { f.muiStartClick(2); }, made);
        ui::RunGuarded([&f] { f.muiStopClick(1); }, made);
        ui::RunGuarded([&f] { f.muiRestartClick(1); }, made);
        ui::RunGuarded([&f] { f.muiStatusClick(); }, made);
        // Its own box, whatever failed before, when N runs.
        const bool running = f.Model().Items(n).ActiveCount > 0;
        const int before = closer.closed;
        ui::RunGuarded([&f] { f.muiRemoveClick(); }, made);
        refusals = closer.closed - before;
        EXPECT_EQ(running ? 1 : 0, refusals) << "removal of N, running: " << running;
      }
      KillTimer(session_.Host(), 1);
      RemovePropW(session_.Host(), L"status");

      phaseStart[Status] = rig.log.calls.size();
      rig.unpacker.table.fields = {L"a", L"error_info"};
      rig.unpacker.table.rows.clear();
      rig.unpacker.table.rows.emplace_back();
      rig.unpacker.table.rows[0].push_back(S(L"1"));
      rig.unpacker.table.rows[0].push_back(S(L"late"));
      SilentView view;
      ui::RunGuarded(
          [&] { query::ExecuteStatusQuery(f, "0", query::StatusFunctionItems().at(0), view); },
          made);
      seen.statusMessages = view.messages;

      // As the host closes it: the window frees itself.
      phaseStart[Close] = rig.log.calls.size();
      SendMessageW(made, WM_CLOSE, 0, 0);
      PumpMessages();
      if (IsWindow(made)) DestroyWindow(made);
    }
    PumpMessages();
    seen.boxes = boxes_ + closer.closed - refusals;
    return seen;
  }

  static constexpr char kBaseline[] = "<not a baseline the window could change/>";
  const std::vector<const wchar_t*> kSettings = {L"TimerInterval", L"ScrollWidth", L"ScrollHeight"};
  std::wstring dataDir_;
  std::vector<std::string> settingsBefore_;
  int boxes_ = 0;
  WindowSession session_{L"fault host", [this](HWND, const std::wstring&) { ++boxes_; }};
};

std::string Name(const std::string& line) { return line.substr(0, line.find(' ')); }

// The recorded calls of a clean run, one a line ('#' starts a comment). With
// TOPO_UPDATE_GOLDEN=1 the file is written from this run instead: for a
// deliberate change of the calls, reviewed in the file's diff.
void CompareWithGolden(const std::vector<std::string>& recorded) {
  const char* dir = std::getenv("TOPO_TEST_DATA");
  ASSERT_TRUE(dir) << "TOPO_TEST_DATA names the folder of host-calls.txt (ctest sets it)";
  const std::filesystem::path path = std::filesystem::path(dir) / "host-calls.txt";
  const char* update = std::getenv("TOPO_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::ofstream out(path, std::ios::binary);
    out << "# The host calls of HostFaultTest's clean run, in order.\n";
    for (const std::string& call : recorded) out << call << "\n";
    ASSERT_TRUE(out.good()) << "cannot write " << path;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "cannot read " << path;
  std::vector<std::string> golden;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') golden.push_back(line);
  for (size_t i = 0; i < std::max(golden.size(), recorded.size()); ++i) {
    ASSERT_EQ(i < golden.size() ? golden[i] : "(none)",
              i < recorded.size() ? recorded[i] : "(none)")
        << "host call " << i << " differs from " << path;
  }
}

// The faults a call can be given: an error always; an empty or wrong-typed
// out-parameter where it has one of that kind; a time-out where the host
// reports one.
std::vector<Fault> FaultsFor(const std::string& call) {
  const std::string n = Name(call);
  const bool variantOut = n == "SendPacket" || n == "ReceiveAnswer" || n == "GetPacket" ||
                          n == "GetValue" || n.find(".GetValue") != std::string::npos;
  const bool pointerOut = variantOut || n == "GetField" || n == "GetName" || n == "GetService";
  std::vector<Fault> faults = {Fault::Error};
  if (pointerOut) faults.push_back(Fault::NullOut);
  if (variantOut) faults.push_back(Fault::WrongType);
  if (n == "ReceiveAnswer" || n == "GetErrorNo") faults.push_back(Fault::TimedOut);
  if (n.find("GetValue") != std::string::npos || n == "GetName") faults.push_back(Fault::OddString);
  return faults;
}

// What each step shows for a fault: the first rule whose step, call (a
// prefix of the log line) and fault (None: any) match. A refresh raises the
// alarm and never a box; a command's failure reaches the host's error box; the
// status query stays silent after it has read the clicked node; attaching
// ends with a box when a service or a stored folder cannot be had.
struct Rule {
  Phase phase;
  const char* call;
  Fault fault;
  Seen seen;
};
constexpr Seen kFine{true, 0, false, 0};
constexpr Seen kAlarm{true, 0, true, 0};
constexpr Seen kBox{true, 1, false, 0};
constexpr Seen kRefused{false, 1, false, 0};
const Rule kRules[] = {
    {Attach, "", Fault::OddString, kFine},
    {Attach, "GetService ARCom", Fault::None, kFine},
    {Attach, "GetService", Fault::None, kRefused},
    {Attach, "MemConfig.GetValue", Fault::NullOut, kFine},
    {Attach, "MemConfig.GetValue", Fault::None, kRefused},
    {Attach, "PersonalData.GetValue", Fault::Error, kRefused},
    {Attach, "", Fault::None, kFine},
    {Refresh, "", Fault::Error, kAlarm},
    {Refresh, "", Fault::TimedOut, kAlarm},
    {Refresh, "GetField", Fault::NullOut, kAlarm},
    {Refresh, "SendPacket", Fault::WrongType, kAlarm},
    {Refresh, "GetValue", Fault::WrongType, kAlarm},
    {Refresh, "", Fault::None, kFine},
    // Who sends a command is only recorded: without it the command goes on.
    {Command, "LoginInfo.GetValue LoginName", Fault::None, kFine},
    {Command, "", Fault::Error, kBox},
    {Command, "", Fault::TimedOut, kBox},
    {Command, "GetService", Fault::None, kBox},
    {Command, "LoginInfo.GetValue", Fault::WrongType, kBox},
    {Command, "SendPacket", Fault::WrongType, kBox},
    {Command, "", Fault::None, kFine},
    {Status, "", Fault::OddString, kFine},
    {Status, "GetService TempData", Fault::None, kBox},
    {Status, "TempData.GetValue", Fault::NullOut, kFine},
    {Status, "TempData.GetValue", Fault::None, kBox},
    {Status, "GetErrorNo", Fault::TimedOut, {true, 0, false, 1}},
    {Status, "", Fault::None, kFine},
    {Close, "PersonalData.SetValue", Fault::Error, kBox},
    {Close, "RemoveEventSink", Fault::Error, kBox},
    {Close, "", Fault::None, kFine},
};

Seen Expected(Phase phase, const std::string& call, Fault fault) {
  for (const Rule& r : kRules)
    if (r.phase == phase && call.rfind(r.call, 0) == 0 &&
        (r.fault == Fault::None || r.fault == fault))
      return r.seen;
  ADD_FAILURE() << "no rule for " << call;
  return {};
}

const char* FaultName(Fault f) {
  switch (f) {
    case Fault::Error:
      return "error";
    case Fault::NullOut:
      return "null out";
    case Fault::WrongType:
      return "wrong type";
    case Fault::TimedOut:
      return "time-out";
    case Fault::OddString:
      return "odd string";
    default:
      return "none";
  }
}

TEST_F(HostFaultTest, EveryHostCallFailingInTurnShowsOnlyWhatItsStepShows) {
  std::vector<size_t> phases;
  std::vector<std::string> recorded;
  Seen clean;
  {
    Rig rig;
    ASSERT_EQ(S_OK, rig.packerClass.Result());
    clean = Run(rig, phases);
    recorded = rig.log.calls;
    EXPECT_EQ(0, rig.Refs());
  }
  ASSERT_NO_FATAL_FAILURE(CompareWithGolden(recorded));
  ASSERT_TRUE(clean.attached && !clean.alarm && clean.boxes == 0) << Describe(clean);
  ASSERT_GT(phases[Close], phases[Status]);

  int injected = 0, checked = 0;
  for (size_t i = 0; i < recorded.size(); ++i) {
    Phase phase = Attach;
    for (int p = Refresh; p < kPhases; ++p)
      if (phases[static_cast<size_t>(p)] > 0 && i >= phases[static_cast<size_t>(p)])
        phase = static_cast<Phase>(p);
    for (Fault fault : FaultsFor(recorded[i])) {
      SCOPED_TRACE(std::to_string(i) + " " + recorded[i] + " (" + kPhaseNames[phase] +
                   "): " + FaultName(fault));
      Rig rig;
      rig.log.faultAt = static_cast<long>(i);
      rig.log.fault = fault;
      std::vector<size_t> ignored;
      const Seen seen = Run(rig, ignored);
      ++injected;
      ASSERT_EQ(recorded[i], i < rig.log.calls.size() ? rig.log.calls[i] : "")
          << "the run took another way before the fault";
      const Seen expected = Expected(phase, recorded[i], fault);
      EXPECT_TRUE(expected == seen) << Describe(seen) << "; expected " << Describe(expected);
      EXPECT_EQ(kBaseline, Baseline());
      // An empty setting is one never stored: the window's default is then right.
      if (!(fault == Fault::NullOut && Name(recorded[i]) == "PersonalData.GetValue")) {
        EXPECT_EQ(settingsBefore_, Contents(rig.personal, kSettings));
      }
      EXPECT_EQ(0, rig.Refs()) << "a reference was kept";
      checked += 4;
    }
  }
  std::printf("host calls recorded: %zu, faults injected: %d, outcomes checked: %d\n",
              recorded.size(), injected, checked);
}

}  // namespace
}  // namespace topo::test
