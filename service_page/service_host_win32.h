#pragma once
// The service page's jobs on the real system: vexa.exe in the program
// directory, the configuration store, the tracker's processes and console
// windows, the backups, the shell, and the page's and the application's
// boxes, dialogs and status line.
#include <windows.h>

#include <optional>
#include <string>

#include "backup/backup_shelf_win32.h"
#include "config/config_store.h"
#include "jobs/job_port.h"
#include "service_page/status_control_win32.h"

namespace vexa {

class ServiceHost : public JobPort, public JobSystem {
 public:
  // status: the page's status line, whose reader also answers LookAtTracker.
  ServiceHost(HWND page, std::string programDirectory, ConfigStore& store,
              CServiceStatus* status = nullptr)
      : page_(page), directory_(std::move(programDirectory)), store_(store), status_(status) {}

  Job AsJob() { return {*this, *this}; }

  // JobPort
  void Tell(const std::string& text, const std::string& caption, unsigned icon) override;
  bool Ask(const std::string& text, const std::string& caption, unsigned icon) override;
  void ShowProgress(JobProgress where, const std::string& text) override;
  std::optional<BackupFolder> ChooseBackup() override;
  std::optional<AdminAnswer> AskAdministrator() override;

  // JobSystem
  std::string TrackerPath() override;
  bool TrackerExists() override;
  std::string ConfigGet(const std::string& key, const std::string& defaultValue) override;
  Status ConfigSetAndSave(const std::string& key, const std::string& value) override;
  Status ReloadConfiguration() override;
  TrackerRun RunTrackerCommand(const std::string& command) override;
  Status StartTrackerConsole() override;
  ConsoleCloseResult CloseConsoleWindows() override;
  TrackerSnapshot LookAtTracker(const std::string& port) override;
  ServiceSecuring SecureInstalledService() override;
  Status RemoveFirewallRule() override;
  bool TakeJobLock() override;
  void ReleaseJobLock() override;
  BackupOutcome BackupFiles(BackupKind kind) override;
  std::string BackupRoot() override;
  std::vector<BackupFolder> ListBackupFolders() override;
  RestoreOutcome RestoreFiles(const std::string& folderPath, const std::string& preRestoreFolder,
                              const std::function<Status()>& beforeReplace) override;
  TrackerAnswer SendTrackerRequest(const std::string& port, const std::string& target,
                                   unsigned waitMs) override;
  Status ShellOpen(const std::string& target) override;
  void Sleep(unsigned milliseconds) override;
  void Log(const std::string& text) override;

 private:
  CServiceStatus& StatusLine() { return status_ ? *status_ : ownStatus_; }

  HWND page_;
  std::string directory_;
  ConfigStore& store_;
  CServiceStatus* status_;
  CServiceStatus ownStatus_;  // without a page's line: a reader of its own
  bool switchRan_ = false;    // since the last look: it may have added a service
  // Held by a job from TakeJobLock to ReleaseJobLock.
  std::optional<DataJobLock> jobLock_;
};

}  // namespace vexa
