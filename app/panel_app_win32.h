#pragma once
// The application object: one panel per program directory, skinning
// component up, common controls, the main window run modally, skinning
// component down.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/scoped_handles_win32.h"

namespace vexa {

class CPanelApp {
 public:
  // The whole run; returns the process exit code. ignored: the arguments
  // the window opens without, for the log.
  int Run(HINSTANCE instance, const std::vector<std::string>& ignored);

 private:
  void InitInstance();
  int ExitInstance();

  HINSTANCE instance_ = nullptr;
  std::vector<std::string> ignored_;
  std::optional<ScopedCoInitialize> com_;
};

}  // namespace vexa
