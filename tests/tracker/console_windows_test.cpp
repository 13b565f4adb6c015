#include "tracker/console_windows_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <tuple>

#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"
#include "service_page/status_control_win32.h"
#include "tests/tracker/scratch_directory.h"
#include "tracker/image_path_win32.h"
#include "tracker/status_schedule.h"
#include "tracker/system_tables_win32.h"
#include "tracker/tracker_launcher.h"
#include "tracker/tracker_processes.h"

namespace vexa {
namespace {

using test::ScratchDirectory;

constexpr UINT kDestroyNow = WM_APP + 1;

LRESULT CALLBACK PromptProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kDestroyNow:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// An unrelated program's console window: a top-level "ConsoleWindowClass"
// window of this test process, on a thread of its own, that would close on
// WM_CLOSE.
class UnrelatedConsole {
 public:
  UnrelatedConsole() {
    static bool registered = [] {
      static const std::wstring className = Wide(kConsoleWindowClass);
      WNDCLASSW wc = {};
      wc.lpfnWndProc = PromptProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = className.c_str();
      return RegisterClassW(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    thread_ = std::thread([this] {
      HWND hwnd = CreateWindowExW(0, Wide(kConsoleWindowClass).c_str(), Wide("命令提示符").c_str(),
                                  WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
      hwnd_ = hwnd;
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    });
    while (!hwnd_) Sleep(5);
  }
  ~UnrelatedConsole() {
    if (IsWindow(hwnd_)) PostMessageA(hwnd_, kDestroyNow, 0, 0);
    thread_.join();
  }
  HWND Window() const { return hwnd_; }

 private:
  std::atomic<HWND> hwnd_{nullptr};
  std::thread thread_;
};

// A program directory with a stand-in tracker as its vexa.exe; whatever of
// it still runs at the end is ended.
class TrackerDirectory {
 public:
  TrackerDirectory(const std::string& name, const char* standIn) : dir_(name) {
    std::string from = test::TestExeDirectory() + standIn;
    EXPECT_TRUE(CopyFileW(Wide(from).c_str(), Wide(dir_.Path() + "vexa.exe").c_str(), FALSE))
        << from;
  }
  ~TrackerDirectory() {
    for (unsigned long pid : Consoles()) {
      HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
      if (!process) continue;
      TerminateProcess(process, 9);
      WaitForSingleObject(process, 2000);
      CloseHandle(process);
    }
  }
  const std::string& Path() const { return dir_.Path(); }
  std::string Exe() const { return dir_.Path() + "vexa.exe"; }
  std::vector<unsigned long> Consoles() const { return QueryTrackerProcesses(Path()).consolePids; }
  std::string Log() const { return test::ReadBytes(Path() + "vexa-calls.log"); }

  // Starts n console instances as the panel does and waits until they run
  // and until, for the window stand-in, their windows are there.
  std::vector<unsigned long> Start(size_t n, bool withWindows) {
    const size_t readyBefore = Count(Log(), "ready ");
    for (size_t i = 0; i < n; ++i) EXPECT_TRUE(StartTrackerConsole(Path()).ok);
    std::vector<unsigned long> pids;
    for (int i = 0; i < 200; ++i) {
      pids = Consoles();
      if (pids.size() == n &&
          std::all_of(pids.begin(), pids.end(), [withWindows](unsigned long pid) {
            return HasConsoleWindow(pid) == withWindows;
          }) &&
          (withWindows || Count(Log(), "ready ") == readyBefore + n))
        break;
      Sleep(50);
    }
    EXPECT_EQ(pids.size(), n);
    return pids;
  }

  static size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  static bool HasConsoleWindow(unsigned long pid) {
    for (HWND w = FindWindowExA(nullptr, nullptr, kConsoleWindowClass, nullptr); w;
         w = FindWindowExA(nullptr, w, kConsoleWindowClass, nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid) return true;
    }
    return false;
  }

 private:
  ScratchDirectory dir_;
};

// The processes as the panel lists them: each with a handle opened then.
std::vector<ConsoleProcess> Listed(const std::vector<unsigned long>& pids) {
  std::vector<ConsoleProcess> listed;
  listed.reserve(pids.size());
  for (unsigned long pid : pids) {
    listed.push_back(
        {pid, ScopedHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid))});
  }
  return listed;
}

std::string PidName(const char* title, unsigned long pid) {
  return std::string(title) + " (PID " + std::to_string(pid) + ")";
}

TEST(ConsoleWindows, ClosesOnlyTheTrackersConsolesAndLeavesOthersOpen) {
  TrackerDirectory tracker("控制台 a&b (1)", "vexa_window_standin.exe");
  TrackerDirectory elsewhere("其他 vexa", "vexa_window_standin.exe");
  UnrelatedConsole prompt;
  std::vector<unsigned long> ours = tracker.Start(2, true);
  std::vector<unsigned long> theirs = elsewhere.Start(1, true);
  ASSERT_EQ(ours.size(), 2u);
  ASSERT_EQ(theirs.size(), 1u);

  // A process id handed on with a process that does not run our vexa.exe
  // (as when the tracker ended and the id went to another program) is
  // looked at through its handle and left alone.
  std::vector<ConsoleProcess> consoles = Listed({ours[0], theirs[0], ours[1]});
  ConsoleCloseResult result = CloseTrackerConsoles(consoles, tracker.Exe());
  EXPECT_TRUE(result.found);
  EXPECT_TRUE(result.notClosed.empty());
  ASSERT_EQ(result.closings.size(), 3u);
  EXPECT_EQ(result.closings[1].pid, theirs[0]);
  EXPECT_EQ(result.closings[1].end, ConsoleEnd::kAlreadyEnded);
  for (size_t i : {0, 2}) {
    EXPECT_EQ(result.closings[i].pid, ours[i / 2]);
    EXPECT_EQ(result.closings[i].title, "vexa");
    EXPECT_EQ(result.closings[i].end, ConsoleEnd::kWindowClosed);
  }
  EXPECT_TRUE(tracker.Consoles().empty());
  // The same program in another directory and another program's console stay.
  EXPECT_EQ(elsewhere.Consoles(), theirs);
  EXPECT_TRUE(TrackerDirectory::HasConsoleWindow(theirs[0]));
  EXPECT_TRUE(IsWindow(prompt.Window()));

  // Nothing to close: nothing found, nothing done.
  ConsoleCloseResult none = CloseTrackerConsoles(Listed(tracker.Consoles()), tracker.Exe());
  EXPECT_FALSE(none.found);
  EXPECT_TRUE(none.closings.empty());
}

TEST(ConsoleWindows, StubbornConsolesAreGivenUpWithinTheBoundsAndNamed) {
  TrackerDirectory tracker("固执", "vexa_window_standin.exe");
  test::WriteBytes(tracker.Path() + "ignore-close", "");
  std::vector<unsigned long> pids = tracker.Start(3, true);
  ASSERT_EQ(pids.size(), 3u);

  ULONGLONG start = GetTickCount64();
  ConsoleCloseResult one = CloseTrackerConsoles(Listed({pids[0]}), tracker.Exe());
  ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_GE(elapsed, 1900u);  // retried for about 2 s
  EXPECT_LE(elapsed, 2600u);
  EXPECT_EQ(one.notClosed, std::vector<std::string>{PidName("vexa", pids[0])});
  ASSERT_EQ(one.closings.size(), 1u);
  EXPECT_EQ(one.closings[0].end, ConsoleEnd::kStillRunning);

  start = GetTickCount64();
  ConsoleCloseResult all = CloseTrackerConsoles(Listed(pids), tracker.Exe());
  elapsed = GetTickCount64() - start;
  EXPECT_GE(elapsed, 4900u);
  EXPECT_LE(elapsed, 5600u);
  EXPECT_EQ(all.notClosed.size(), 3u);
  EXPECT_EQ(tracker.Consoles().size(), 3u);
}

TEST(ConsoleWindows, ConsoleWithoutItsOwnWindowGetsCtrlCInARealConsole) {
  TrackerDirectory tracker("real console", "vexa_console_standin.exe");
  std::vector<unsigned long> pids = tracker.Start(1, false);
  ASSERT_EQ(pids.size(), 1u);
  ScopedHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pids[0]));
  ASSERT_TRUE(process);

