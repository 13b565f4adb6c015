#pragma once
// The restore on the real system: the backup folders of ProgramDirectory,
// the dialog "恢复备份", the application's boxes, the tracker's processes,
// the backup button's copy, the store and the pages.
#include <windows.h>

#include <optional>

#include "backup/backup_shelf_win32.h"
#include "backup/restore_plan.h"
#include "config/config_store.h"
#include "service_page/service_host_win32.h"
#include "service_page/status_control_win32.h"

namespace vexa {

class RestoreServiceHost : public RestoreHost {
 public:
  // backup: the service page's host, whose backup the restore makes first;
  // status: the page's status line, for the progress of the copy.
  RestoreServiceHost(ConfigStore& store, ServiceHost& backup, CServiceStatus* status)
      : store_(store), backup_(backup), status_(status) {}

  std::string BackupRoot() override;
  std::vector<BackupFolder> ListBackupFolders() override;
  std::optional<BackupFolder> ChooseBackup() override;
  bool ConfirmAppMessage(const std::string& text) override;
  void ShowAppMessage(const std::string& text, unsigned icon) override;
  TrackerRunCheck CheckTrackerRuns() override;
  bool TakeJobLock() override;
  void ReleaseJobLock() override;
  BackupOutcome BackupCurrentFiles() override;
  RestoreOutcome RestoreFiles(const std::string& folderPath,
                              const std::string& preRestoreFolder) override;
  Status ReloadConfiguration() override;
  void Log(const std::string& line) override;

 private:
  ConfigStore& store_;
  ServiceHost& backup_;
  CServiceStatus* status_;
  // From the backup before the restore to the end of its copy.
  std::optional<DataJobLock> jobLock_;
};

}  // namespace vexa
