#include "tracker/console_windows.h"

#include <windows.h>

#include <algorithm>

#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"
#include "tracker/tracker_commands.h"
#include "tracker/tracker_processes.h"

namespace vexa {

const char kConsoleWindowClass[] = "ConsoleWindowClass";

namespace {

constexpr wchar_t kConsoleWindowClassWide[] = L"ConsoleWindowClass";
constexpr UINT kSendTimeoutMs = 1000;
constexpr DWORD kResendPauseMs = 250;

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchConsoleWindow(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != search->pid) return TRUE;
  wchar_t className[64] = L"";
  GetClassNameW(hwnd, className, 64);
  if (lstrcmpW(className, kConsoleWindowClassWide) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// The top-level console window of the process, if it has one.
HWND ConsoleWindowOf(DWORD pid) {
  WindowSearch search = {pid, nullptr};
  EnumWindows(MatchConsoleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowTitle(HWND hwnd) {
  wchar_t title[256] = L"";
  GetWindowTextW(hwnd, title, 256);
  return Narrow(title);
}

// The panel never has a console of its own; while it borrows the tracker's
// for a Ctrl-C it must not end itself. Not the "ignore" flag of a null
// handler: child processes would inherit that and ignore Ctrl-C themselves.
BOOL WINAPI IgnoreCtrlC(DWORD type) { return type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT; }

bool Ended(HANDLE process, DWORD waitMs) {
  return process && WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0;
}

DWORD Remaining(ULONGLONG deadline) {
  ULONGLONG now = GetTickCount64();
  return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

// WM_CLOSE until the process ends, again while its window stays, until the deadline.
bool CloseByWindow(HWND window, HANDLE process, ULONGLONG deadline) {
  for (;;) {
    if (IsWindow(window)) {
      DWORD_PTR answer = 0;
      // A hung or unanswering owner must not hold the panel for good.
      SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG,
                          std::min<DWORD>(kSendTimeoutMs, std::max<DWORD>(Remaining(deadline), 1)),
                          &answer);
    }
    if (Ended(process, std::min(kResendPauseMs, Remaining(deadline)))) return true;
    // A process the panel may not wait for counts as ended with its window.
    if (!process && !IsWindow(window)) return true;
    if (Remaining(deadline) == 0) return false;
  }
}

std::string Name(const ConsoleClosing& closing) {
  return (closing.title.empty() ? std::string(kTrackerExe) : closing.title) + " (" +
         PidText(closing.pid) + ")";
}

}  // namespace

bool SendCtrlC(unsigned long pid) {
  static const bool handlerSet = SetConsoleCtrlHandler(IgnoreCtrlC, TRUE) != FALSE;
  if (!handlerSet) return false;
  bool hadConsole = GetConsoleWindow() != nullptr;
  if (!AttachConsole(pid)) {
    // Only a process with a console of its own (a test, not the panel) gets here.
    if (GetLastError() != ERROR_ACCESS_DENIED || !FreeConsole() || !AttachConsole(pid)) {
      if (hadConsole && !GetConsoleWindow()) AttachConsole(ATTACH_PARENT_PROCESS);
      return false;
    }
  }
  // Group 0: every process of the console; the console instance is started
  // without a process group of its own so that it takes Ctrl-C.
  bool sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != FALSE;
  FreeConsole();
  if (hadConsole) AttachConsole(ATTACH_PARENT_PROCESS);
  return sent;
}

ConsoleCloseResult CloseTrackerConsoles(const std::vector<unsigned long>& pids,
                                        const ConsoleCloseLimits& limits) {
  ConsoleCloseResult result;
  result.found = !pids.empty();
  const ULONGLONG end = GetTickCount64() + limits.totalMs;

  for (unsigned long pid : pids) {
    ConsoleClosing closing;
    closing.pid = pid;
    ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    const DWORD openError = process ? 0 : GetLastError();
    const ULONGLONG deadline = std::min<ULONGLONG>(end, GetTickCount64() + limits.perProcessMs);
    HWND window = ConsoleWindowOf(pid);
    if (openError == ERROR_INVALID_PARAMETER) {
      closing.end = ConsoleEnd::kAlreadyEnded;
    } else if (window) {
      closing.title = WindowTitle(window);
      closing.end = CloseByWindow(window, process.Get(), deadline) ? ConsoleEnd::kWindowClosed
                                                                   : ConsoleEnd::kStillRunning;
    } else {
      closing.end = SendCtrlC(pid) && Ended(process.Get(), Remaining(deadline))
                        ? ConsoleEnd::kCtrlC
                        : ConsoleEnd::kStillRunning;
    }
    if (closing.end == ConsoleEnd::kStillRunning) result.notClosed.push_back(Name(closing));
    result.closings.push_back(closing);
  }
  return result;
}

}  // namespace vexa
