#include "tracker/console_windows_win32.h"

#include <algorithm>

#include "base/wide_text.h"
#include "tracker/image_path_win32.h"
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

bool WindowOf(HWND window, DWORD pid) {
  DWORD owner = 0;
  return IsWindow(window) && GetWindowThreadProcessId(window, &owner) && owner == pid;
}

// WM_CLOSE until the process ends, again while its window stays, until the deadline.
bool CloseByWindow(HWND window, DWORD pid, HANDLE process, ULONGLONG deadline) {
  for (;;) {
    if (WindowOf(window, pid)) {
      DWORD_PTR answer = 0;
      // A hung or unanswering owner must not hold the panel for good.
      SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG,
                          std::min<DWORD>(kSendTimeoutMs, std::max<DWORD>(Remaining(deadline), 1)),
                          &answer);
    }
    if (Ended(process, std::min(kResendPauseMs, Remaining(deadline)))) return true;
    if (Remaining(deadline) == 0) return false;
  }
}

std::string Name(const ConsoleClosing& closing) {
  std::string name = (closing.title.empty() ? std::string(kTrackerExe) : closing.title) + " (" +
                     PidText(closing.pid) + ")";
  if (closing.end == ConsoleEnd::kSharedConsole) {
    name += "，与 " + closing.sharedWith + " 共用控制台，未发送 Ctrl-C";
  }
  return name;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Another program among the processes attached to the console the panel has
// just joined, or "" when each runs trackerPath.
std::string OtherProgramInConsole(const std::string& trackerPath) {
  std::vector<DWORD> pids(64);
  DWORD count = GetConsoleProcessList(pids.data(), static_cast<DWORD>(pids.size()));
  if (count > pids.size()) {
    pids.resize(count + 16);
    count = GetConsoleProcessList(pids.data(), static_cast<DWORD>(pids.size()));
  }
  if (count == 0 || count > pids.size()) return "?";
  for (DWORD i = 0; i < count; ++i) {
    if (pids[i] == GetCurrentProcessId()) continue;
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pids[i]));
    const std::string image = ImagePathOf(process.Get());
    if (image.empty()) return PidText(pids[i]);
    if (!SameImageFile(image, trackerPath)) return FileNameOf(image);
  }
  return "";
}

}  // namespace

CtrlCResult SendCtrlC(DWORD pid, const std::string& trackerPath, std::string* sharedWith) {
  static const bool handlerSet = SetConsoleCtrlHandler(IgnoreCtrlC, TRUE) != FALSE;
  if (!handlerSet) return CtrlCResult::kNotReached;
  bool hadConsole = GetConsoleWindow() != nullptr;
  if (!AttachConsole(pid)) {
    // Only a process with a console of its own (a test, not the panel) gets here.
    if (GetLastError() != ERROR_ACCESS_DENIED || !FreeConsole() || !AttachConsole(pid)) {
      if (hadConsole && !GetConsoleWindow()) AttachConsole(ATTACH_PARENT_PROCESS);
      return CtrlCResult::kNotReached;
    }
  }
  // Group 0 is every process of the console; the console instance is
  // started without a process group of its own so that it takes Ctrl-C.
  *sharedWith = OtherProgramInConsole(trackerPath);
  const CtrlCResult result =
      !sharedWith->empty()                               ? CtrlCResult::kSharedConsole
      : GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != FALSE ? CtrlCResult::kSent
                                                         : CtrlCResult::kNotReached;
  FreeConsole();
  if (hadConsole) AttachConsole(ATTACH_PARENT_PROCESS);
  return result;
}

ConsoleCloseResult CloseTrackerConsoles(const std::vector<ConsoleProcess>& consoles,
                                        const std::string& trackerPath,
                                        const ConsoleCloseLimits& limits) {
  ConsoleCloseResult result;
  result.found = !consoles.empty();
  const ULONGLONG end = GetTickCount64() + limits.totalMs;

  for (const ConsoleProcess& console : consoles) {
    ConsoleClosing closing;
    closing.pid = console.pid;
    HANDLE process = console.process.Get();
    const ULONGLONG deadline = std::min<ULONGLONG>(end, GetTickCount64() + limits.perProcessMs);
    HWND window = ConsoleWindowOf(console.pid);
    // Through the handle held since the listing: the id still names the
    // tracker's process, never one that got the id after it ended.
    if (!process) {
      closing.end = ConsoleEnd::kStillRunning;  // not to be touched without its handle
    } else if (Ended(process, 0) || !ProcessRunsImage(process, trackerPath)) {
      closing.end = ConsoleEnd::kAlreadyEnded;
    } else if (window) {
      closing.title = WindowTitle(window);
      closing.end = CloseByWindow(window, console.pid, process, deadline) ? ConsoleEnd::kWindowClosed
                                                                          : ConsoleEnd::kStillRunning;
    } else {
      switch (SendCtrlC(console.pid, trackerPath, &closing.sharedWith)) {
        case CtrlCResult::kSharedConsole: closing.end = ConsoleEnd::kSharedConsole; break;
        case CtrlCResult::kSent: {
          // Its time to end counts from the Ctrl-C, not from the look at its console.
          const ULONGLONG sent = std::min<ULONGLONG>(end, GetTickCount64() + limits.perProcessMs);
          closing.end = Ended(process, Remaining(sent)) ? ConsoleEnd::kCtrlC : ConsoleEnd::kStillRunning;
          break;
        }
        case CtrlCResult::kNotReached: closing.end = ConsoleEnd::kStillRunning; break;
      }
    }
    if (closing.end == ConsoleEnd::kStillRunning || closing.end == ConsoleEnd::kSharedConsole) {
      result.notClosed.push_back(Name(closing));
    }
    result.closings.push_back(closing);
  }
  return result;
}

}  // namespace vexa
