#pragma once
// The service page's jobs on the real system: vexa.exe in ProgramDirectory,
// the configuration store, the desktop's console windows, the file system,
// the shell, and the page's and the application's message boxes.
#include <windows.h>

#include "config/config_store.h"
#include "service_page/service_actions.h"
#include "service_page/status_control_win32.h"

namespace vexa {

class ServiceHost : public TrackerHost {
 public:
  // status: the page's status line, whose reader also answers LookAtTracker.
  ServiceHost(HWND page, ConfigStore& store, CServiceStatus* status = nullptr)
      : page_(page), store_(store), status_(status) {}

  std::string TrackerPath() override;
  bool TrackerExists() override;
  std::string ConfigGet(const std::string& key, const std::string& defaultValue) override;
  Status ConfigSetAndSave(const std::string& key, const std::string& value) override;
  TrackerRun RunTrackerCommand(const std::string& command) override;
  Status StartTrackerConsole() override;
  ConsoleCloseResult CloseConsoleWindows() override;
  TrackerSnapshot LookAtTracker(const std::string& port) override;
  BackupOutcome BackupFiles(bool clearing) override;
  // The plain backup, marked as the one a restore made of what it replaces.
  BackupOutcome BackupBeforeRestore();
  Status ShellOpen(const std::string& target) override;
  void Sleep(unsigned milliseconds) override;
  std::optional<AdminAnswer> AskAdministrator() override;
  void SetInstallCaption(const std::string& caption) override;
  void ShowJobStep(const std::string& text) override;
  void ShowJobEnd(const std::string& text) override;
  void Log(const std::string& text) override;
  void ShowPageMessage(const std::string& text, const std::string& caption,
                       unsigned icon) override;
  void ShowAppMessage(const std::string& text, unsigned icon) override;
  bool ConfirmPageMessage(const std::string& text, const std::string& caption,
                          unsigned icon) override;
  bool ConfirmAppMessage(const std::string& text) override;

 private:
  BackupOutcome RunBackup(BackupKind kind);
  CServiceStatus& StatusLine() { return status_ ? *status_ : ownStatus_; }

  HWND page_;
  ConfigStore& store_;
  CServiceStatus* status_;
  CServiceStatus ownStatus_;  // without a page's line: a reader of its own
  bool switchRan_ = false;    // since the last look: it may have added a service
};

}  // namespace vexa
