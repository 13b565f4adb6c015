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
const char kRestartedText[] = "Vexa服务器已重启";
const char kUnconfirmedPrefix[] = "vexa.exe 报告成功，但";
const char kRestartLog[] = "重新启动Vexa服务：关闭控制台，然后 -stop、-U、-i、-start";

std::string MissingTrackerText(const std::string& trackerPath) {
  return "找不到Vexa服务程序：\n" + trackerPath +
         "\n\n请把本程序放在vexa.exe所在的目录中运行。";
}

std::string ExitCodeNote(const std::string& command, unsigned long exitCode) {
  return "\n\n命令 \"" + command + "\" 返回了代码 " + std::to_string(exitCode) +
         "，请检查操作是否成功。";
}

std::string ServiceDisagreement(const std::string& command, ServiceState found) {
  using State = ServiceState;
  if (command == kInstallCommand) return found == State::kNotInstalled ? "服务仍未安装" : "";
  if (command == kRemoveCommand) return found == State::kNotInstalled ? "" : "服务仍未删除";
  if (command == kStopCommand) {
    // A service that is not there does not run either.
    return found == State::kRunning        ? "服务仍在运行"
           : found == State::kStopPending  ? "服务仍在停止"
           : found == State::kStartPending ? "服务正在启动"
                                           : "";
  }
  switch (found) {
    case State::kNotInstalled: return "服务未安装";
    case State::kStopped: return "服务没有运行";
    case State::kStartPending: return "服务仍在启动";
    case State::kStopPending: return "服务正在停止";
    case State::kRunning: break;
  }
  return "";
}

std::string ConsolesNotClosedText(const std::vector<std::string>& titles) {
  std::string text = "以下控制台窗口未能关闭：";
  for (const std::string& title : titles) text += "\n" + (title.empty() ? "(无标题)" : title);
  return text;
}

std::string StillRunningText(const std::string& trackerPath, const TrackerProcesses& running) {
  std::string text = "一键安装已停止，数据没有清空：Vexa服务器仍在运行。";
  if (running.servicePid != 0) {
    text += "\n服务 " + trackerPath + " (" + PidText(running.servicePid) + ")";
  } else if (running.serviceState != ServiceState::kNotInstalled &&
             running.serviceState != ServiceState::kStopped) {
    text += "\n" + ServiceSegment(running) + " " + trackerPath;
  }
  for (unsigned long pid : running.consolePids) {
    text += "\n控制台 " + trackerPath + " (" + PidText(pid) + ")";
  }
  if (!running.processesRead) text += "\n无法读取正在运行的进程列表。";
  for (const ProcessEntry& process : running.pathsUnread) {
    text += "\n无法读取 " + process.exeName + " (" + PidText(process.pid) + ") 的程序路径，它可能是本目录的Vexa服务器。";
  }
  return text + "\n\n请先结束它们，再重新安装。";
}

std::string PortTakenText(const std::string& port, const PortHolder& holder) {
  return "一键安装已停止，数据没有清空：端口 " + port + " 已被其他程序占用：" +
         PortHolderText(holder) +
         "。\n创建管理员的请求含有密码，不能发给其他程序。请先关闭该程序，再重新安装。";
}

std::string InstallLeftText(const std::string& backupDirectory, const std::string& usersPage) {
  const std::string kept =
      backupDirectory.empty() ? "Vexa服务已重新安装（程序目录中原来没有配置与数据文件，无需备份）。"
                              : "Vexa服务已重新安装，原来的配置与数据文件已备份到：\n" + backupDirectory;
  return std::string(kInstallLeftText) + "\n\n" + kept + "\n\n以后可以在浏览器中打开 " +
         usersPage + " 创建管理员。";
}

std::string RequestNotSentText(const std::string& reason, const std::string& url) {
  return "创建管理员的请求未能发送：" + reason + "\n\n请在浏览器中打开以下地址创建管理员：\n" + url;
}

