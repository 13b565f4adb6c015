#include "service_page/service_host_win32.h"

#include "backup/backup.h"
#include "backup/backup_names.h"
#include "backup/backup_shelf.h"
#include "backup/backup_shelf_win32.h"
#include "base/path_exists.h"
#include "base/scoped_handles_win32.h"
#include "base/text_codec.h"
#include "base/wide_text.h"
#include "config/outside_change_win32.h"
#include "config/program_directory.h"
#include "log/action_log.h"
#include "resources/resource.h"
#include "service_page/admin_dialog_win32.h"
#include "tracker/console_windows_win32.h"
#include "tracker/tracker_launcher.h"
#include "ui/busy_panel_win32.h"
#include "ui/message_box_win32.h"

namespace vexa {

namespace {


const char* ConsoleEndText(ConsoleEnd end) {
  switch (end) {
    case ConsoleEnd::kWindowClosed: return "窗口已关闭";
    case ConsoleEnd::kCtrlC: return "已用 Ctrl-C 结束";
    case ConsoleEnd::kAlreadyEnded: return "已自行结束";
    case ConsoleEnd::kSharedConsole: return "与其他程序共用控制台，未发送 Ctrl-C";
    case ConsoleEnd::kStillRunning: break;
  }
  return "仍在运行";
}

// Which tracker consoles there were and how each ended.
std::string ConsoleCloseLogText(const ConsoleCloseResult& result) {
  if (!result.found) return "关闭控制台：没有运行的控制台实例";
  std::string text = "关闭控制台：";
  for (const ConsoleClosing& closing : result.closings) {
    if (&closing != &result.closings.front()) text += "；";
    text += PidText(closing.pid);
    if (!closing.title.empty()) text += " \"" + closing.title + "\"";
    text += " " + std::string(ConsoleEndText(closing.end));
  }
  return text;
}

}  // namespace

std::string ServiceHost::TrackerPath() { return TrackerExePath(ProgramDirectory()); }

bool ServiceHost::TrackerExists() { return TrackerExeExists(ProgramDirectory()); }

// The store holds vexa.cfg's ANSI bytes; the page works in UTF-8. The
// defaults here are plain ASCII, the same in both.
std::string ServiceHost::ConfigGet(const std::string& key, const std::string& defaultValue) {
  return TextFromAnsi(store_.Get(key, defaultValue));
}

Status ServiceHost::ConfigSetAndSave(const std::string& key, const std::string& value) {
  std::string ansi;
  if (!TextToAnsi(value, &ansi)) return Status::Error(NotInCodePageText(key));
  OutsideChange change = store_.CheckOutsideChange(
      [this](OutsideChangeKind kind) { return AskReloadChangedConfig(page_, kind); });
  if (!change.proceed)
    return change.status.ok ? Status::Error(kOutsideChangeNotSaved) : change.status;
  store_.Set(key, ansi);
  // The safe write flushes vexa.cfg, which waits for the disk: a third of a
  // second while a gigabyte of data is still being written out. Meanwhile
  // the window only reads the store (the status line's port).
  Status saved = RunPumping([this] { return store_.Save(); });
  // The pages show the new value, also when it could not be written: the
  // store holds it, and their next save writes it.
  store_.NotifyOutsideChange();
  return saved;
}

TrackerRun ServiceHost::RunTrackerCommand(const std::string& command) {
  switchRan_ = true;
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
    LogAction("运行 " + line + "：返回代码 " + std::to_string(run.exitCode) + took);
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

ConsoleCloseResult ServiceHost::CloseConsoleWindows() {
  const std::vector<unsigned long> pids =
      LookAtTracker(ConfigGet("port", kDefaultPort)).processes.consolePids;
  // With the handles opened when they were listed, not by id now.
  std::vector<ConsoleProcess> consoles;
  consoles.reserve(pids.size());
  for (unsigned long pid : pids) consoles.push_back({pid, StatusLine().ListedProcess(pid)});
  const std::string trackerPath = TrackerPath();
  ConsoleCloseResult result =
      RunPumping([&] { return CloseTrackerConsoles(consoles, trackerPath); });
  LogAction(ConsoleCloseLogText(result));
  return result;
}

// Through the status line's query, which knows the services' binary paths
// already: a query of its own would ask the service manager for every one.
TrackerSnapshot ServiceHost::LookAtTracker(const std::string& port) {
  const StatusRefresh how = switchRan_ ? StatusRefresh::kAfresh : StatusRefresh::kCurrent;
  switchRan_ = false;
  return StatusLine().Look(ProgramDirectory(), port, how);
}

BackupOutcome ServiceHost::BackupFiles(bool clearing) {
  return RunBackup(clearing ? BackupKind::kClearing : BackupKind::kPlain);
}

BackupOutcome ServiceHost::BackupBeforeRestore() { return RunBackup(BackupKind::kBeforeRestore); }

BackupOutcome ServiceHost::RunBackup(BackupKind kind) {
  const bool clearing = kind == BackupKind::kClearing;
  // A second panel of this directory, or the command-line backup, may be
  // copying the same files or replacing them.
  const DataJobLock lock(ProgramDirectory());
  if (!lock.Held()) {
    BackupOutcome busy;
    busy.status = Status::Error(kDataJobBusyText);
    LogAction(std::string("备份数据已拒绝：") + kDataJobBusyText);
    return busy;
  }
  const std::string& directory = ProgramDirectory();  // fixed at start-up
  const BackupTime time = LocalBackupTime();
  BackupProgress progress;
  const ULONGLONG start = GetTickCount64();
  BackupOutcome outcome =
      RunShowingProgress(status_, clearing ? CopyJob::kClearing : CopyJob::kBackup, progress,
                         [&] {
                           return vexa::BackupFiles(directory, kind, time, &progress);
                         });
  LogAction(BackupLogLine(clearing, outcome, GetTickCount64() - start));
  return outcome;
}

Status ServiceHost::ShellOpen(const std::string& target) { return vexa::ShellOpen(target); }

void ServiceHost::Sleep(unsigned milliseconds) { SleepPumping(milliseconds); }

void ServiceHost::Log(const std::string& text) { LogAction(text); }

std::optional<AdminAnswer> ServiceHost::AskAdministrator() {
  Cmyinput dialog;
  // Owned by the main window, like every box of the installation.
  dialog.DoModal(AppMainWindow());
  return dialog.Answer();
}

void ServiceHost::ShowJobStep(const std::string& text) { StatusLine().SetOverride(text); }

void ServiceHost::ShowJobEnd(const std::string& text) {
  StatusLine().SetOverride(text, GetTickCount64() + kJobEndShownMs);
}

void ServiceHost::SetInstallCaption(const std::string& caption) {
  SetDlgItemTextW(page_, IDC_SVC_ONE_CLICK, Wide(caption).c_str());
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
  return PageConfirm(page_, text, caption, icon);
}

bool ServiceHost::ConfirmAppMessage(const std::string& text) {
  return AppConfirm(text);
}

}  // namespace vexa
