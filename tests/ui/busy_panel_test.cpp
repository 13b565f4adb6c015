#include "ui/busy_panel_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "base/wide_text.h"
#include "service_page/status_control_win32.h"
#include "tests/tracker/scratch_directory.h"
#include "tracker/tracker_commands.h"
#include "tracker/tracker_launcher.h"

namespace vexa {
namespace {

// A window of the test thread that counts what reaches it, and another
// thread pinging it with WM_NULL every 20 ms, as a user's desktop would.
struct AnsweringWindow {
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<AnsweringWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && message == WM_LBUTTONDOWN) ++self->clicks;
    if (self && message == WM_APP) ++self->posted;
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

  AnsweringWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VexaBusyPanelTest";
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~AnsweringWindow() { DestroyWindow(hwnd); }

  HWND hwnd = nullptr;
  int clicks = 0;
  int posted = 0;
};

class Pinger {
 public:
  explicit Pinger(HWND target) : target_(target) {
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  ~Pinger() { Stop(); }
  Pinger(const Pinger&) = delete;
  Pinger& operator=(const Pinger&) = delete;
  // Stops and returns the longest time the window took to answer, in ms.
  DWORD Stop() {
    if (thread_) {
      stop_ = true;
      // The last ping may be waiting for this very thread: answer it.
      while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_SENDMESSAGE) !=
             WAIT_OBJECT_0) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
      }
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    return longest_;
  }
  int Pings() const { return pings_; }

 private:
  static DWORD WINAPI Run(void* param) {
    auto* self = static_cast<Pinger*>(param);
    while (!self->stop_) {
      const ULONGLONG sent = GetTickCount64();
      DWORD_PTR answer = 0;
      SendMessageTimeoutA(self->target_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
      const DWORD took = static_cast<DWORD>(GetTickCount64() - sent);
      if (self->stop_) break;  // answered by Stop itself
      if (took > self->longest_) self->longest_ = took;
      ++self->pings_;
      Sleep(20);
    }
    return 0;
  }

  HWND target_;
  HANDLE thread_ = nullptr;
  std::atomic<bool> stop_{false};
  std::atomic<DWORD> longest_{0};
  std::atomic<int> pings_{0};
};

TEST(BusyPanel, WaitsAnswerMessagesDropInputAndRunTheTick) {
  AnsweringWindow window;
  ASSERT_TRUE(window.hwnd);
  Pinger pinger(window.hwnd);
  int ticks = 0;
  {
    BusyPanel busy;
    EXPECT_TRUE(PanelBusy());
    PostMessageA(window.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMessageA(window.hwnd, WM_APP, 0, 0);
    // Work on another thread: a second of it.
    int result = RunPumping([] {
      Sleep(1000);
      return 42;
    }, [&] { ++ticks; });
    EXPECT_EQ(result, 42);
    SleepPumping(300);
    // Queued while nobody pumped: dropped at the end, not replayed.
    PostMessageA(window.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  }
  EXPECT_FALSE(PanelBusy());
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  const DWORD longest = pinger.Stop();
  EXPECT_EQ(window.clicks, 0);
  EXPECT_EQ(window.posted, 1);
  EXPECT_GE(ticks, 5);
  EXPECT_GE(pinger.Pings(), 20);
  // Loose: a loaded machine delays any thread; a blocked wait misses it by a second.
  EXPECT_LE(longest, 500u) << "the window did not answer for " << longest << " ms";
}

// A copy of more than a second: the status line shows its progress while it
// runs (read from the copying thread) and its own text again at the end.
TEST(BusyPanel, ALongCopyShowsItsProgressInTheStatusLineMeanwhile) {
  AnsweringWindow line;
  CServiceStatus status;
  status.Attach(line.hwnd);
  BackupProgress progress;
  wchar_t during[128] = L"";
  RunShowingProgress(&status, CopyJob::kRestore, progress, [&] {
    progress.filesTotal = 2;
    progress.bytesTotal = 2048;
    Sleep(1500);
    return GetWindowTextW(line.hwnd, during, 128);
  });
  EXPECT_EQ(Narrow(during), "正在恢复备份：0/2 个文件，0 字节 / 2.0 KB");
  EXPECT_EQ(status.Shown(), "");
}

TEST(TrackerLauncher, ALongSwitchAsksWhetherToWaitAndAGivenUpWaitReturnsAtOnce) {
  test::ScratchDirectory dir("长命令 嘰");
  std::string recorder = test::TestExeDirectory() + "vexa_command_recorder.exe";
  ASSERT_TRUE(CopyFileW(Wide(recorder).c_str(), Wide(dir.Path() + "vexa.exe").c_str(), FALSE));
  test::WriteBytes(dir.Path() + "delay.txt", "1500");
  test::WriteBytes(dir.Path() + "exitcode.txt", "7");

  AnsweringWindow window;
  Pinger pinger(window.hwnd);
  int asked = 0;
  CommandWait wait;
  wait.waitFor = [](void* handle, unsigned long ms) { return WaitPumping(handle, ms); };
  wait.askAfterMs = 300;
  wait.keepWaiting = [&] { return ++asked < 2; };
  const ULONGLONG start = GetTickCount64();
  TrackerRun run = RunTrackerCommand(dir.Path(), kStartCommand, wait);
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(run.status.ok);
  EXPECT_EQ(run.status.message, WaitGivenUpText(kStartCommand));
  EXPECT_LT(took, 1200u);

  // Waiting on: the exit code arrives.
  wait.keepWaiting = [&] { return ++asked < 100; };
  run = RunTrackerCommand(dir.Path(), kStopCommand, wait);
  EXPECT_TRUE(run.status.ok) << run.status.message;
  EXPECT_EQ(run.exitCode, 7u);
  EXPECT_GE(asked, 5);
  const DWORD longest = pinger.Stop();
  EXPECT_LE(longest, 500u) << "the window did not answer for " << longest << " ms";
  Sleep(1600);  // the abandoned first run ends before the directory goes
}

std::wstring givenReason;
BOOL WINAPI UnimplementedBlockReason(HWND, LPCWSTR reason) {
  givenReason = reason;
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);  // as Wine answers
  return FALSE;
}

// A logoff is refused while a named job runs, with the job as the reason,
// also where the system keeps no reasons; a close that came meanwhile is
// posted once, as soon as the panel is idle again.
TEST(BusyPanel, SessionEndWaitsForANamedJobAndAPutOffCloseFollowsIt) {
  AnsweringWindow window;
  EXPECT_FALSE(DeferWhileBusy(window.hwnd, WM_APP));
  {
    BusyPanel command;  // a tracker switch: over in seconds
    EXPECT_TRUE(AllowSessionEnd(window.hwnd, UnimplementedBlockReason));
    {
      BusyPanel backup("备份数据");
      BusyPanel step("inner");
      EXPECT_FALSE(AllowSessionEnd(window.hwnd, UnimplementedBlockReason));
      EXPECT_EQ(givenReason, Wide(SessionBlockReason("备份数据")));
      EXPECT_FALSE(AllowSessionEnd(window.hwnd));  // the system's own call
      EXPECT_TRUE(DeferWhileBusy(window.hwnd, WM_APP));
    }
    EXPECT_EQ(RunningJob(), "");
    EXPECT_TRUE(DeferWhileBusy(window.hwnd, WM_APP));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, window.hwnd, WM_APP, WM_APP, PM_NOREMOVE));
  }
  MSG msg;
  while (PeekMessageW(&msg, window.hwnd, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(window.posted, 1);
}

}  // namespace
}  // namespace vexa
