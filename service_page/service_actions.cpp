#include "service_page/service_actions.h"

#include "backup/backup_names.h"
#include "base/text_codec.h"
#include "config/config_store.h"
#include "tracker/admin_request.h"

namespace vexa {

const char kNoConsoleText[] = "没有运行Vexa!";
const char kNoConsoleCaption[] = "提示";
const char kInstallConfirmText[] =
    "安装程序将清空并同时备份原来的数据\n您可以使用这个一键搞定所有设置\n您确认要开始安装吗?";
const char kInstallDoneText[] = "创建超级用户成功!安装完成!";
const char kInstallLeftText[] = "您已经退出安装程序!";
const char kInstallBusyCaption[] = "请耐心等待，正在初始化Vexa......";
const char kInstallFinishedCaption[] = "全自动初始化安装";
const char kInstallIdleCaption[] = "一键安装服务器";
const char kInstallStoppedText[] = "一键安装已停止：Vexa服务未能安装或启动。";
const char kRestartLog[] = "重新启动Vexa服务：关闭控制台，然后 -stop、-U、-i、-start";

std::string MissingTrackerText(const std::string& trackerPath) {
  return "找不到Vexa服务程序：\n" + trackerPath +
         "\n\n请把本程序放在vexa.exe所在的目录中运行。";
}

std::string ExitCodeNote(const std::string& command, unsigned long exitCode) {
  return "\n\n命令 \"" + command + "\" 返回了代码 " + std::to_string(exitCode) +
         "，请检查操作是否成功。";
}

std::string ConsolesNotClosedText(const std::vector<std::string>& titles) {
  std::string text = "以下控制台窗口未能关闭：";
  for (const std::string& title : titles) text += "\n" + (title.empty() ? "(无标题)" : title);
  return text;
}

namespace {

// Shows the missing-tracker error when vexa.exe is not there; true when it is.
bool TrackerPresent(TrackerHost& host) {
  if (host.TrackerExists()) return true;
  host.ShowPageMessage(MissingTrackerText(host.TrackerPath()), kServiceCaption, kIconHand);
  return false;
}

std::string Port(TrackerHost& host) { return host.ConfigGet("port", kDefaultPort); }

std::string BaseUrl(TrackerHost& host) { return TrackerBaseUrl(Port(host)); }

void ReportConsolesNotClosed(TrackerHost& host, const ConsoleCloseResult& result) {
  if (!result.notClosed.empty()) {
    host.ShowPageMessage(ConsolesNotClosedText(result.notClosed), kNoConsoleCaption,
                         kIconExclamation);
  }
}

}  // namespace

bool PortAllowsStart(TrackerHost& host) {
  const std::string port = Port(host);
  TrackerSnapshot now = host.LookAtTracker(port);
  std::string question = PortQuestionText(port, now.port, now.processes);
  return question.empty() || host.ConfirmPageMessage(question, kServerCaption, kIconExclamation);
}

void RunServiceButton(TrackerHost& host, const ServiceButton& button) {
  if (!TrackerPresent(host)) return;
  if (button.command == kStartCommand && !PortAllowsStart(host)) return;
  TrackerRun run = host.RunTrackerCommand(button.command);
  if (!run.status.ok) {
    host.ShowPageMessage(run.status.message, kServiceCaption, kIconHand);
    return;
  }
  if (run.exitCode == 0) {
    host.ShowPageMessage(button.message, kServiceCaption, button.icon);
  } else {
    host.ShowPageMessage(button.message + ExitCodeNote(button.command, run.exitCode),
                         kServiceCaption, kIconExclamation);
  }
}

void StartConsoleButton(TrackerHost& host) {
  if (!TrackerPresent(host)) return;
  if (!PortAllowsStart(host)) return;
  Status started = host.StartTrackerConsole();
  if (!started.ok) host.ShowPageMessage(started.message, kServiceCaption, kIconHand);
}

void CloseConsoleButton(TrackerHost& host) {
  if (host.LookAtTracker(Port(host)).processes.consolePids.empty()) {
    host.ShowPageMessage(kNoConsoleText, kNoConsoleCaption, kIconInformation);
    return;
  }
  ReportConsolesNotClosed(host, host.CloseConsoleWindows());
}

void OpenWebMainPage(TrackerHost& host) { host.ShellOpen(BaseUrl(host)); }

void OpenWebFileDirectory(TrackerHost& host) {
  host.ShellOpen(WebFileDirectoryUrl(BaseUrl(host), host.ConfigGet("vexa_file_dir", "file")));
}

bool BackupData(TrackerHost& host, bool clearing) {
  BackupOutcome outcome = host.BackupFiles(clearing);
  if (!outcome.status.ok) {
    host.ShowAppMessage(outcome.status.message, kIconExclamation);
    return false;
  }
  host.ShowAppMessage(BackupDoneMessage(clearing, outcome.directory, outcome.configMissing), 0);
  return true;
}

void BackupButton(TrackerHost& host) { BackupData(host, false); }

Status StopTracker(TrackerHost& host) {
  ReportConsolesNotClosed(host, host.CloseConsoleWindows());
  // Its exit code is not judged: a tracker that was not running fails to stop.
  return host.RunTrackerCommand(kStopCommand).status;
}

Status RestartTracker(TrackerHost& host, StartCheck check) {
  ReportConsolesNotClosed(host, host.CloseConsoleWindows());
  const char* const sequence[] = {kStopCommand, kRemoveCommand, kInstallCommand, kStartCommand};
  for (const char* command : sequence) {
    TrackerRun run = host.RunTrackerCommand(command);
    if (!run.status.ok) return run.status;
    const bool startStep = command == kInstallCommand || command == kStartCommand;
    if (check == StartCheck::kStopAtFailedStart && startStep && run.exitCode != 0) {
      return Status::Error(kInstallStoppedText + ExitCodeNote(command, run.exitCode));
    }
    if (command != kStartCommand) host.Sleep(kCommandPauseMs);
  }
  return Status::Ok();
}

void RestartButton(TrackerHost& host) {
  if (!TrackerPresent(host)) return;
  // The four switches log a line each; this says what they belong to.
  host.Log(kRestartLog);
  Status restarted = RestartTracker(host);
  if (!restarted.ok) host.ShowPageMessage(restarted.message, kServiceCaption, kIconHand);
}

namespace {

// Every early end of the installation: the button may be pressed again.
void InstallationStopped(TrackerHost& host, const std::string& where) {
  host.SetInstallCaption(kInstallIdleCaption);
  host.Log("一键安装：在" + where + "时停止");
}

}  // namespace

void RunOneClickInstallation(TrackerHost& host) {
  // Checked before the confirmation, so that nothing is cleared for a
  // tracker that is not there.
  if (!TrackerPresent(host)) return;
  if (!host.ConfirmAppMessage(kInstallConfirmText)) return;
  host.Log("一键安装：开始");
  host.SetInstallCaption(kInstallBusyCaption);

  Status saved = host.ConfigSetAndSave("port", kDefaultPort);
  if (!saved.ok) {
    host.ShowAppMessage(saved.message, kIconExclamation);
    return InstallationStopped(host, "保存端口");
  }
  // A running tracker holds its data files open: they cannot be cleared
  // under it, and it would write them again afterwards.
  host.Log("一键安装：停止Vexa");
  Status stopped = StopTracker(host);
  if (!stopped.ok) {
    host.ShowAppMessage(stopped.message, kIconExclamation);
    return InstallationStopped(host, "停止Vexa");
  }
  host.Log("一键安装：清空并备份数据");
  if (!BackupData(host, true)) return InstallationStopped(host, "清空数据");
  host.Log("一键安装：重新安装并启动服务");
  Status restarted = RestartTracker(host, StartCheck::kStopAtFailedStart);
  if (!restarted.ok) {
    host.ShowAppMessage(restarted.message, kIconExclamation);
    return InstallationStopped(host, "安装服务");
  }

  std::string baseUrl = BaseUrl(host);
  const std::optional<AdminAnswer> answer = host.AskAdministrator();
  // The tracker is an ANSI program: the request carries the ANSI code
  // page's bytes, as vexa.cfg does. The dialog refuses what that cannot hold.
  std::string account, password;
  if (answer && !answer->account.empty() && !answer->password.empty() &&
      TextToAnsi(answer->account, &account) && TextToAnsi(answer->password, &password)) {
    host.ShellOpen(AdminRequestUrl(baseUrl, account, password));
    host.Sleep(kCommandPauseMs);
    host.Log("一键安装：已发送创建管理员的请求");
    host.ShowAppMessage(kInstallDoneText, 0);
  } else {
    host.Log("一键安装：未创建管理员");
    host.ShowAppMessage(kInstallLeftText, 0);
  }
  host.SetInstallCaption(kInstallFinishedCaption);
  host.Log("一键安装：完成");
}

}  // namespace vexa
