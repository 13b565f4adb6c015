#include "jobs/tracker_jobs.h"

#include "backup/backup_names.h"
#include "base/text_codec.h"
#include "config/config_store.h"
#include "tracker/admin_request.h"

namespace vexa {

const char kServiceCaption[] = "Vexa后台服务";

const ServiceSwitch kInstallSwitch = {
    kInstallCommand, "Vexa后台服务已安装，在下次系统启动时自动启动，请在 管理工具-->服务 查看",
    kIconInformation};
const ServiceSwitch kStartSwitch = {kStartCommand, "Vexa后台服务已启动", kIconInformation};
const ServiceSwitch kStopSwitch = {kStopCommand, "Vexa后台服务已停止", kIconHand};
const ServiceSwitch kRemoveSwitch = {kRemoveCommand, "Vexa后台服务已删除", kIconExclamation};

const char kNoConsoleText[] = "没有运行Vexa!";
const char kRemovalPendingText[] =
    "vexa.exe 报告成功：Vexa后台服务已标记为删除，但它仍在运行。\n"
    "服务管理器会在它停止之后删除它。\n\n要现在停止它吗？";
const char kNoConsoleCaption[] = "提示";
const char kInstallConfirmText[] =
    "安装程序将清空并同时备份原来的数据\n您可以使用这个一键搞定所有设置\n您确认要开始安装吗?";
const char kInstallDoneText[] = "创建超级用户成功!安装完成!";
const char kInstallLeftText[] = "您已经退出安装程序!";
const char kInstallBusyCaption[] = "请耐心等待，正在初始化Vexa......";
const char kInstallFinishedCaption[] = "全自动初始化安装";
const char kInstallIdleCaption[] = "一键安装服务器";
const char kInstallLeftStoppedText[] =
    "\n\n此时Vexa服务器已经停止，vexa.cfg 中的端口（port）已改为 6969。"
    "需要时请按“启动后台服务”或“启动 控制台窗口”重新启动它。";
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
    text += "\n" + UnreadPathText(process);
  }
  return text + "\n\n请先结束它们，再重新安装。";
}

std::string PortTakenText(const std::string& port, const PortHolder& holder) {
  return "一键安装已停止，数据没有清空：端口 " + port + " 已被其他程序占用：" +
         PortHolderText(holder) +
         "。\n创建管理员的请求含有密码，不能发给其他程序。请先关闭该程序，再重新安装。";
}

namespace {

// Where the data went and where the account can be created later.
std::string InstallKeptText(const std::string& backupDirectory, const std::string& usersPage) {
  const std::string kept =
      backupDirectory.empty() ? "Vexa服务已重新安装（程序目录中原来没有配置与数据文件，无需备份）。"
                              : "Vexa服务已重新安装，原来的配置与数据文件已备份到：\n" + backupDirectory;
  return kept + "\n\n以后可以在浏览器中打开 " + usersPage + " 创建管理员。";
}

}  // namespace

std::string InstallLeftText(const std::string& backupDirectory, const std::string& usersPage) {
  return std::string(kInstallLeftText) + "\n\n" + InstallKeptText(backupDirectory, usersPage);
}

std::string AdminNotCreatedText(const std::string& what, const std::string& backupDirectory,
                                const std::string& usersPage) {
  return "没有创建管理员：" + what + "\n\n" + InstallKeptText(backupDirectory, usersPage);
}

