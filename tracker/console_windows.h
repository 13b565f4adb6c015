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
  kAlreadyEnded,  // gone before it was asked
};

struct ConsoleClosing {
  unsigned long pid = 0;
  std::string title;  // its console window's title; empty without one
  ConsoleEnd end = ConsoleEnd::kStillRunning;
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

// Ends the console instances with these process ids, one after the other,
// and says how each ended or that it still runs.
ConsoleCloseResult CloseTrackerConsoles(const std::vector<unsigned long>& pids,
                                        const ConsoleCloseLimits& limits = {});

// Ctrl-C to every process of pid's console, the panel itself ignoring it;
// false when the console could not be reached.
bool SendCtrlC(unsigned long pid);

}  // namespace vexa
