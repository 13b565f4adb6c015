#pragma once
// Starting vexa.exe: its service switches (waited for), its console
// instance (not waited for), and the shell's default action on a target.
#include <string>

#include "base/status.h"
#include "tracker/service_actions.h"

namespace vexa {

std::string TrackerExePath(const std::string& programDirectory);
bool TrackerExeExists(const std::string& programDirectory);

// Runs programDirectory + command ("vexa.exe -i" etc.) directly, without a
// command interpreter or a window, and waits for its exit code.
TrackerRun RunTrackerCommand(const std::string& programDirectory, const std::string& command);

// Starts programDirectory + "vexa.exe" in a console window of its own.
Status StartTrackerConsole(const std::string& programDirectory);

// ShellExecuteA with the default verb and SW_SHOWNORMAL; does not wait.
void ShellOpen(const std::string& target);

}  // namespace vexa
