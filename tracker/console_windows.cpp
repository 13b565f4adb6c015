#include "tracker/console_windows.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vexa {

const char kConsoleWindowClass[] = "ConsoleWindowClass";

namespace {

constexpr UINT kSendTimeoutMs = 1000;
constexpr DWORD kRetryPauseMs = 50;

HWND NextConsoleWindow(HWND after) {
  return FindWindowExA(nullptr, after, kConsoleWindowClass, nullptr);
}

// The first console window that is not given up on yet.
HWND FirstConsoleWindowExcept(const std::vector<HWND>& skipped) {
  for (HWND hwnd = NextConsoleWindow(nullptr); hwnd; hwnd = NextConsoleWindow(hwnd)) {
    if (std::find(skipped.begin(), skipped.end(), hwnd) == skipped.end()) return hwnd;
  }
  return nullptr;
}

std::string WindowTitle(HWND hwnd) {
  char title[256] = "";
  GetWindowTextA(hwnd, title, sizeof title);
  return title;
}

struct FirstClose {
  HWND hwnd;
  ULONGLONG at;
};

}  // namespace

bool ConsoleWindowExists() { return FindWindowA(kConsoleWindowClass, nullptr) != nullptr; }

ConsoleCloseResult CloseConsoleWindows(const ConsoleCloseLimits& limits) {
  ConsoleCloseResult result;
  const ULONGLONG start = GetTickCount64();
  std::vector<FirstClose> tried;
  std::vector<HWND> skipped;

  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now - start >= limits.totalMs) break;
    HWND hwnd = FirstConsoleWindowExcept(skipped);
    if (!hwnd) break;
    result.found = true;

    auto first = std::find_if(tried.begin(), tried.end(),
                              [hwnd](const FirstClose& t) { return t.hwnd == hwnd; });
    if (first == tried.end()) {
      tried.push_back({hwnd, now});
    } else if (now - first->at >= limits.perWindowMs) {
      skipped.push_back(hwnd);
      continue;
    }

    DWORD_PTR answer = 0;
    // A hung or unanswering owner must not hold the panel for good.
    SendMessageTimeoutA(hwnd, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer);
    if (IsWindow(hwnd)) Sleep(kRetryPauseMs);
  }

  for (HWND hwnd = NextConsoleWindow(nullptr); hwnd; hwnd = NextConsoleWindow(hwnd)) {
    result.found = true;
    result.notClosed.push_back(WindowTitle(hwnd));
  }
  return result;
}

}  // namespace vexa
