#include "tracker/service_host.h"

#include "config/program_directory.h"
#include "resources/resource.h"
#include "tracker/admin_account.h"
#include "tracker/admin_dialog.h"
#include "tracker/backup.h"
#include "tracker/console_windows.h"
#include "tracker/tracker_launcher.h"
#include "ui/message_box.h"

namespace vexa {

std::string ServiceHost::TrackerPath() { return TrackerExePath(ProgramDirectory()); }

bool ServiceHost::TrackerExists() { return TrackerExeExists(ProgramDirectory()); }

std::string ServiceHost::ConfigGet(const std::string& key, const std::string& defaultValue) {
  return store_.Get(key, defaultValue);
}

Status ServiceHost::ConfigSetAndSave(const std::string& key, const std::string& value) {
  OutsideChange change = store_.CheckOutsideChange([this] {
    return PageMessageBox(page_, kOutsideChangeQuestion, kOutsideChangeCaption,
                          MB_YESNO | MB_ICONWARNING) == IDYES;
  });
  if (!change.proceed)
    return change.status.ok ? Status::Error(kOutsideChangeNotSaved) : change.status;
  store_.Set(key, value);
  Status saved = store_.Save();
  // The pages show the new value, also when it could not be written: the
  // store holds it, and their next save writes it.
  store_.NotifyOutsideChange();
  return saved;
}

TrackerRun ServiceHost::RunTrackerCommand(const std::string& command) {
  return vexa::RunTrackerCommand(ProgramDirectory(), command);
}

Status ServiceHost::StartTrackerConsole() { return vexa::StartTrackerConsole(ProgramDirectory()); }

bool ServiceHost::ConsoleWindowExists() {
  return !QueryTrackerProcesses(ProgramDirectory()).consolePids.empty();
}

ConsoleCloseResult ServiceHost::CloseConsoleWindows() {
  return CloseTrackerConsoles(QueryTrackerProcesses(ProgramDirectory()).consolePids);
}

TrackerSnapshot ServiceHost::LookAtTracker(const std::string& port) {
  return (status_ ? *status_ : ownStatus_).Look(ProgramDirectory(), port);
}

BackupOutcome ServiceHost::BackupFiles(bool clearing) {
  return vexa::BackupFiles(ProgramDirectory(), clearing, LocalBackupTime());
}

void ServiceHost::ShellOpen(const std::string& target) { vexa::ShellOpen(target); }

void ServiceHost::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

void ServiceHost::AskAdministrator() {
  Cmyinput dialog;
  // Owned by the main window, like every box of the installation.
  // A dialog that never showed must not leave the last installation's answer.
  if (dialog.DoModal(AppMainWindow()) == -1) CancelAdminInput();
}

void ServiceHost::SetInstallCaption(const std::string& caption) {
  SetDlgItemTextA(page_, IDC_SVC_ONE_CLICK, caption.c_str());
}

void ServiceHost::ShowPageMessage(const std::string& text, const std::string& caption,
                                  unsigned icon) {
  PageMessageBox(page_, text, caption, MB_OK | icon);
}

void ServiceHost::ShowAppMessage(const std::string& text, unsigned icon) {
  AppMessageBox(text, MB_OK | icon);
}

bool ServiceHost::ConfirmPageMessage(const std::string& text, const std::string& caption,
                                     unsigned icon) {
  return PageMessageBox(page_, text, caption, MB_OKCANCEL | icon) == IDOK;
}

bool ServiceHost::ConfirmAppMessage(const std::string& text) {
  return AppMessageBox(text, MB_OKCANCEL) == IDOK;
}

}  // namespace vexa
