#pragma once
// What VexaPanel.exe is asked to do by its command line: nothing given
// opens the window; "/backup [/keep N]" backs up without any window, for a
// scheduled task.
#include <string>
#include <vector>

namespace vexa {

// The exit codes of a command-line run.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadArguments = 2;

constexpr unsigned kKeepLeast = 1;
constexpr unsigned kKeepMost = 999;

struct PanelCommand {
  enum class Kind { kWindow, kBackup, kBadArguments };
  Kind kind = Kind::kWindow;
  unsigned keep = 0;    // with kBackup: backups to keep, 0 for all
  std::string problem;  // with kBadArguments: what was not understood
};

// arguments without the program's name. Switches may start with "/" or
// "-" and ignore case.
PanelCommand ParsePanelCommand(const std::vector<std::string>& arguments);

extern const char kPanelUsageText[];

}  // namespace vexa
