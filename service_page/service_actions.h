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
  // The shell's default action; the system's reason when it failed.
  virtual Status ShellOpen(const std::string& target) = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
  // Runs the administrator dialog modally; nothing when it was cancelled.
  virtual std::optional<AdminAnswer> AskAdministrator() = 0;
  virtual void SetInstallCaption(const std::string& caption) = 0;
  // The status line shows how a long job goes: a step stands until the next
  // one; the end stays a few seconds, then the line shows the tracker again.
  virtual void ShowJobStep(const std::string& text) = 0;
  virtual void ShowJobEnd(const std::string& text) = 0;
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
extern const char kRestartedText[];        // "Vexa服务器已重启", the status line's end

// How long the one-click installation waits for the tracker to end after
// its -stop, and how often it looks.
constexpr unsigned kStopWaitMs = 5000;
constexpr unsigned kStopLookMs = 500;

constexpr unsigned kCommandPauseMs = 1000;

// How long a switch's outcome is awaited while its service is starting or
// stopping.
constexpr unsigned kServiceWaitMs = 10000;

// The beginning of the warning shown when a switch exited 0 but the service
// manager shows something else.
extern const char kUnconfirmedPrefix[];  // "vexa.exe 报告成功，但"

// The error shown instead of anything else when vexa.exe is not there.
std::string MissingTrackerText(const std::string& trackerPath);
// The line added to a service message when the switch returned non-zero.
std::string ExitCodeNote(const std::string& command, unsigned long exitCode);
std::string ConsolesNotClosedText(const std::vector<std::string>& titles);
// What the service manager should show after the switch: empty when
// found agrees, else the state found, e.g. "服务仍未安装".
std::string ServiceDisagreement(const std::string& command, ServiceState found);
// The one-click installation's stop before the clearing: what of the
// tracker at trackerPath still runs, or who holds the port it needs.
std::string StillRunningText(const std::string& trackerPath, const TrackerProcesses& running);
std::string PortTakenText(const std::string& port, const PortHolder& holder);
// "您已经退出安装程序!" with where the data went and how to go on.
std::string InstallLeftText(const std::string& backupDirectory, const std::string& usersPage);
std::string RequestNotSentText(const std::string& reason, const std::string& url);

// Before a start: asks when another program holds the port and no tracker
// process runs; false when the user cancels.
bool PortAllowsStart(TrackerHost& host);
bool PortAllowsStart(TrackerHost& host, const std::string& port, const TrackerSnapshot& now);
// "启动 控制台窗口" while this directory's tracker console runs.
std::string ConsoleRunningText(const std::vector<unsigned long>& pids);

void RunServiceButton(TrackerHost& host, const ServiceButton& button);
void StartConsoleButton(TrackerHost& host);
void CloseConsoleButton(TrackerHost& host);
void OpenWebMainPage(TrackerHost& host);
void OpenWebFileDirectory(TrackerHost& host);

// Backs up (and in clearing mode removes) the data files, then shows the
// final message or the file error; the backup directory when it went
// through, "" when clearing found nothing to back up (and said nothing).
std::optional<std::string> BackupData(TrackerHost& host, bool clearing);
void BackupButton(TrackerHost& host);

// Closes the tracker's consoles and runs its -stop switch; fails when
// vexa.exe could not be started, or when a process of the tracker still
// runs a few seconds later (the service manager and the process list say).
Status StopTracker(TrackerHost& host);

enum class StartCheck { kIgnoreExitCodes, kStopAtFailedStart };

// Closes the consoles and runs stop, remove, install, start with pauses;
// ends early when vexa.exe could not be started and, with
// kStopAtFailedStart, when -i or -start exits non-zero. A service that does
// not run after a -start exiting 0 fails it too.
Status RestartTracker(TrackerHost& host, StartCheck check = StartCheck::kIgnoreExitCodes);
void RestartButton(TrackerHost& host);

// Saves port 6969, stops the tracker, clears its data into a backup,
// re-creates and starts the service and asks for the administrator. Nothing
// is cleared while a tracker process runs or another program holds the
// port (the request carries the password). Every end but a completed
// installation gives button 1074 its caption "一键安装服务器" back.
void RunOneClickInstallation(TrackerHost& host);

}  // namespace vexa
