#pragma once
// Ending the tracker's console instances: a console window of their own gets
// WM_CLOSE, a console without one (hosted elsewhere) gets Ctrl-C. Other
// programs' consoles are never touched.
#include <vector>

#include "tracker/service_actions.h"

namespace vexa {

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
