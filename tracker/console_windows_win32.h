#pragma once
// Ending the tracker's console instances on the system.
#include <windows.h>

#include <string>
#include <vector>

#include "base/scoped_handles_win32.h"
#include "tracker/console_windows.h"

namespace vexa {

// A tracker process as it was listed. Its handle (SYNCHRONIZE |
// PROCESS_QUERY_LIMITED_INFORMATION), opened when it was found, keeps its id
// from passing to another process until it is closed.
struct ConsoleProcess {
  DWORD pid = 0;
  ScopedHandle process;
};

// Ends the console instances one after the other and says how each ended or
// that it still runs. Each is touched only while its image, read through its
// handle right before, is still trackerPath.
ConsoleCloseResult CloseTrackerConsoles(const std::vector<ConsoleProcess>& consoles,
                                        const std::string& trackerPath,
                                        const ConsoleCloseLimits& limits = {});

enum class CtrlCResult { kSent, kNotReached, kSharedConsole };

// Ctrl-C to every process of pid's console, the panel itself ignoring it,
// but only when each of them runs trackerPath: a command prompt the tracker
// was started from must not get it (sharedWith names it then).
CtrlCResult SendCtrlC(DWORD pid, const std::string& trackerPath, std::string* sharedWith);

}  // namespace vexa
