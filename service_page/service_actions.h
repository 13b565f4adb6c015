#pragma once
// What the buttons of the service page do, written against the few things
// they need from the system, so that their order can be followed exactly.
#include <optional>
#include <string>
#include <vector>

#include "backup/backup.h"
#include "base/status.h"
#include "tracker/console_windows.h"
#include "tracker/status_line.h"
#include "tracker/tracker_commands.h"
#include "tracker/tracker_launcher.h"

namespace vexa {

// The administrator dialog's answer, both values exactly as typed.
struct AdminAnswer {
  std::string account;
  std::string password;
};

class TrackerHost {
 public:
  virtual ~TrackerHost() = default;

  virtual std::string TrackerPath() = 0;  // ProgramDirectory + "vexa.exe"
  virtual bool TrackerExists() = 0;
  virtual std::string ConfigGet(const std::string& key, const std::string& defaultValue) = 0;
  virtual Status ConfigSetAndSave(const std::string& key, const std::string& value) = 0;

  virtual TrackerRun RunTrackerCommand(const std::string& command) = 0;
  virtual Status StartTrackerConsole() = 0;
  // Ends the console instances of this directory's tracker alone; other
  // programs' consoles are never touched.
  virtual ConsoleCloseResult CloseConsoleWindows() = 0;
  // Which tracker processes run and who holds the port, read now.
  virtual TrackerSnapshot LookAtTracker(const std::string& port) = 0;
  virtual BackupOutcome BackupFiles(bool clearing) = 0;
  virtual void ShellOpen(const std::string& target) = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
  // Runs the administrator dialog modally; nothing when it was cancelled.
  virtual std::optional<AdminAnswer> AskAdministrator() = 0;
  virtual void SetInstallCaption(const std::string& caption) = 0;
  // One event for the action log.
  virtual void Log(const std::string& text) = 0;

  // A box of the page with its own caption and icon.
  virtual void ShowPageMessage(const std::string& text, const std::string& caption,
                               unsigned icon) = 0;
  // The application's box (its title as caption, OK); icon 0 gets the warning icon.
  virtual void ShowAppMessage(const std::string& text, unsigned icon) = 0;
  // A page box with OK and Cancel; true for OK.
  virtual bool ConfirmPageMessage(const std::string& text, const std::string& caption,
                                  unsigned icon) = 0;
  // The application's OK/Cancel box; true for OK.
  virtual bool ConfirmAppMessage(const std::string& text) = 0;
};

extern const char kNoConsoleText[];        // "没有运行Vexa!"
extern const char kNoConsoleCaption[];     // "提示"
extern const char kInstallConfirmText[];
extern const char kInstallDoneText[];
extern const char kInstallLeftText[];
extern const char kInstallBusyCaption[];
extern const char kInstallFinishedCaption[];
extern const char kInstallIdleCaption[];   // "一键安装服务器", the template's caption
extern const char kInstallStoppedText[];
extern const char kRestartLog[];           // the action log's heading of a restart

constexpr unsigned kCommandPauseMs = 1000;

// The error shown instead of anything else when vexa.exe is not there.
std::string MissingTrackerText(const std::string& trackerPath);
// The line added to a service message when the switch returned non-zero.
std::string ExitCodeNote(const std::string& command, unsigned long exitCode);
std::string ConsolesNotClosedText(const std::vector<std::string>& titles);

// Before a start: asks when another program holds the port and no tracker
// process runs; false when the user cancels.
bool PortAllowsStart(TrackerHost& host);

void RunServiceButton(TrackerHost& host, const ServiceButton& button);
void StartConsoleButton(TrackerHost& host);
void CloseConsoleButton(TrackerHost& host);
void OpenWebMainPage(TrackerHost& host);
void OpenWebFileDirectory(TrackerHost& host);

// Backs up (and in clearing mode removes) the data files, then shows the
// final message or the file error; true when it went through.
bool BackupData(TrackerHost& host, bool clearing);
void BackupButton(TrackerHost& host);

// Closes the tracker's consoles and runs its -stop switch; fails only when
// vexa.exe could not be started.
Status StopTracker(TrackerHost& host);

enum class StartCheck { kIgnoreExitCodes, kStopAtFailedStart };

// Closes the consoles and runs stop, remove, install, start with pauses;
// ends early when vexa.exe could not be started and, with
// kStopAtFailedStart, when -i or -start exits non-zero.
Status RestartTracker(TrackerHost& host, StartCheck check = StartCheck::kIgnoreExitCodes);
void RestartButton(TrackerHost& host);

// Saves port 6969, stops the tracker, clears its data into a backup,
// re-creates and starts the service and asks for the administrator. Every
// early end gives button 1074 its caption "一键安装服务器" back.
void RunOneClickInstallation(TrackerHost& host);

}  // namespace vexa
