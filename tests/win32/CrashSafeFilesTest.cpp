// The three files that are replaced while the operator works (the baseline,
// the enabled-server list, the host's settings) survive a process killed at
// any step of their replacement: a writer process ends itself with
// TerminateProcess at step 0, 1, 2, ... until it gets through, and after each
// kill the file must be byte for byte the complete old or the complete new
// one, and load; the next save clears the temporary file the kill left.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/Services.h"
#include "model/Nodes.h"
#include "win32/Cp936.h"
#include "win32/MsxmlDocument.h"

namespace {

struct Kind {
  const wchar_t* name;
  const wchar_t* file;
  // Whether the complete file loads as its reader expects.
  bool (*loads)(const std::wstring& path, const std::string& bytes);
};

bool BaselineLoads(const std::wstring& path, const std::string&) {
  topo::TARNodeList model;
  model.LoadFromFile(topo::win32::Cp936FromWide(path), topo::win32::MsxmlDocument::Factory());
  return model.Count() == 3;  // the sample network's AR nodes
}

bool ListLoads(const std::wstring&, const std::string& bytes) {
  const std::string end = "  </AS>\r\n";
  return bytes.rfind("  <AR note=", 0) == 0 && bytes.size() > end.size() &&
         bytes.compare(bytes.size() - end.size(), end.size(), end) == 0;
}

bool SettingsLoad(const std::wstring&, const std::string& bytes) {
  return arhost::ParseValues(bytes).size() == 3;
}

const Kind kKinds[] = {{L"baseline", L"DatumNode.xml", BaselineLoads},
                       {L"list", L"ARASList.xml", ListLoads},
                       {L"settings", L"PersonalData.txt", SettingsLoad}};

constexpr DWORD kKilled = 77;

class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE h) : h_(h) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() {
    if (h_) CloseHandle(h_);
  }
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

std::wstring WriterPath() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"topo_crash_writer.exe";
}

// Runs the writer and answers its exit code (~0 when it could not be run).
DWORD RunWriter(const Kind& kind, const std::wstring& dir, int killAt, const wchar_t* version) {
  // The folder goes without its final "\", which would escape the quote.
  std::wstring command = L"\"" + WriterPath() + L"\" " + kind.name + L" \"" +
                         dir.substr(0, dir.size() - 1) + L"\" " + std::to_wstring(killAt) + L" " +
                         version;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return ~0u;
  OwnedHandle process(info.hProcess), thread(info.hThread);
  DWORD code = ~0u;
  if (WaitForSingleObject(process.Get(), 60000) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.Get(), &code);
  return code;
}

std::string Read(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class CrashSafeFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"topo-crash-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(root_.c_str(), nullptr);
  }
  void TearDown() override {
    Remove(root_);
    CoUninitialize();
  }

  // A fresh folder holding the complete old file.
  std::wstring OldFolder(const Kind& kind, const std::wstring& name) {
    const std::wstring dir = root_ + kind.name + L"-" + name + L"\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    EXPECT_EQ(0u, RunWriter(kind, dir, -1, L"old"));
    return dir;
  }

  static std::vector<std::wstring> Files(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }

  static void Remove(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          Remove(dir + name + L"\\");
        else
          DeleteFileW((dir + name).c_str());
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
  }

  std::wstring root_;
};

TEST_F(CrashSafeFiles, AKillAtEveryStepLeavesTheOldOrTheNewFileWhole) {
  int killPoints = 0;
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(topo::win32::Cp936FromWide(kind.name));
    const std::string old = Read(OldFolder(kind, L"old") + kind.file);
    const std::wstring completeDir = OldFolder(kind, L"new");
    ASSERT_EQ(0u, RunWriter(kind, completeDir, -1, L"new"));
    const std::string complete = Read(completeDir + kind.file);
    ASSERT_NE(old, complete);
    ASSERT_TRUE(kind.loads(completeDir + kind.file, complete));
    ASSERT_TRUE(kind.loads(completeDir + kind.file, old));

    int keptOld = 0, gotNew = 0, step = 0;
    for (;; ++step) {
      ASSERT_LT(step, 20) << "the writer never got through";
      const std::wstring dir = OldFolder(kind, L"kill" + std::to_wstring(step));
      const DWORD code = RunWriter(kind, dir, step, L"new");
      if (code == 0) break;
      ASSERT_EQ(kKilled, code) << "step " << step;
      const std::string left = Read(dir + kind.file);
      EXPECT_TRUE(left == old || left == complete) << "torn file after a kill at step " << step;
      EXPECT_TRUE(kind.loads(dir + kind.file, left)) << "step " << step;
      (left == old ? keptOld : gotNew) += 1;
      // The next save, by another process, clears what the killed one left.
      ASSERT_EQ(0u, RunWriter(kind, dir, -1, L"new"));
      EXPECT_EQ(Files(dir), std::vector<std::wstring>{kind.file}) << "step " << step;
    }
    // Every step of the replacement is a kill point: killed before the move
    // the old file stays, after it the new one is there.
    EXPECT_EQ(5, step);
    EXPECT_EQ(4, keptOld);
    EXPECT_EQ(1, gotNew);
    killPoints += step;
  }
  std::printf("crash-safe files: %d kill points\n", killPoints);
}

}  // namespace
