#pragma once
// Ending the tracker's console instances: a console window of their own gets
// WM_CLOSE, a console without one (hosted elsewhere) gets Ctrl-C. Other
// programs' consoles are never touched.
#include <string>
#include <vector>

namespace vexa {

// How a tracker console instance was asked to end, and whether it did.
enum class ConsoleEnd {
  kWindowClosed,  // WM_CLOSE to its console window; the process ended
  kCtrlC,         // no console window of its own: Ctrl-C; the process ended
  kStillRunning,  // neither ended it within the bound
  kAlreadyEnded,  // gone before it was asked, or its process id no longer the tracker's
  kSharedConsole, // its console holds another program too (a command prompt): no Ctrl-C
};

struct ConsoleClosing {
  unsigned long pid = 0;
  std::string title;  // its console window's title; empty without one
  ConsoleEnd end = ConsoleEnd::kStillRunning;
  std::string sharedWith;  // kSharedConsole: the other program's file name
};

struct ConsoleCloseResult {
  bool found = false;                   // at least one tracker console instance ran
  std::vector<ConsoleClosing> closings;  // every one of them, in the order tried
  std::vector<std::string> notClosed;   // names of those still running at the end
};

extern const char kConsoleWindowClass[];  // "ConsoleWindowClass"

struct ConsoleCloseLimits {
  unsigned perProcessMs = 2000;  // a process still running after this is given up
  unsigned totalMs = 5000;       // the whole run ends by then
};

// CloseTrackerConsoles and SendCtrlC: tracker/console_windows_win32.h.

}  // namespace vexa
