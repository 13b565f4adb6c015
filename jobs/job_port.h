#pragma once
// How a job speaks to the user, and what it needs of the system: two small
// interfaces, so that every job reads as its steps and one recording double
// serves every job's tests.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup.h"
#include "backup/restore_plan.h"
#include "base/status.h"
#include "tracker/admin_request.h"
#include "tracker/console_windows.h"
#include "tracker/service_safety.h"
#include "tracker/status_line.h"
#include "tracker/tracker_launcher.h"
#include "ui/message_box_flags.h"

namespace vexa {

// The administrator dialog's answer, both values exactly as typed.
struct AdminAnswer {
  std::string account;
  std::string password;
};

// Where a long job shows how it goes: a step stands in the status line until
// the next one; the end stays a few seconds, then the line shows the tracker
// again; the one-click installation also names its state on its button.
enum class JobProgress { kStep, kEnd, kInstallButton };

// The user: ask, tell, show progress, choose.
class JobPort {
 public:
  virtual ~JobPort() = default;
  // A box with OK. An empty caption is the application's box (its title,
  // owned by the main window; icon 0 gets the warning icon), any other a
  // page's box with that caption and icon.
  virtual void Tell(const std::string& text, const std::string& caption, unsigned icon) = 0;
  // The same with OK and Cancel, Cancel the default button; true for OK.
  virtual bool Ask(const std::string& text, const std::string& caption, unsigned icon) = 0;
  virtual void ShowProgress(JobProgress where, const std::string& text) = 0;
  // The dialog "恢复备份", where the user may also delete backups; nothing
  // for Cancel.
  virtual std::optional<BackupFolder> ChooseBackup() = 0;
  // The administrator dialog; nothing when it was cancelled.
  virtual std::optional<AdminAnswer> AskAdministrator() = 0;
};

// The program directory's tracker, files and settings, as a job sees them.
class JobSystem {
 public:
  virtual ~JobSystem() = default;

  virtual std::string TrackerPath() = 0;  // the program directory + "vexa.exe"
  virtual bool TrackerExists() = 0;
  virtual std::string ConfigGet(const std::string& key, const std::string& defaultValue) = 0;
  // Stores and saves one setting, asking first when another program
  // changed vexa.cfg; the pages show the new value.
  virtual Status ConfigSetAndSave(const std::string& key, const std::string& value) = 0;
  // Reads vexa.cfg again into the store and shows it on every page; the
  // reason when it could not be read (the store then stays as it was).
  virtual Status ReloadConfiguration() = 0;

  virtual TrackerRun RunTrackerCommand(const std::string& command) = 0;
  virtual Status StartTrackerConsole() = 0;
  // Ends the console instances of this directory's tracker alone; other
  // programs' consoles are never touched.
  virtual ConsoleCloseResult CloseConsoleWindows() = 0;
  // Which tracker processes run and who holds the port, read now.
  virtual TrackerSnapshot LookAtTracker(const std::string& port) = 0;
  // After an installation: quotes the service's path, sets its recovery
  // and lets vexa.exe through the firewall; each step's outcome, logged.
  virtual ServiceSecuring SecureInstalledService() = 0;
  // Removes the firewall rule the panel made for vexa.exe, no other; logged.
  virtual Status RemoveFirewallRule() = 0;

  // The lock that keeps other panels and the command-line backup out while
  // files are copied; false when another one holds it.
  virtual bool TakeJobLock() = 0;
  virtual void ReleaseJobLock() = 0;
  // A backup into a new time-stamped folder under the job lock, logged.
  virtual BackupOutcome BackupFiles(BackupKind kind) = 0;
  // The backup root with a backslash: the program directory + "备份\".
  virtual std::string BackupRoot() = 0;
  virtual std::vector<BackupFolder> ListBackupFolders() = 0;
  // Copies folderPath's files over the live ones; beforeReplace is asked
  // right before the first live file is replaced, and false stops the
  // restore with every live file as it was.
  virtual RestoreOutcome RestoreFiles(const std::string& folderPath,
                                      const std::string& preRestoreFolder,
                                      const std::function<Status()>& beforeReplace) = 0;

  // GET target from the tracker's web interface on this machine's port
  // (a checked port number), waiting up to waitMs for it to listen.
  virtual TrackerAnswer SendTrackerRequest(const std::string& port, const std::string& target,
                                           unsigned waitMs) = 0;
  // The shell's default action, with the logged-on user's rights even
  // when the panel runs elevated; the system's reason when it failed.
  virtual Status ShellOpen(const std::string& target) = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
  // One event for the action log.
  virtual void Log(const std::string& text) = 0;
};

// What every job is given.
struct Job {
  JobPort& port;
  JobSystem& system;
};

}  // namespace vexa
