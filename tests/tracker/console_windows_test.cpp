#include "tracker/console_windows.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace vexa {
namespace {

enum class OnClose { Close, Ignore, CloseLater };

constexpr UINT kDestroyNow = WM_APP + 1;
constexpr UINT_PTR kLateTimer = 7;

LRESULT CALLBACK StandInProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto behaviour = static_cast<OnClose>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_CLOSE:
      if (behaviour == OnClose::Ignore) return 0;
      if (behaviour == OnClose::CloseLater) {
        SetTimer(hwnd, kLateTimer, 300, nullptr);
        return 0;
      }
      break;
    case WM_TIMER:
    case kDestroyNow:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A top-level "ConsoleWindowClass" window on a thread of its own, as a
// console host would have it.
class StandInConsole {
 public:
  StandInConsole(const char* title, OnClose behaviour) {
    static bool registered = [] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = StandInProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = kConsoleWindowClass;
      return RegisterClassA(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    thread_ = std::thread([this, title, behaviour] {
      HWND hwnd = CreateWindowExA(0, kConsoleWindowClass, title, WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                  100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(behaviour));
      hwnd_ = hwnd;
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    });
    while (!hwnd_) Sleep(5);
  }
  ~StandInConsole() {
    if (IsWindow(hwnd_)) PostMessageA(hwnd_, kDestroyNow, 0, 0);
    thread_.join();
  }
  HWND Window() const { return hwnd_; }

 private:
  std::atomic<HWND> hwnd_{nullptr};
  std::thread thread_;
};

TEST(ConsoleWindows, ClosesEveryConsoleAndGivesUpOnAStubbornOneInTime) {
  ASSERT_FALSE(ConsoleWindowExists());
  ConsoleCloseResult none = CloseConsoleWindows();
  EXPECT_FALSE(none.found);
  EXPECT_TRUE(none.notClosed.empty());

  StandInConsole tracker("vexa", OnClose::Close);
  StandInConsole stubborn("固执 console", OnClose::Ignore);
  StandInConsole prompt("prompt", OnClose::Close);
  StandInConsole slow("slow", OnClose::CloseLater);
  EXPECT_TRUE(ConsoleWindowExists());

  ULONGLONG start = GetTickCount64();
  ConsoleCloseResult result = CloseConsoleWindows();
  ULONGLONG elapsed = GetTickCount64() - start;

  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.notClosed, std::vector<std::string>{"固执 console"});
  EXPECT_FALSE(IsWindow(tracker.Window()));
  EXPECT_FALSE(IsWindow(prompt.Window()));
  EXPECT_FALSE(IsWindow(slow.Window()));
  EXPECT_TRUE(IsWindow(stubborn.Window()));
  EXPECT_GE(elapsed, 1900u);  // retried for about 2 s before giving up
  EXPECT_LE(elapsed, 5500u);
}

TEST(ConsoleWindows, WholeRunEndsWithinItsBound) {
  StandInConsole first("one", OnClose::Ignore);
  StandInConsole second("two", OnClose::Ignore);
  StandInConsole third("three", OnClose::Ignore);
  ULONGLONG start = GetTickCount64();
  ConsoleCloseResult result = CloseConsoleWindows();
  ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_LE(elapsed, 5500u);
  EXPECT_GE(elapsed, 4900u);
  std::vector<std::string> titles = result.notClosed;
  std::sort(titles.begin(), titles.end());
  EXPECT_EQ(titles, (std::vector<std::string>{"one", "three", "two"}));
}

}  // namespace
}  // namespace vexa