  ConsoleCloseResult result = CloseTrackerConsoles(Listed(pids), tracker.Exe());
  ASSERT_EQ(result.closings.size(), 1u);
  EXPECT_EQ(result.closings[0].end, ConsoleEnd::kCtrlC);
  EXPECT_TRUE(result.closings[0].title.empty());
  EXPECT_TRUE(result.notClosed.empty());
  EXPECT_EQ(TrackerDirectory::Count(tracker.Log(), "ctrl-c"), 1u) << tracker.Log();
  DWORD exitCode = 99;
  EXPECT_EQ(WaitForSingleObject(process.Get(), 0), WAIT_OBJECT_0);
  GetExitCodeProcess(process.Get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);  // its own handler ended it, not a kill

  // This process took part in the console's Ctrl-C and is still here; the
  // next console instance hears Ctrl-C too, as nothing taught it to ignore it.
  pids = tracker.Start(1, false);
  ASSERT_EQ(pids.size(), 1u) << tracker.Log();
  EXPECT_EQ(CloseTrackerConsoles(Listed(pids), tracker.Exe()).closings.at(0).end, ConsoleEnd::kCtrlC);
}

// The tracker started from a command prompt shares the prompt's console: a
// Ctrl-C would reach the prompt too, so neither gets one and it is named.
TEST(ConsoleWindows, ATrackerInsideACommandPromptIsNamedAndThePromptGetsNoCtrlC) {
  TrackerDirectory tracker("prompt", "vexa_console_standin.exe");
  std::wstring line = L"cmd.exe /c \"" + Wide(tracker.Exe()) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                             nullptr, nullptr, &startup, &info));
  ScopedHandle prompt(info.hProcess), promptThread(info.hThread);
  std::vector<unsigned long> pids;
  for (int i = 0; i < 200 && (pids.empty() || TrackerDirectory::Count(tracker.Log(), "ready ") == 0); ++i) {
    pids = tracker.Consoles();
    Sleep(50);
  }
  ASSERT_EQ(pids.size(), 1u) << tracker.Log();

  ConsoleCloseResult result = CloseTrackerConsoles(Listed(pids), tracker.Exe());
  EXPECT_EQ(result.closings.at(0).end, ConsoleEnd::kSharedConsole);
  EXPECT_EQ(result.notClosed, std::vector<std::string>{"vexa.exe (PID " + std::to_string(pids[0]) +
                                                       ")，与 cmd.exe 共用控制台，未发送 Ctrl-C"});
  EXPECT_EQ(TrackerDirectory::Count(tracker.Log(), "ctrl-c"), 0u) << tracker.Log();
  EXPECT_TRUE(WaitForSingleObject(prompt.Get(), 0) == WAIT_TIMEOUT && tracker.Consoles() == pids);
}

