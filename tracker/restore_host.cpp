#include "tracker/restore_host.h"

#include "config/program_directory.h"
#include "tracker/backup_names.h"
#include "tracker/restore.h"
#include "tracker/restore_dialog.h"
#include "tracker/system_tables.h"
#include "tracker/tracker_commands.h"
#include "tracker/tracker_launcher.h"
#include "ui/message_box.h"

namespace vexa {

std::string RestoreServiceHost::BackupRoot() { return ProgramDirectory() + kBackupRootName; }

std::vector<BackupFolder> RestoreServiceHost::ListBackupFolders() {
  return vexa::ListBackupFolders(ProgramDirectory());
}

int RestoreServiceHost::ChooseBackup(const std::vector<std::string>& entries) {
  CRestoreDlg dialog(entries);
  return dialog.DoModal(AppMainWindow()) == IDOK ? dialog.Chosen() : -1;
}

bool RestoreServiceHost::ConfirmAppMessage(const std::string& text) {
  return AppMessageBox(text, MB_OKCANCEL) == IDOK;
}

void RestoreServiceHost::ShowAppMessage(const std::string& text, unsigned icon) {
  AppMessageBox(text, MB_OK | icon);
}

TrackerRunCheck RestoreServiceHost::CheckTrackerRuns() {
  SystemTableReader reader;
  return JudgeTrackerRun(TrackerExePath(ProgramDirectory()), reader.Read(kTrackerExe, false));
}

BackupOutcome RestoreServiceHost::BackupCurrentFiles() { return backup_.BackupFiles(false); }

RestoreOutcome RestoreServiceHost::RestoreFiles(const std::string& folderPath,
                                                const std::string& preRestoreFolder) {
  return RestoreBackupFiles(ProgramDirectory(), folderPath, preRestoreFolder);
}

Status RestoreServiceHost::ReloadConfiguration() { return store_.ReloadAndRefresh(); }

void RestoreServiceHost::Log(const std::string&) {}

}  // namespace vexa
