#pragma once
// Starting vexa.exe: its service switches (waited for) and its console
// instance (not waited for).
#include <functional>
#include <string>

#include "base/status.h"

namespace vexa {

struct TrackerRun {
  // Not ok: vexa.exe could not be started at all, or the user stopped
  // waiting for it (it is then still running).
  Status status;
  unsigned long exitCode = 0;
};

std::string TrackerExePath(const std::string& programDirectory);
bool TrackerExeExists(const std::string& programDirectory);

// How long a switch may run before the user is asked whether to go on
// waiting for it.
struct CommandWait {
  unsigned askAfterMs = 60000;
  // Asked on the calling thread each time askAfterMs has passed; false
  // stops the wait. Empty: wait for good.
  std::function<bool()> keepWaiting;
  // How the calling thread waits up to ms for a kernel handle to be
  // signalled (a window's thread keeps its messages going); empty: a plain
  // wait.
  std::function<bool(void* handle, unsigned long ms)> waitFor;
};

// Runs programDirectory + command ("vexa.exe -i" etc.) directly, without a
// command interpreter or a window, and waits for its exit code (the start
// itself on a thread of its own). A wait given up leaves the process
// running and says so in the status.
TrackerRun RunTrackerCommand(const std::string& programDirectory, const std::string& command,
                             const CommandWait& wait = {});

// Starts programDirectory + "vexa.exe" in a console window of its own.
Status StartTrackerConsole(const std::string& programDirectory);

}  // namespace vexa