TEST(ImagePaths, AreComparedAsTheSystemComparesThem) {
  ScratchDirectory dir("Long Folder Name Ärger");
  test::WriteBytes(dir.Path() + "vexa.exe", "");
  wchar_t shortPath[MAX_PATH] = L"";
  ASSERT_NE(GetShortPathNameW(Wide(dir.Path() + "vexa.exe").c_str(), shortPath, MAX_PATH), 0u);
  const std::string longPath = dir.Path() + "vexa.exe";
  ASSERT_NE(Narrow(shortPath), longPath);
  ASSERT_TRUE(CreateHardLinkW(Wide(dir.Path() + "tracker.exe").c_str(), Wide(longPath).c_str(), nullptr));
  const std::string folder = dir.Path().substr(0, dir.Path().size() - 1);
  const std::string detour = dir.Path() + "..\\" + folder.substr(folder.rfind('\\') + 1) + "\\vexa.exe";
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"C:\\Ärger\\Σ\\vexa.exe", "c:\\äRGER\\σ\\VEXA.EXE", true},  // every letter, not ASCII alone
      {detour, longPath, true},  // the same file however it is reached
      {dir.Path() + "tracker.exe", longPath, true},
      {"\\\\?\\C:\\x\\vexa.exe", "C:\\X\\vexa.exe", true},
      {Narrow(shortPath), longPath, true},
      {"C:\\a\\vexa.exe", "C:\\b\\vexa.exe", false},
      {"C:\\a~1\\vexa.exe", "C:\\b\\vexa.exe", false},
  };
  for (const auto& [a, b, same] : cases) EXPECT_EQ(SameImageFile(a, b), same) << a << " " << b;
}

