#pragma once
// Starting a program directly with CreateProcessW: no command interpreter
// reads the command line, so & ^ % ( ) in it mean nothing.
#include <windows.h>

#include <string>

#include "base/scoped_handles_win32.h"

namespace vexa {

struct ProcessLaunch {
  std::string commandLine;
  std::string application;       // "": the command line's first part is the program
  std::string workingDirectory;  // "": the panel's own
  DWORD flags = 0;               // CreateProcessW's creation flags
  int showCommand = -1;          // SW_*; -1: as the program chooses
};

struct StartedProcess {
  ScopedHandle process;  // null when it did not start
  ScopedHandle thread;
  DWORD error = 0;  // the system's error when it did not start
};

StartedProcess StartProcess(const ProcessLaunch& launch);

// Whether this process runs with an administrator's rights (elevated, or
// SYSTEM); whenUnknown when its token cannot be asked.
bool ProcessRunsElevated(bool whenUnknown = false);

}  // namespace vexa
