#include "service_page/restore_host_win32.h"

#include "backup/backup_names.h"
#include "backup/backup_shelf.h"
#include "backup/restore.h"
#include "config/program_directory.h"
#include "log/action_log.h"
#include "service_page/restore_dialog_win32.h"
#include "tracker/tracker_launcher.h"
#include "tracker/tracker_processes.h"
#include "ui/message_box_win32.h"

namespace vexa {

std::string RestoreServiceHost::BackupRoot() { return ProgramDirectory() + kBackupRootName; }

std::vector<BackupFolder> RestoreServiceHost::ListBackupFolders() {
  return vexa::ListBackupFolders(ProgramDirectory());
}

std::optional<BackupFolder> RestoreServiceHost::ChooseBackup() {
  CRestoreDlg dialog(ProgramDirectory());
  if (dialog.DoModal(AppMainWindow()) != IDOK) return std::nullopt;
  return dialog.Chosen();
}

bool RestoreServiceHost::ConfirmAppMessage(const std::string& text) {
  return AppConfirm(text);
}

void RestoreServiceHost::ShowAppMessage(const std::string& text, unsigned icon) {
  AppMessageBox(text, MB_OK | icon);
}

TrackerRunCheck RestoreServiceHost::CheckTrackerRuns() {
  return JudgeTrackerRun(QueryTrackerProcesses(ProgramDirectory()));
}

bool RestoreServiceHost::TakeJobLock() {
  jobLock_.emplace(ProgramDirectory());
  if (jobLock_->Held()) return true;
  jobLock_.reset();
  return false;
}

void RestoreServiceHost::ReleaseJobLock() { jobLock_.reset(); }

BackupOutcome RestoreServiceHost::BackupCurrentFiles() { return backup_.BackupBeforeRestore(); }

RestoreOutcome RestoreServiceHost::RestoreFiles(const std::string& folderPath,
                                                const std::string& preRestoreFolder) {
  const std::string& directory = ProgramDirectory();
  BackupProgress progress;
  // The copy runs beside the window, which keeps answering but takes no input.
  return RunShowingProgress(status_, CopyJob::kRestore, progress, [&] {
    return RestoreBackupFiles(directory, folderPath, preRestoreFolder, &progress);
  });
}

Status RestoreServiceHost::ReloadConfiguration() { return store_.ReloadAndRefresh(); }

void RestoreServiceHost::Log(const std::string& line) { LogAction(line); }

}  // namespace vexa
