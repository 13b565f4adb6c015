#pragma once
// The jobs around the tracker program: its service switches, its console,
// its web pages, the data backup, the restart and the one-click
// installation, each written as the steps the user sees.
#include <optional>
#include <string>
#include <vector>

#include "backup/backup.h"
#include "base/status.h"
#include "jobs/job_port.h"
#include "tracker/console_windows.h"
#include "tracker/status_line.h"
#include "tracker/tracker_commands.h"
#include "tracker/web_address.h"
#include "tracker/tracker_launcher.h"

namespace vexa {

extern const char kServiceCaption[];  // "Vexa后台服务"

// A service switch of vexa.exe and what is shown when the service manager
// agrees that it did its work.
struct ServiceSwitch {
  const char* command;
  const char* message;
  unsigned icon;
};
extern const ServiceSwitch kInstallSwitch;
extern const ServiceSwitch kStartSwitch;
extern const ServiceSwitch kStopSwitch;
extern const ServiceSwitch kRemoveSwitch;

extern const char kNoConsoleText[];        // "没有运行Vexa!"
extern const char kNoConsoleCaption[];     // "提示"
extern const char kInstallConfirmText[];
extern const char kInstallDoneText[];
extern const char kInstallLeftText[];
extern const char kInstallBusyCaption[];
extern const char kInstallFinishedCaption[];
extern const char kInstallIdleCaption[];   // "一键安装服务器", the template's caption
extern const char kInstallStoppedText[];
// What a one-click installation that stops after stopping the tracker adds:
// the tracker is stopped, the port is 6969, how to start it again.
extern const char kInstallLeftStoppedText[];
extern const char kRestartLog[];           // the action log's heading of a restart
extern const char kRestartedText[];        // "Vexa服务器已重启", the status line's end

// How long the one-click installation waits for the tracker to end after
// its -stop, and how often it looks.
constexpr unsigned kStopWaitMs = 5000;
constexpr unsigned kStopLookMs = 500;

constexpr unsigned kCommandPauseMs = 1000;

// How long the administrator request waits for the restarted tracker to
// listen and answer.
constexpr unsigned kAdminRequestWaitMs = 15000;

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
// Instead of "创建超级用户成功!安装完成!" when the tracker did not confirm.
std::string AdminNotCreatedText(const std::string& what, const std::string& backupDirectory,
                                const std::string& usersPage);

// Before a start: asks when another program holds the port and no tracker
// process runs; false when the user cancels.
bool PortAllowsStart(const Job& job);
bool PortAllowsStart(const Job& job, const std::string& port, const TrackerSnapshot& now);
// "启动 控制台窗口" while this directory's tracker console runs, or its
// service runs or starts (pid 0 when the system does not say).
std::string ConsoleRunningText(const std::vector<unsigned long>& pids);
std::string ServiceRunningText(unsigned long pid);
// "删除后台服务" exited 0 while the service runs: it is gone once it stops.
extern const char kRemovalPendingText[];

void RunServiceSwitch(const Job& job, const ServiceSwitch& which);
void InstallServiceJob(const Job& job);
void StartServiceJob(const Job& job);
void StopServiceJob(const Job& job);
void RemoveServiceJob(const Job& job);
void StartConsoleButton(const Job& job);
void CloseConsoleButton(const Job& job);
void OpenWebMainPage(const Job& job);
void OpenWebFileDirectory(const Job& job);

// Backs up (and in clearing mode removes) the data files, then shows the
// final message or the file error; the backup directory when it went
// through, "" when clearing found nothing to back up (and said nothing).
// afterFailure follows the error in its box.
std::optional<std::string> BackupData(const Job& job, bool clearing,
                                      const std::string& afterFailure = "");
void BackupButton(const Job& job);

// Closes the tracker's consoles and runs its -stop switch; fails when
// vexa.exe could not be started, or when a process of the tracker still
// runs a few seconds later (the service manager and the process list say).
Status StopTracker(const Job& job);

enum class StartCheck { kIgnoreExitCodes, kStopAtFailedStart };

// Closes the consoles and runs stop, remove, install, start with pauses;
// ends early when vexa.exe could not be started and, with
// kStopAtFailedStart, when -i or -start exits non-zero. A service that does
// not run after a -start exiting 0 fails it too.
Status RestartTracker(const Job& job, StartCheck check = StartCheck::kIgnoreExitCodes);
void RestartButton(const Job& job);

// Saves port 6969, stops the tracker, clears its data into a backup,
// re-creates and starts the service and asks for the administrator. Nothing
// is cleared while a tracker process runs or another program holds the
// port (the request carries the password). Every end but a completed
// installation gives button 1074 its caption "一键安装服务器" back.
void RunOneClickInstallation(const Job& job);

}  // namespace vexa
