#pragma once
// The tracker's command texts: its switches, its quoted command line and
// the questions while one runs.
#include <string>

namespace vexa {

extern const char kTrackerExe[];  // "vexa.exe"
extern const char kInstallCommand[];
extern const char kStartCommand[];
extern const char kStopCommand[];
extern const char kRemoveCommand[];

// The program's path quoted as one argument, so that blanks and & ^ % ( )
// in it stay part of the path, then a blank and the arguments if any.
std::string QuotedCommandLine(const std::string& path, const std::string& arguments);

// The command switch alone, e.g. "-i" of "vexa.exe -i".
std::string CommandSwitch(const std::string& command);

// The question after a switch has run for a minute, and the answer to "No".
std::string KeepWaitingText(const std::string& command, unsigned seconds);
std::string WaitGivenUpText(const std::string& command);

}  // namespace vexa