namespace {

// Shows the missing-tracker error when vexa.exe is not there; true when it is.
bool TrackerPresent(TrackerHost& host) {
  if (host.TrackerExists()) return true;
  host.ShowPageMessage(MissingTrackerText(host.TrackerPath()), kServiceCaption, kIconHand);
  return false;
}

std::string Port(TrackerHost& host) { return host.ConfigGet("port", kDefaultPort); }

// The base address for the configured port; nothing when the port is no
// number from 1 to 65535 (it would put another host or a quote into it).
std::optional<std::string> CheckedBaseUrl(const std::string& port) {
  unsigned number = 0;
  if (!ParsePort(port, &number)) return std::nullopt;
  return TrackerBaseUrl(std::to_string(number));
}

std::optional<std::string> WebBaseUrl(TrackerHost& host) {
  const std::string port = Port(host);
  std::optional<std::string> base = CheckedBaseUrl(port);
  if (!base) host.ShowPageMessage(InvalidPortText(port), kServerCaption, kIconHand);
  return base;
}

void OpenWebPage(TrackerHost& host, const std::string& url) {
  const Status opened = host.ShellOpen(url);
  if (!opened.ok) {
    host.ShowPageMessage("无法打开 " + url + "：\n" + opened.message, kServerCaption, kIconHand);
  }
}

// Whatever of the tracker still runs, or might: its data cannot be cleared.
bool TrackerMayRun(const TrackerProcesses& tracker) {
  return tracker.AnyRunning() || !tracker.processesRead || !tracker.pathsUnread.empty() ||
         (tracker.serviceState != ServiceState::kNotInstalled &&
          tracker.serviceState != ServiceState::kStopped);
}

// Looks at the tracker again every kStopLookMs while waitFor holds, for
// at most maxMs; what it saw last.
template <typename Predicate>
TrackerProcesses LookWhile(TrackerHost& host, unsigned maxMs, Predicate waitFor) {
  TrackerProcesses now = host.LookAtTracker(Port(host)).processes;
  for (unsigned waited = 0; waitFor(now) && waited < maxMs; waited += kStopLookMs) {
    host.Sleep(kStopLookMs);
    now = host.LookAtTracker(Port(host)).processes;
  }
  return now;
}

// After a switch exited 0 the service manager has the last word; a service
// on its way is given time. The state found when it disagrees, else empty.
std::string UnconfirmedState(TrackerHost& host, const std::string& command) {
  const TrackerProcesses now = LookWhile(host, kServiceWaitMs, [&](const TrackerProcesses& p) {
    const bool pending =
        p.serviceState == ServiceState::kStartPending || p.serviceState == ServiceState::kStopPending;
    return pending && !ServiceDisagreement(command, p.serviceState).empty();
  });
  return ServiceDisagreement(command, now.serviceState);
}

std::string UnconfirmedText(const std::string& found) {
  return kUnconfirmedPrefix + found + "。";
}

void ReportConsolesNotClosed(TrackerHost& host, const ConsoleCloseResult& result) {
  if (!result.notClosed.empty()) {
    host.ShowPageMessage(ConsolesNotClosedText(result.notClosed), kNoConsoleCaption,
                         kIconExclamation);
  }
}

}  // namespace

bool PortAllowsStart(TrackerHost& host) {
  const std::string port = Port(host);
  return PortAllowsStart(host, port, host.LookAtTracker(port));
}

bool PortAllowsStart(TrackerHost& host, const std::string& port, const TrackerSnapshot& now) {
  std::string question = PortQuestionText(port, now.port, now.processes);
  if (question.empty()) return true;
  const bool start = host.ConfirmPageMessage(question, kServerCaption, kIconExclamation);
  host.Log("端口 " + port + " 被 " + PortHolderText(now.port) + " 占用，询问是否仍要启动：" +
           (start ? "仍要启动" : "取消"));
  return start;
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
    const std::string found = UnconfirmedState(host, button.command);
    if (found.empty()) {
      host.ShowPageMessage(button.message, kServiceCaption, button.icon);
    } else {
      host.ShowPageMessage(UnconfirmedText(found), kServiceCaption, kIconExclamation);
    }
  } else {
    host.ShowPageMessage(button.message + ExitCodeNote(button.command, run.exitCode),
                         kServiceCaption, kIconExclamation);
  }
}

std::string ConsoleRunningText(const std::vector<unsigned long>& pids) {
  std::string list;
  for (unsigned long pid : pids) list += (list.empty() ? "" : ", ") + std::to_string(pid);
  return "Vexa控制台已在运行（PID " + list + "）。\n"
         "不再启动第二个：它无法在同一个端口上监听。";
}

