#pragma once
// What VexaPanel.exe is asked to do by its command line: nothing given
// opens the window; "/backup [/keep N]" backs up without any window, for a
// scheduled task; "/?" shows how to call it.
#include <string>
#include <vector>

namespace vexa {

// The exit codes of a command-line run; a scheduled task shows them as its
// last result (0x0 to 0x3).
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;  // no backup was made
constexpr int kExitBadArguments = 2;
constexpr int kExitKeepIncomplete = 3;  // backed up, but /keep left old backups behind

constexpr unsigned kKeepLeast = 1;
constexpr unsigned kKeepMost = 999;

struct PanelCommand {
  enum class Kind { kWindow, kBackup, kHelp, kBadArguments };
  Kind kind = Kind::kWindow;
  unsigned keep = 0;    // with kBackup: backups to keep, 0 for all
  std::string problem;  // with kBadArguments: what was not understood
  // With kWindow: the words that are not switches, such as a file dropped
  // on the program; the panel opens without them.
  std::vector<std::string> ignored;
};

// arguments without the program's name. Switches may start with "/" or
// "-" and ignore case.
PanelCommand ParsePanelCommand(const std::vector<std::string>& arguments);

// The action log's line for a window opened with words it does not use.
std::string IgnoredArgumentsLogText(const std::vector<std::string>& ignored);

extern const char kPanelUsageText[];

}  // namespace vexa
