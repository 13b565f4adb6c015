#include "tracker/service_host.h"

#include <cstdio>

#include "config/program_directory.h"
#include "log/action_log.h"
#include "tracker/admin_account.h"
#include "tracker/admin_dialog.h"
#include "tracker/backup.h"
#include "tracker/busy_panel.h"
#include "tracker/console_windows.h"
#include "tracker/tracker_launcher.h"
#include "ui/message_box.h"

namespace vexa {

namespace {

constexpr int kOneClickButtonId = 1074;
constexpr int kStatusLineId = 1090;
// Short backups finish before a progress line could be read.
constexpr ULONGLONG kProgressAfterMs = 1000;

std::string QuotedCommandLine(const std::string& path, const std::string& arguments) {
  std::string line = "\"" + path + "\"";
  if (!arguments.empty()) line += " " + arguments;
  return line;
}

std::string ExitCodeText(unsigned long code) {
  char text[32];
  std::snprintf(text, sizeof text, "%lu", code);
  return text;
}

std::string ConsoleCloseLogText(const ConsoleCloseResult& result) {
  if (!result.found) return "关闭控制台：没有找到控制台窗口";
  if (result.notClosed.empty()) return "关闭控制台：全部已关闭";
  std::string text = "关闭控制台：未能关闭";
  for (const std::string& title : result.notClosed) text += " \"" + title + "\"";
  return text;
}

}  // namespace

std::string ServiceHost::TrackerPath() { return TrackerExePath(ProgramDirectory()); }

bool ServiceHost::TrackerExists() { return TrackerExeExists(ProgramDirectory()); }

std::string ServiceHost::ConfigGet(const std::string& key, const std::string& defaultValue) {
  return store_.Get(key, defaultValue);
}

Status ServiceHost::ConfigSetAndSave(const std::string& key, const std::string& value) {
  store_.Set(key, value);
  return store_.Save();
}

TrackerRun ServiceHost::RunTrackerCommand(const std::string& command) {
  CommandWait wait;
  wait.keepWaiting = [&] {
    LogAction("命令 " + command + " 已运行 " + LogSeconds(wait.askAfterMs) + " 秒，询问是否继续等待");
    return AppMessageBox(KeepWaitingText(command, wait.askAfterMs / 1000),
                         MB_YESNO | MB_ICONQUESTION) == IDYES;
  };
  const ULONGLONG start = GetTickCount64();
  TrackerRun run = vexa::RunTrackerCommand(ProgramDirectory(), command, wait);
  const std::string line = QuotedCommandLine(TrackerPath(), CommandSwitch(command));
  const std::string took = "，用时 " + LogSeconds(GetTickCount64() - start) + " 秒";
  if (run.status.ok) {
    LogAction("运行 " + line + "：返回代码 " + ExitCodeText(run.exitCode) + took);
  } else {
    LogAction("运行 " + line + "：" + run.status.message + took);
  }
  return run;
}

Status ServiceHost::StartTrackerConsole() {
  Status started = vexa::StartTrackerConsole(ProgramDirectory());
  LogAction("在控制台中启动 " + QuotedCommandLine(TrackerPath(), "") + "：" +
            (started.ok ? std::string("已启动") : started.message));
  return started;
}

bool ServiceHost::ConsoleWindowExists() { return vexa::ConsoleWindowExists(); }

ConsoleCloseResult ServiceHost::CloseConsoleWindows() {
  ConsoleCloseResult result = RunPumping([] { return vexa::CloseConsoleWindows(); });
  LogAction(ConsoleCloseLogText(result));
  return result;
}

BackupOutcome ServiceHost::BackupFiles(bool clearing) {
  const std::string directory = ProgramDirectory();
  const BackupTime time = LocalBackupTime();
  BackupProgress progress;
  const ULONGLONG start = GetTickCount64();
  bool shown = false;
  BackupOutcome outcome = RunPumping(
      [&] { return vexa::BackupFiles(directory, clearing, time, &progress); },
      [&] {
        if (GetTickCount64() - start < kProgressAfterMs) return;
        ShowProgress(BackupProgressText(clearing, progress.filesDone, progress.filesTotal,
                                        progress.bytesDone, progress.bytesTotal));
        shown = true;
      });
  if (shown) ShowProgress("");
  LogAction(BackupLogText(clearing, outcome.directory, outcome.files, outcome.bytes,
                          outcome.status.ok ? "" : outcome.status.message) +
            "，用时 " + LogSeconds(GetTickCount64() - start) + " 秒");
  return outcome;
}

void ServiceHost::ShellOpen(const std::string& target) { vexa::ShellOpen(target); }

void ServiceHost::Sleep(unsigned milliseconds) { SleepPumping(milliseconds); }

void ServiceHost::Log(const std::string& text) { LogAction(text); }

void ServiceHost::ShowProgress(const std::string& text) {
  SetDlgItemTextA(page_, kStatusLineId, text.c_str());
}

void ServiceHost::AskAdministrator() {
  Cmyinput dialog;
  // Owned by the main window, like every box of the installation.
  // A dialog that never showed must not leave the last installation's answer.
  if (dialog.DoModal(AppMainWindow()) == -1) CancelAdminInput();
}

void ServiceHost::SetInstallCaption(const std::string& caption) {
  SetDlgItemTextA(page_, kOneClickButtonId, caption.c_str());
}

void ServiceHost::ShowPageMessage(const std::string& text, const std::string& caption,
                                  unsigned icon) {
  PageMessageBox(page_, text, caption, MB_OK | icon);
}

void ServiceHost::ShowAppMessage(const std::string& text, unsigned icon) {
  AppMessageBox(text, MB_OK | icon);
}

bool ServiceHost::ConfirmAppMessage(const std::string& text) {
  return AppMessageBox(text, MB_OKCANCEL) == IDOK;
}

}  // namespace vexa
