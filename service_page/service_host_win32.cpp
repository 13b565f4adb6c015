#include "service_page/service_host_win32.h"

#include "backup/backup.h"
#include "backup/restore.h"
#include "backup/backup_names.h"
#include "backup/backup_shelf.h"
#include "backup/backup_shelf_win32.h"
#include "base/process_win32.h"
#include "base/path_exists.h"
#include "base/scoped_handles_win32.h"
#include "base/text_codec.h"
#include "base/wide_text.h"
#include "ui/outside_change_win32.h"
#include "log/action_log.h"
#include "resources/resource.h"
#include "service_page/admin_dialog_win32.h"
#include "service_page/restore_dialog_win32.h"
#include "shell/shell_open_win32.h"
#include "tracker/admin_request_win32.h"
#include "tracker/console_windows_win32.h"
#include "tracker/firewall_rules_win32.h"
#include "tracker/image_path_win32.h"
#include "tracker/service_config_win32.h"
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

std::string ServiceHost::TrackerPath() { return TrackerExePath(directory_); }

bool ServiceHost::TrackerExists() { return TrackerExeExists(directory_); }

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
  // The window keeps answering, but takes no input, while vexa.exe runs.
  wait.waitFor = [](void* handle, unsigned long ms) { return WaitPumping(handle, ms); };
  wait.keepWaiting = [&] {
    LogAction("命令 " + command + " 已运行 " + LogSeconds(wait.askAfterMs) + " 秒，询问是否继续等待");
    return AppMessageBox(KeepWaitingText(command, wait.askAfterMs / 1000),
                         MB_YESNO | MB_ICONQUESTION) == IDYES;
  };
  const ULONGLONG start = GetTickCount64();
  TrackerRun run = vexa::RunTrackerCommand(directory_, command, wait);
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
  Status started = vexa::StartTrackerConsole(directory_);
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
  return StatusLine().Look(directory_, port, how);
}

ServiceSecuring ServiceHost::SecureInstalledService() {
  const TrackerProcesses now = LookAtTracker(ConfigGet("port", kDefaultPort)).processes;
  const InstalledService service{TrackerPath(), now.serviceName, now.serviceBinaryPath,
                                 ProcessRunsElevated()};
  ServiceConfigWin32 config(service.name, true);
  FirewallWin32 firewall;
  ServiceSecuring done = SecureService(service, config, firewall, SameImageFile);
  for (const std::string& line : done.log) LogAction(line);
  StatusLine().SetSecuringNote(SecuringFailureLine(done));
  // A quoted path is a changed service: read again at the next look.
  switchRan_ = true;
  return done;
}

Status ServiceHost::RemoveFirewallRule() {
  const std::string name = TrackerFirewallRule(TrackerPath()).name;
  Status removal = Status::Error(kNeedsAdministrator);
  bool removed = false;
  if (ProcessRunsElevated()) {
    FirewallWin32 firewall;
    removal = RemoveTrackerRule(TrackerPath(), firewall, &removed, SameImageFile);
  }
  LogAction(!removal.ok ? "未能删除防火墙入站规则 " + name + "：" + removal.message
            : removed   ? "已删除防火墙入站规则：" + name
                        : "没有要删除的防火墙入站规则：" + name);
  StatusLine().SetSecuringNote("");
  return removal;
}

bool ServiceHost::TakeJobLock() {
  jobLock_.emplace(directory_);
  if (jobLock_->Held()) return true;
  jobLock_.reset();
  return false;
}

void ServiceHost::ReleaseJobLock() { jobLock_.reset(); }

BackupOutcome ServiceHost::BackupFiles(BackupKind kind) {
  BackupProgress progress;
  const CopyJob shown = kind == BackupKind::kClearing ? CopyJob::kClearing : CopyJob::kBackup;
  return RunShowingProgress(status_, shown, progress,
                            [&] { return GuardedBackup(directory_, kind, &progress); });
}

std::string ServiceHost::BackupRoot() { return directory_ + kBackupRootName; }

std::vector<BackupFolder> ServiceHost::ListBackupFolders() {
  return vexa::ListBackupFolders(directory_);
}

RestoreOutcome ServiceHost::RestoreFiles(const std::string& folderPath,
                                         const std::string& preRestoreFolder,
                                         const std::function<Status()>& beforeReplace) {
  BackupProgress progress;
  // The copy runs beside the window, which keeps answering but takes no
  // input; the last look at the tracker too.
  return RunShowingProgress(status_, CopyJob::kRestore, progress, [&] {
    return RestoreBackupFiles(directory_, folderPath, preRestoreFolder, &progress, beforeReplace);
  });
}

Status ServiceHost::ReloadConfiguration() { return store_.ReloadAndRefresh(); }

TrackerAnswer ServiceHost::SendTrackerRequest(const std::string& port, const std::string& target,
                                              unsigned waitMs) {
  unsigned number = 0;
  if (!ParsePort(port, &number)) return TrackerAnswer{TrackerAnswer::Kind::kNoListener, 0, ""};
  // The window keeps answering while the tracker starts.
  return RunPumping([&] { return vexa::SendTrackerRequest(static_cast<unsigned short>(number), target, waitMs); });
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

std::optional<BackupFolder> ServiceHost::ChooseBackup() {
  CRestoreDlg dialog(directory_);
  if (dialog.DoModal(AppMainWindow()) != IDOK) return std::nullopt;
  return dialog.Chosen();
}

void ServiceHost::ShowProgress(JobProgress where, const std::string& text) {
  switch (where) {
    case JobProgress::kStep: StatusLine().SetOverride(text); break;
    case JobProgress::kEnd: StatusLine().SetOverride(text, GetTickCount64() + kJobEndShownMs); break;
    case JobProgress::kInstallButton:
      SetDlgItemTextW(page_, IDC_SVC_ONE_CLICK, Wide(text).c_str());
      break;
  }
}

void ServiceHost::Tell(const std::string& text, const std::string& caption, unsigned icon) {
  if (caption.empty()) {
    AppMessageBox(text, MB_OK | icon);
  } else {
    PageMessageBox(page_, text, caption, MB_OK | icon);
  }
}

bool ServiceHost::Ask(const std::string& text, const std::string& caption, unsigned icon) {
  return caption.empty() ? AppConfirm(text) : PageConfirm(page_, text, caption, icon);
}

}  // namespace vexa