void StartConsoleButton(TrackerHost& host) {
  if (!TrackerPresent(host)) return;
  const std::string port = Port(host);
  const TrackerSnapshot now = host.LookAtTracker(port);
  if (!now.processes.consolePids.empty()) {
    host.ShowPageMessage(ConsoleRunningText(now.processes.consolePids), kServerCaption,
                         kIconInformation);
    return;
  }
  if (!PortAllowsStart(host, port, now)) return;
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

void OpenWebMainPage(TrackerHost& host) {
  if (const std::optional<std::string> base = WebBaseUrl(host)) OpenWebPage(host, *base);
}

void OpenWebFileDirectory(TrackerHost& host) {
  if (const std::optional<std::string> base = WebBaseUrl(host)) {
    OpenWebPage(host, WebFileDirectoryUrl(*base, host.ConfigGet("vexa_file_dir", "file")));
  }
}

std::optional<std::string> BackupData(TrackerHost& host, bool clearing) {
  BackupOutcome outcome = host.BackupFiles(clearing);
  // An empty program directory has nothing for the installation to keep.
  if (clearing && outcome.nothing) return std::string();
  if (!outcome.status.ok) {
    host.ShowAppMessage(outcome.status.message, kIconExclamation);
    return std::nullopt;
  }
  host.ShowAppMessage(BackupDoneMessage(clearing, outcome.directory, outcome.configMissing), 0);
  return outcome.directory;
}

void BackupButton(TrackerHost& host) { BackupData(host, false); }

Status StopTracker(TrackerHost& host) {
  const ConsoleCloseResult closed = host.CloseConsoleWindows();
  // Its exit code is not judged: a tracker that was not running fails to
  // stop. What still runs afterwards is.
  Status stopped = host.RunTrackerCommand(kStopCommand).status;
  if (!stopped.ok) return stopped;
  // -stop may return while the service is still on its way down.
  const TrackerProcesses now = LookWhile(host, kStopWaitMs, TrackerMayRun);
  if (!TrackerMayRun(now)) return Status::Ok();
  std::string text = StillRunningText(host.TrackerPath(), now);
  if (!closed.notClosed.empty()) text += "\n\n" + ConsolesNotClosedText(closed.notClosed);
  return Status::Error(text);
}

namespace {

std::string RestartStepText(const std::string& command) {
  const char* step = command == kStopCommand     ? "停止服务"
                     : command == kRemoveCommand  ? "删除服务"
                     : command == kInstallCommand ? "安装服务"
                                                  : "启动服务";
  return std::string("正在重启Vexa服务器：") + step + "（" + CommandSwitch(command) + "）…";
}

Status RunRestartSwitches(TrackerHost& host, StartCheck check) {
  const char* const sequence[] = {kStopCommand, kRemoveCommand, kInstallCommand, kStartCommand};
  for (const char* command : sequence) {
    host.ShowJobStep(RestartStepText(command));
    TrackerRun run = host.RunTrackerCommand(command);
    if (!run.status.ok) return run.status;
    const bool startStep = command == kInstallCommand || command == kStartCommand;
    if (check == StartCheck::kStopAtFailedStart && startStep && run.exitCode != 0) {
      return Status::Error(kInstallStoppedText + ExitCodeNote(command, run.exitCode));
    }
    if (command != kStartCommand) {
      host.Sleep(kCommandPauseMs);
    } else {
      // The restart is done when the service runs, whatever -start said.
      const std::string found = UnconfirmedState(host, command);
      if (found.empty()) return Status::Ok();
      if (run.exitCode != 0) {
        return Status::Error(found + "。" + ExitCodeNote(command, run.exitCode));
      }
      const bool stopping = check == StartCheck::kStopAtFailedStart;
      return Status::Error((stopping ? kInstallStoppedText + std::string("\n\n") : "") +
                           UnconfirmedText(found));
    }
  }
  return Status::Ok();
}

}  // namespace

Status RestartTracker(TrackerHost& host, StartCheck check) {
  host.ShowJobStep("正在重启Vexa服务器：关闭控制台…");
  ReportConsolesNotClosed(host, host.CloseConsoleWindows());
  Status restarted = RunRestartSwitches(host, check);
  const std::string why = restarted.message.substr(0, restarted.message.find('\n'));
  host.ShowJobEnd(restarted.ok ? kRestartedText : "Vexa服务器未能重启：" + why);
  return restarted;
}

void RestartButton(TrackerHost& host) {
  if (!TrackerPresent(host)) return;
  // The four switches log a line each; this says what they belong to.
  host.Log(kRestartLog);
  Status restarted = RestartTracker(host);
  if (restarted.ok) return;
  // It ran to its end, but the service does not run: a warning, not an error.
  const bool unconfirmed = restarted.message.rfind(kUnconfirmedPrefix, 0) == 0;
  host.ShowPageMessage(restarted.message, kServiceCaption,
                       unconfirmed ? kIconExclamation : kIconHand);
}

namespace {

// Every early end of the installation: the button may be pressed again.
// The log keeps why, where the reason is no file error logged already.
void InstallationStopped(TrackerHost& host, const std::string& where,
                         const std::string& why = "") {
  host.SetInstallCaption(kInstallIdleCaption);
  host.Log("一键安装：在" + where + "时停止" + (why.empty() ? "" : "：" + why));
}

// The request carries the administrator's password: it must reach this
// directory's tracker, never another program on its port. An unknown holder
// (always so under Wine) is another program when no tracker process runs;
// after the tracker's stop none does.
Status PortFreeForRequest(TrackerHost& host) {
  const TrackerSnapshot now = host.LookAtTracker(kDefaultPort);
  const bool taken = now.port.use == PortUse::kOther ||
                     (now.port.use == PortUse::kUnknownOwner && !now.processes.AnyRunning());
  return taken ? Status::Error(PortTakenText(kDefaultPort, now.port)) : Status::Ok();
}

}  // namespace

void RunOneClickInstallation(TrackerHost& host) {
  // Checked before the confirmation, so that nothing is cleared for a
  // tracker that is not there.
  if (!TrackerPresent(host)) return;
  if (!host.ConfirmAppMessage(kInstallConfirmText)) return;
  host.Log("一键安装：开始");
  host.SetInstallCaption(kInstallBusyCaption);

  Status portFree = PortFreeForRequest(host);
  if (!portFree.ok) {
    host.ShowAppMessage(portFree.message, kIconExclamation);
    return InstallationStopped(host, "检查端口", portFree.message);
  }
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
    return InstallationStopped(host, "停止Vexa", stopped.message);
  }
  // Its holder may have started meanwhile, or been hidden by the tracker.
  portFree = PortFreeForRequest(host);
  if (!portFree.ok) {
    host.ShowAppMessage(portFree.message, kIconExclamation);
    return InstallationStopped(host, "检查端口", portFree.message);
  }
  host.Log("一键安装：清空并备份数据");
  const std::optional<std::string> backupDirectory = BackupData(host, true);
  if (!backupDirectory) return InstallationStopped(host, "清空数据");
  host.Log("一键安装：重新安装并启动服务");
  Status restarted = RestartTracker(host, StartCheck::kStopAtFailedStart);
  if (!restarted.ok) {
    host.ShowAppMessage(restarted.message, kIconExclamation);
    return InstallationStopped(host, "安装服务");
  }

  const std::string port = Port(host);
  const std::optional<std::string> baseUrl = CheckedBaseUrl(port);
  if (!baseUrl) {
    host.ShowAppMessage(InvalidPortText(port), kIconHand);
    return InstallationStopped(host, "检查端口");
  }
  const std::optional<AdminAnswer> answer = host.AskAdministrator();
  // The tracker is an ANSI program: the request carries the ANSI code
  // page's bytes, as vexa.cfg does. The dialog refuses what that cannot hold.
  std::string account, password;
  if (!answer || answer->account.empty() || answer->password.empty() ||
      !TextToAnsi(answer->account, &account) || !TextToAnsi(answer->password, &password)) {
    host.ShowAppMessage(InstallLeftText(*backupDirectory, *baseUrl + "/users.html"), 0);
    return InstallationStopped(host, "创建管理员");
  }
  const std::string request = AdminRequestUrl(*baseUrl, account, password);
  const Status opened = host.ShellOpen(request);
  if (!opened.ok) {
    // The address holds the password: into the box for the user, not into the log.
    host.ShowAppMessage(RequestNotSentText(opened.message, request), kIconExclamation);
    return InstallationStopped(host, "发送创建管理员的请求");
  }
  host.Sleep(kCommandPauseMs);
  host.Log("一键安装：已发送创建管理员的请求");
  host.ShowAppMessage(kInstallDoneText, 0);
  host.SetInstallCaption(kInstallFinishedCaption);
  host.Log("一键安装：完成");
}

}  // namespace vexa