namespace {

// Shows the missing-tracker error when vexa.exe is not there; true when it is.
bool TrackerPresent(const Job& job) {
  if (job.system.TrackerExists()) return true;
  job.port.Tell(MissingTrackerText(job.system.TrackerPath()), kServiceCaption, kIconHand);
  return false;
}

std::string Port(const Job& job) { return job.system.ConfigGet("port", kDefaultPort); }

// The base address for the configured port; nothing when the port is no
// number from 1 to 65535 (it would put another host or a quote into it).
std::optional<std::string> CheckedBaseUrl(const std::string& port) {
  unsigned number = 0;
  if (!ParsePort(port, &number)) return std::nullopt;
  return TrackerBaseUrl(std::to_string(number));
}

std::optional<std::string> WebBaseUrl(const Job& job) {
  const std::string port = Port(job);
  std::optional<std::string> base = CheckedBaseUrl(port);
  if (!base) job.port.Tell(InvalidPortText(port), kServerCaption, kIconHand);
  return base;
}

void OpenWebPage(const Job& job, const std::string& url) {
  const Status opened = job.system.ShellOpen(url);
  if (!opened.ok) {
    job.port.Tell("无法打开 " + url + "：\n" + opened.message, kServerCaption, kIconHand);
  }
}

// Whatever of the tracker still runs, or might: its data cannot be cleared.
bool TrackerMayRun(const TrackerProcesses& tracker) { return JudgeTrackerRun(tracker).MayRun(); }

// Looks at the tracker again every kStopLookMs while waitFor holds, for
// at most maxMs; what it saw last.
template <typename Predicate>
TrackerProcesses LookWhile(const Job& job, unsigned maxMs, Predicate waitFor) {
  TrackerProcesses now = job.system.LookAtTracker(Port(job)).processes;
  for (unsigned waited = 0; waitFor(now) && waited < maxMs; waited += kStopLookMs) {
    job.system.Sleep(kStopLookMs);
    now = job.system.LookAtTracker(Port(job)).processes;
  }
  return now;
}

// After a switch exited 0 the service manager has the last word; a service
// on its way is given time. The state found when it disagrees, else empty.
std::string UnconfirmedState(const Job& job, const std::string& command) {
  const TrackerProcesses now = LookWhile(job, kServiceWaitMs, [&](const TrackerProcesses& p) {
    const bool pending =
        p.serviceState == ServiceState::kStartPending || p.serviceState == ServiceState::kStopPending;
    return pending && !ServiceDisagreement(command, p.serviceState).empty();
  });
  return ServiceDisagreement(command, now.serviceState);
}

std::string UnconfirmedText(const std::string& found) {
  return kUnconfirmedPrefix + found + "。";
}

void ReportConsolesNotClosed(const Job& job, const ConsoleCloseResult& result) {
  if (!result.notClosed.empty()) {
    job.port.Tell(ConsolesNotClosedText(result.notClosed), kNoConsoleCaption,
                         kIconExclamation);
  }
}

}  // namespace

bool PortAllowsStart(const Job& job) {
  const std::string port = Port(job);
  return PortAllowsStart(job, port, job.system.LookAtTracker(port));
}

bool PortAllowsStart(const Job& job, const std::string& port, const TrackerSnapshot& now) {
  std::string question = PortQuestionText(port, now.port, now.processes);
  if (question.empty()) return true;
  const bool start = job.port.Ask(question, kServerCaption, kIconExclamation);
  job.system.Log("端口 " + port + " 被 " + PortHolderText(now.port) + " 占用，询问是否仍要启动：" +
           (start ? "仍要启动" : "取消"));
  return start;
}

namespace {

const char kRemovalLeftPending[] = "left pending";

// A running service that -U deleted is only marked for deletion: the
// service manager removes it once it stops.
bool RemovalPending(const Job& job) {
  const ServiceState state = job.system.LookAtTracker(Port(job)).processes.serviceState;
  return state == ServiceState::kRunning || state == ServiceState::kStartPending ||
         state == ServiceState::kStopPending;
}

// Offers the stop that completes the removal; what the service manager
// shows afterwards, kRemovalLeftPending when the user keeps it running.
std::string StopPendingRemoval(const Job& job) {
  const bool stop = job.port.Ask(kRemovalPendingText, kServiceCaption, kIconQuestion);
  job.system.Log(std::string("服务已标记为删除，仍在运行，询问是否现在停止：") +
                 (stop ? "停止" : "不停止"));
  if (!stop) return kRemovalLeftPending;
  const TrackerRun run = job.system.RunTrackerCommand(kStopCommand);
  if (!run.status.ok) return run.status.message;
  return UnconfirmedState(job, kRemoveCommand);
}

}  // namespace