TEST(TrackerProcessesOnTheSystem, FindsTheServiceByItsBinaryPath) {
  ScratchDirectory dir("服务 目录");
  test::WriteBytes(dir.Path() + "vexa.exe", "");
  EXPECT_EQ(QueryTrackerProcesses(dir.Path()).serviceState, ServiceState::kNotInstalled);

  ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  ASSERT_TRUE(manager) << GetLastError();
  const std::wstring binaryPath = Wide("\"" + dir.Path() + "VEXA.exe\" -service");
  ScopedServiceHandle service(CreateServiceW(
      manager.Get(), L"VexaPanelTestService", L"VexaPanelTestService", SERVICE_ALL_ACCESS,
      SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binaryPath.c_str(),
      nullptr, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(service) << GetLastError();
  TrackerProcesses installed = QueryTrackerProcesses(dir.Path());
  ScratchDirectory other("other");
  TrackerProcesses notOurs = QueryTrackerProcesses(other.Path());
  EXPECT_TRUE(DeleteService(service.Get()));

  EXPECT_EQ(installed.serviceState, ServiceState::kStopped);
  EXPECT_EQ(installed.servicePid, 0u);
  EXPECT_EQ(notOurs.serviceState, ServiceState::kNotInstalled);
}

// The line reads the process table only every few refreshes, yet a console
// started outside the panel shows within them; an ended one and a service
// installed or removed outside show at the next refresh.
TEST(TrackerProcessesOnTheSystem, StatusLineFollowsChangesMadeOutsideThePanel) {
  TrackerDirectory tracker("状态 行", "vexa_window_standin.exe");
  CServiceStatus status;
  const std::string none = "服务：未安装 | 控制台：未运行 | 端口 47131：空闲";
  status.Refresh(tracker.Path(), "47131", StatusRefresh::kAfresh);
  EXPECT_EQ(status.Shown(), none);

  std::vector<unsigned long> pids = tracker.Start(1, true);
  ASSERT_EQ(pids.size(), 1u);
  const std::string running =
      "服务：未安装 | 控制台：运行中 (PID " + std::to_string(pids[0]) + ") | 端口 47131：空闲";
  unsigned refreshes = 0;
  while (status.Shown() != running && refreshes < StatusSchedule::kProcessesEvery) {
    status.Refresh(tracker.Path(), "47131");
    ++refreshes;
  }
  EXPECT_EQ(status.Shown(), running);

  ScopedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pids[0]));
  ASSERT_TRUE(process);
  // Seen without waiting for the process table's turn.
  status.Refresh(tracker.Path(), "47131");
  ASSERT_EQ(status.Shown(), running) << "the next refresh was meant to read no processes";
  ASSERT_TRUE(TerminateProcess(process.Get(), 9));
  ASSERT_EQ(WaitForSingleObject(process.Get(), 5000), WAIT_OBJECT_0);
  status.Refresh(tracker.Path(), "47131");
  EXPECT_EQ(status.Shown(), none);

  ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  ASSERT_TRUE(manager) << GetLastError();
  const std::string binaryPath = "\"" + tracker.Path() + "vexa.exe\"";
  ScopedServiceHandle service(CreateServiceW(
      manager.Get(), L"VexaPanelStatusTest", L"VexaPanelStatusTest", SERVICE_ALL_ACCESS,
      SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
      Wide(binaryPath).c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(service) << GetLastError();
  status.Refresh(tracker.Path(), "47131");
  const std::string installed = status.Shown();
  // Changed in place, as an install of the tracker of another folder might:
  // the panel's own commands read such a service's binary path anew.
  auto moveService = [&](const std::string& path) {
    return ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                SERVICE_NO_CHANGE, Wide(path).c_str(), nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr) != FALSE;
  };
  EXPECT_TRUE(moveService("\"C:\\elsewhere\\vexa.exe\" -service"));
  status.Refresh(tracker.Path(), "47131", StatusRefresh::kAfresh);
  const std::string moved = status.Shown();
  EXPECT_TRUE(moveService(binaryPath));
  status.Refresh(tracker.Path(), "47131", StatusRefresh::kAfresh);
  const std::string back = status.Shown();
  EXPECT_TRUE(DeleteService(service.Get()));
  service.Reset();
  status.Refresh(tracker.Path(), "47131");
  const std::string removed = status.Shown();

  const std::string stopped = "服务：已停止 | 控制台：未运行 | 端口 47131：空闲";
  EXPECT_EQ(installed, stopped);
  EXPECT_EQ(moved, none);
  EXPECT_EQ(back, stopped);
  EXPECT_EQ(removed, none);
}

}  // namespace
}  // namespace vexa