void RunServiceSwitch(const Job& job, const ServiceSwitch& button) {
  if (!TrackerPresent(job)) return;
  if (button.command == kStartCommand && !PortAllowsStart(job)) return;
  TrackerRun run = job.system.RunTrackerCommand(button.command);
  if (!run.status.ok) {
    job.port.Tell(run.status.message, kServiceCaption, kIconHand);
    return;
  }
  if (run.exitCode == 0) {
    std::string found = UnconfirmedState(job, button.command);
    if (!found.empty() && button.command == kRemoveCommand && RemovalPending(job)) {
      found = StopPendingRemoval(job);
    }
    if (found.empty()) {
      // Neither step's failure turns the switch's success into a failure:
      // the status line's tip and the log name it.
      if (button.command == kInstallCommand) job.system.SecureInstalledService();
      if (button.command == kRemoveCommand) job.system.RemoveFirewallRule();
      job.port.Tell(button.message, kServiceCaption, button.icon);
    } else if (found != kRemovalLeftPending) {
      job.port.Tell(UnconfirmedText(found), kServiceCaption, kIconExclamation);
    }
  } else {
    job.port.Tell(button.message + ExitCodeNote(button.command, run.exitCode),
                         kServiceCaption, kIconExclamation);
  }
}

void InstallServiceJob(const Job& job) { RunServiceSwitch(job, kInstallSwitch); }
void StartServiceJob(const Job& job) { RunServiceSwitch(job, kStartSwitch); }
void StopServiceJob(const Job& job) { RunServiceSwitch(job, kStopSwitch); }
void RemoveServiceJob(const Job& job) { RunServiceSwitch(job, kRemoveSwitch); }

std::string ServiceRunningText(unsigned long pid) {
  return "Vexa后台服务正在运行" + (pid ? "（" + PidText(pid) + "）" : std::string()) +
         "。\n不再启动控制台窗口：它无法在同一个端口上监听。";
}

std::string ConsoleRunningText(const std::vector<unsigned long>& pids) {
  std::string list;
  for (unsigned long pid : pids) list += (list.empty() ? "" : ", ") + std::to_string(pid);
  return "Vexa控制台已在运行（PID " + list + "）。\n"
         "不再启动第二个：它无法在同一个端口上监听。";
}

namespace {

// A second instance of the tracker could not listen on its port: refused
// while a console of it runs, or its service runs or starts.
bool ConsoleRefused(const Job& job, const TrackerProcesses& now) {
  std::string refusal;
  if (!now.consolePids.empty()) {
    refusal = ConsoleRunningText(now.consolePids);
  } else if (now.serviceState == ServiceState::kRunning ||
             now.serviceState == ServiceState::kStartPending) {
    refusal = ServiceRunningText(now.servicePid);
  }
  if (refusal.empty()) return false;
  job.port.Tell(refusal, kServerCaption, kIconInformation);
  return true;
}

}  // namespace

void StartConsoleButton(const Job& job) {
  if (!TrackerPresent(job)) return;
  const std::string port = Port(job);
  const TrackerSnapshot now = job.system.LookAtTracker(port);
  if (ConsoleRefused(job, now.processes)) return;
  const bool asked = !PortQuestionText(port, now.port, now.processes).empty();
  if (!PortAllowsStart(job, port, now)) return;
  // The answer took the user a while: looked at again right before the start.
  if (asked && ConsoleRefused(job, job.system.LookAtTracker(port).processes)) return;
  Status started = job.system.StartTrackerConsole();
  if (!started.ok) job.port.Tell(started.message, kServiceCaption, kIconHand);
}

void CloseConsoleButton(const Job& job) {
  if (job.system.LookAtTracker(Port(job)).processes.consolePids.empty()) {
    job.port.Tell(kNoConsoleText, kNoConsoleCaption, kIconInformation);
    return;
  }
  ReportConsolesNotClosed(job, job.system.CloseConsoleWindows());
}

void OpenWebMainPage(const Job& job) {
  if (const std::optional<std::string> base = WebBaseUrl(job)) OpenWebPage(job, *base);
}

void OpenWebFileDirectory(const Job& job) {
  if (const std::optional<std::string> base = WebBaseUrl(job)) {
    OpenWebPage(job, WebFileDirectoryUrl(*base, job.system.ConfigGet("vexa_file_dir", "file")));
  }
}

std::optional<std::string> BackupData(const Job& job, bool clearing,
                                      const std::string& afterFailure) {
  BackupOutcome outcome = job.system.BackupFiles(clearing ? BackupKind::kClearing : BackupKind::kPlain);
  // An empty program directory has nothing for the installation to keep.
  if (clearing && outcome.nothing) return std::string();
  if (!outcome.status.ok) {
    job.port.Tell(outcome.status.message + afterFailure, "", kIconExclamation);
    return std::nullopt;
  }
  job.port.Tell(BackupDoneMessage(clearing, outcome.directory, outcome.configMissing), "", 0);
  return outcome.directory;
}

void BackupButton(const Job& job) { BackupData(job, false); }

Status StopTracker(const Job& job) {
  const ConsoleCloseResult closed = job.system.CloseConsoleWindows();
  // Its exit code is not judged: a tracker that was not running fails to
  // stop. What still runs afterwards is.
  Status stopped = job.system.RunTrackerCommand(kStopCommand).status;
  if (!stopped.ok) return stopped;
  // -stop may return while the service is still on its way down.
  const TrackerProcesses now = LookWhile(job, kStopWaitMs, TrackerMayRun);
  if (!TrackerMayRun(now)) return Status::Ok();
  std::string text = StillRunningText(job.system.TrackerPath(), now);
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

Status RunRestartSwitches(const Job& job, StartCheck check) {
  const char* const sequence[] = {kStopCommand, kRemoveCommand, kInstallCommand, kStartCommand};
  for (const char* command : sequence) {
    job.port.ShowProgress(JobProgress::kStep, RestartStepText(command));
    TrackerRun run = job.system.RunTrackerCommand(command);
    if (!run.status.ok) return run.status;
    const bool startStep = command == kInstallCommand || command == kStartCommand;
    if (check == StartCheck::kStopAtFailedStart && startStep && run.exitCode != 0) {
      return Status::Error(kInstallStoppedText + ExitCodeNote(command, run.exitCode));
    }
    if (command == kInstallCommand && run.exitCode == 0) job.system.SecureInstalledService();
    if (command != kStartCommand) {
      job.system.Sleep(kCommandPauseMs);
    } else {
      // The restart is done when the service runs, whatever -start said.
      const std::string found = UnconfirmedState(job, command);
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

Status RestartTracker(const Job& job, StartCheck check) {
  job.port.ShowProgress(JobProgress::kStep, "正在重启Vexa服务器：关闭控制台…");
  ReportConsolesNotClosed(job, job.system.CloseConsoleWindows());
  Status restarted = RunRestartSwitches(job, check);
  const std::string why = restarted.message.substr(0, restarted.message.find('\n'));
  job.port.ShowProgress(JobProgress::kEnd, restarted.ok ? kRestartedText : "Vexa服务器未能重启：" + why);
  return restarted;
}

void RestartButton(const Job& job) {
  if (!TrackerPresent(job)) return;
  // The four switches log a line each; this says what they belong to.
  job.system.Log(kRestartLog);
  Status restarted = RestartTracker(job);
  if (restarted.ok) return;
  // It ran to its end, but the service does not run: a warning, not an error.
  const bool unconfirmed = restarted.message.rfind(kUnconfirmedPrefix, 0) == 0;
  job.port.Tell(restarted.message, kServiceCaption,
                       unconfirmed ? kIconExclamation : kIconHand);
}

namespace {

// Every early end of the installation: the button may be pressed again.
// The log keeps why, where the reason is no file error logged already.
void InstallationStopped(const Job& job, const std::string& where,
                         const std::string& why = "") {
  job.port.ShowProgress(JobProgress::kInstallButton, kInstallIdleCaption);
  job.system.Log("一键安装：在" + where + "时停止" + (why.empty() ? "" : "：" + why));
}

// The request carries the administrator's password: it must reach this
// directory's tracker, never another program on its port. An unknown holder
// (always so under Wine) is another program when no tracker process runs;
// after the tracker's stop none does.
Status PortFreeForRequest(const Job& job) {
  const TrackerSnapshot now = job.system.LookAtTracker(kDefaultPort);
  const bool taken = now.port.use == PortUse::kOther ||
                     (now.port.use == PortUse::kUnknownOwner && !now.processes.AnyRunning());
  return taken ? Status::Error(PortTakenText(kDefaultPort, now.port)) : Status::Ok();
}

}  // namespace

void RunOneClickInstallation(const Job& job) {
  // Checked before the confirmation, so that nothing is cleared for a
  // tracker that is not there.
  if (!TrackerPresent(job)) return;
  if (!job.port.Ask(kInstallConfirmText, "", 0)) return;
  job.system.Log("一键安装：开始");
  job.port.ShowProgress(JobProgress::kInstallButton, kInstallBusyCaption);

  Status portFree = PortFreeForRequest(job);
  if (!portFree.ok) {
    job.port.Tell(portFree.message, "", kIconExclamation);
    return InstallationStopped(job, "检查端口", portFree.message);
  }
  Status saved = job.system.ConfigSetAndSave("port", kDefaultPort);
  if (!saved.ok) {
    job.port.Tell(saved.message, "", kIconExclamation);
    return InstallationStopped(job, "保存端口");
  }
  // A running tracker holds its data files open: they cannot be cleared
  // under it, and it would write them again afterwards.
  job.system.Log("一键安装：停止Vexa");
  Status stopped = StopTracker(job);
  if (!stopped.ok) {
    job.port.Tell(stopped.message, "", kIconExclamation);
    return InstallationStopped(job, "停止Vexa", stopped.message);
  }
  // Its holder may have started meanwhile, or been hidden by the tracker.
  portFree = PortFreeForRequest(job);
  if (!portFree.ok) {
    job.port.Tell(portFree.message + kInstallLeftStoppedText, "", kIconExclamation);
    return InstallationStopped(job, "检查端口", portFree.message);
  }
  job.system.Log("一键安装：清空并备份数据");
  const std::optional<std::string> backupDirectory =
      BackupData(job, true, kInstallLeftStoppedText);
  if (!backupDirectory) return InstallationStopped(job, "清空数据");
  job.system.Log("一键安装：重新安装并启动服务");
  Status restarted = RestartTracker(job, StartCheck::kStopAtFailedStart);
  if (!restarted.ok) {
    job.port.Tell(restarted.message, "", kIconExclamation);
    return InstallationStopped(job, "安装服务");
  }

  const std::string port = Port(job);
  const std::optional<std::string> baseUrl = CheckedBaseUrl(port);
  if (!baseUrl) {
    job.port.Tell(InvalidPortText(port), "", kIconHand);
    return InstallationStopped(job, "检查端口");
  }
  std::optional<AdminAnswer> answer = job.port.AskAdministrator();
  // The tracker is an ANSI program: the request carries the ANSI code
  // page's bytes, as vexa.cfg does. The dialog refuses what that cannot hold.
  std::string account, password;
  if (!answer || answer->account.empty() || answer->password.empty() ||
      !TextToAnsi(answer->account, &account) || !TextToAnsi(answer->password, &password)) {
    job.port.Tell(InstallLeftText(*backupDirectory, *baseUrl + "/users.html"), "", 0);
    return InstallationStopped(job, "创建管理员");
  }
  // Sent by the panel itself: the password is never on a browser's command
  // line, in its history or in the log, and only the tracker's answer
  // tells whether the account exists.
  std::string target = AdminRequestTarget(account, password);
  const TrackerAnswer created = job.system.SendTrackerRequest(port, target, kAdminRequestWaitMs);
  WipeText(target);
  WipeText(password);
  WipeText(answer->password);
  const std::string usersPage = *baseUrl + "/users.html";
  if (!created.Succeeded()) {
    const std::string what = TrackerAnswerText(created, port, kAdminRequestWaitMs / 1000);
    job.port.Tell(AdminNotCreatedText(what, *backupDirectory, usersPage), "", kIconExclamation);
    return InstallationStopped(job, "创建管理员", what);
  }
  job.system.Log("一键安装：Vexa已创建管理员 " + answer->account);
  job.port.Tell(kInstallDoneText, "", 0);
  job.port.ShowProgress(JobProgress::kInstallButton, kInstallFinishedCaption);
  job.system.Log("一键安装：完成");
  // The plain page, for the operator to look at the new account.
  OpenWebPage(job, usersPage);
}

}  // namespace vexa
