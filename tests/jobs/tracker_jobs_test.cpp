#include "jobs/tracker_jobs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <tuple>

#include "tests/jobs/recording_job.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using RecordingHost = test::RecordingJob;

// To port 6969 whatever was configured; the account in the ANSI code page.
const char kRequest[] =
    "request 6969 /users.html?us_login=a%26b%3Dc%20%B9%DC"
    "&us_password=%25%2B%23&us_password_verify=%25%2B%23&us_email=admin%40localhost"
    "&us_access_view=on&us_access_dl=on&us_access_comments=on&us_access_upload=on"
    "&us_access_edit=on&us_access_admin=on&us_access_signup=on 15000";

const std::vector<std::string> kRestart = {
    "close consoles", "run vexa.exe -stop", "sleep 1000", "run vexa.exe -U", "sleep 1000",
    "run vexa.exe -i", "sleep 1000",        "run vexa.exe -start"};
const std::vector<std::string> kLook = {"look port 6969"};

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The buttons' own texts are pinned with their table (tracker_commands_test).
TEST(ServiceButtons, RunTheirSwitchAndShowTheirMessage) {
  const struct {
    const ServiceSwitch& which;
    const char* command;
    const char* message;
    unsigned icon;
  } rows[] = {
      {kInstallSwitch, "vexa.exe -i",
       "Vexa后台服务已安装，在下次系统启动时自动启动，请在 管理工具-->服务 查看", 0x40},
      {kStartSwitch, "vexa.exe -start", "Vexa后台服务已启动", 0x40},
      {kStopSwitch, "vexa.exe -stop", "Vexa后台服务已停止", 0x10},
      {kRemoveSwitch, "vexa.exe -U", "Vexa后台服务已删除", 0x30},
  };
  for (const auto& row : rows) {
    EXPECT_STREQ(row.which.command, row.command);
    EXPECT_STREQ(row.which.message, row.message);
    EXPECT_EQ(row.which.icon, row.icon);
  }
}

TEST(ServiceButtons, ShowTheirMessageAfterTheCommandAndWarnOnNonZeroExit) {
  RecordingHost host;
  const std::string box = "page box [Vexa后台服务] ";
  RunServiceSwitch(host, kStopSwitch);
  host.runs["vexa.exe -i"] = TrackerRun{Status::Ok(), 1060};
  RunServiceSwitch(host, kInstallSwitch);
  host.runs["vexa.exe -U"] = TrackerRun{Status::Error("无法运行 C:\\p q\\vexa.exe"), 0};
  RunServiceSwitch(host, kRemoveSwitch);
  EXPECT_THAT(host.log, ElementsAre("run vexa.exe -stop", "look port 6969",
                                    box + "16 " + kStopSwitch.message,
                                    "run vexa.exe -i",
                                    box + "48 " + kInstallSwitch.message +
                                        ExitCodeNote("vexa.exe -i", 1060),
                                    "run vexa.exe -U", box + "16 无法运行 C:\\p q\\vexa.exe"));
}

// After a zero exit the service manager decides: the button's own text when
// it agrees, else a warning naming what was found. A service starting or
// stopping is looked at every half second for ten seconds.
TEST(ServiceButtons, ZeroExitIsCheckedAgainstTheServiceManager) {
  using S = ServiceState;
  const struct Case {
    const ServiceSwitch* which;
    S found;
    std::string warning;
  } cases[] = {
      {&kInstallSwitch, S::kNotInstalled, "服务仍未安装"}, {&kInstallSwitch, S::kStopped, ""},
      {&kInstallSwitch, S::kRunning, ""},                  {&kStartSwitch, S::kNotInstalled, "服务未安装"},
      {&kStartSwitch, S::kStopped, "服务没有运行"},      {&kStartSwitch, S::kStartPending, "服务仍在启动"},
      {&kStartSwitch, S::kStopPending, "服务正在停止"},  {&kStartSwitch, S::kRunning, ""},
      {&kStopSwitch, S::kRunning, "服务仍在运行"},      {&kStopSwitch, S::kStopPending, "服务仍在停止"},
      {&kStopSwitch, S::kStartPending, "服务正在启动"}, {&kStopSwitch, S::kStopped, ""},
      {&kStopSwitch, S::kNotInstalled, ""},             {&kRemoveSwitch, S::kStopped, "服务仍未删除"},
      {&kRemoveSwitch, S::kRunning, "服务仍未删除"},      {&kRemoveSwitch, S::kNotInstalled, ""},
  };
  for (const Case& c : cases) {
    const ServiceSwitch& button = *c.which;
    SCOPED_TRACE(std::string(button.command) + " " + std::to_string(static_cast<int>(c.found)));
    RecordingHost host;
    host.followSwitches = false;
    host.snapshot.processes.serviceState = c.found;
    RunServiceSwitch(host, button);
    const std::string box = "page box [Vexa后台服务] ";
    EXPECT_EQ(host.log.back(), c.warning.empty()
                                   ? box + std::to_string(button.icon) + " " + button.message
                                   : box + "48 vexa.exe 报告成功，但" + c.warning + "。");
    const bool waited = !c.warning.empty() && (c.found == S::kStartPending || c.found == S::kStopPending);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "sleep 500"), waited ? 20 : 0);
  }

  // A running service that -U only marked for deletion: the stop offered
  // completes the removal; declined, nothing more is done or said.
  for (const bool stop : {true, false}) {
    RecordingHost pending;
    pending.followSwitches = false;
    pending.confirmPage = stop;
    pending.snapshots.resize(3);
    for (TrackerSnapshot& look : pending.snapshots) look.processes.serviceState = S::kRunning;
    pending.snapshots[2].processes.serviceState = S::kNotInstalled;
    RunServiceSwitch(pending, kRemoveSwitch);
    std::vector<std::string> expected = {
        "run vexa.exe -U", "look port 6969", "look port 6969",
        std::string("ask [Vexa后台服务] 32 ") + kRemovalPendingText,
        std::string("log 服务已标记为删除，仍在运行，询问是否现在停止：") + (stop ? "停止" : "不停止")};
    if (stop) {
      for (const char* line : {"run vexa.exe -stop", "look port 6969"}) expected.push_back(line);
      expected.push_back("page box [Vexa后台服务] 48 " + std::string(kRemoveSwitch.message));
    }
    EXPECT_THAT(pending.log, ElementsAreArray(expected)) << stop;
  }

  // One that gets there in time agrees.
  RecordingHost host;
  host.followSwitches = false;
  host.snapshots.resize(2);
  for (TrackerSnapshot& pending : host.snapshots) pending.processes.serviceState = S::kStopPending;
  RunServiceSwitch(host, kStopSwitch);
  EXPECT_THAT(host.log, ElementsAre("run vexa.exe -stop", "look port 6969", "sleep 500",
                                    "look port 6969", "sleep 500", "look port 6969",
                                    "page box [Vexa后台服务] 16 Vexa后台服务已停止"));

  // The installation's restart whose service does not run stops it as a
  // failed start does (the restart button's own rows are RestartTracker's).
  const std::string warning = "vexa.exe 报告成功，但服务没有运行。";
  host = RecordingHost();
  host.followSwitches = false;
  host.snapshot.processes.serviceState = S::kStopped;
  RunOneClickInstallation(host);
  EXPECT_THAT(host.log, ::testing::IsSupersetOf({std::string("app box 48 ") + kInstallStoppedText + "\n\n" + warning,
                                                 std::string("log 一键安装：在安装服务时停止")}));
  EXPECT_THAT(host.log, ::testing::Not(::testing::Contains("admin dialog")));
}

TEST(ServiceButtons, MissingTrackerIsNamedAndNothingRuns) {
  RecordingHost host;
  host.trackerExists = false;
  const std::string missing = "page box [Vexa后台服务] 16 " + MissingTrackerText("C:\\p q\\vexa.exe");
  EXPECT_NE(missing.find("C:\\p q\\vexa.exe"), std::string::npos);
  for (const ServiceSwitch* button : {&kInstallSwitch, &kStartSwitch, &kStopSwitch, &kRemoveSwitch}) {
    RunServiceSwitch(host, *button);
  }
  StartConsoleButton(host);
  RestartButton(host);
  RunOneClickInstallation(host);
  EXPECT_THAT(host.log, ElementsAreArray(std::vector<std::string>(7, missing)));
}

TEST(ServiceButtons, ALongSwitchIsQuestionedAndAGivenUpWaitSaysItStillRuns) {
  EXPECT_EQ(KeepWaitingText("vexa.exe -start", 60),
            "命令 \"vexa.exe -start\" 已运行 60 秒，仍未结束。\n是否继续等待？\n\n"
            "选择“否”将不再等待，该命令仍在后台运行。");
  EXPECT_EQ(WaitGivenUpText("vexa.exe -i"),
            "已停止等待命令 \"vexa.exe -i\"，它仍在运行，请稍后查看服务的状态。");
}

// A second instance could not listen on the tracker's port: not while its
// service runs or starts, nor when one started while the port question was up.
TEST(ConsoleButtons, StartIsRefusedBesideTheRunningTracker) {
  EXPECT_EQ(ServiceRunningText(7),
            "Vexa后台服务正在运行（PID 7）。\n不再启动控制台窗口：它无法在同一个端口上监听。");
  EXPECT_EQ(ServiceRunningText(0), "Vexa后台服务正在运行。\n不再启动控制台窗口：它无法在同一个端口上监听。");
  const std::string box = "page box [Vexa服务器] 64 ";
  for (const auto& [state, pid, text] :
       {std::tuple(ServiceState::kRunning, 7ul, box + ServiceRunningText(7)),
        {ServiceState::kStartPending, 0ul, box + ServiceRunningText(0)}}) {
    RecordingHost host;
    host.snapshot.processes.serviceState = state;
    host.snapshot.processes.servicePid = pid;
    StartConsoleButton(host);
    EXPECT_THAT(host.log, ElementsAre("look port 6969", text));
  }
  RecordingHost host;
  host.snapshots.resize(2);
  host.snapshots[0].port = {PortUse::kOther, 44, "httpd.exe"};
  host.snapshots[1].processes.consolePids = {9};
  StartConsoleButton(host);
  ASSERT_EQ(host.log.size(), 5u);
  EXPECT_EQ(host.log[3], "look port 6969");
  EXPECT_EQ(host.log[4], "page box [Vexa服务器] 64 " + ConsoleRunningText({9}));
}

TEST(ConsoleButtons, StartOpensTheTrackerAndCloseSaysWhenNothingRuns) {
  RecordingHost host;
  StartConsoleButton(host);
  host.consoleStart = Status::Error("无法运行");
  StartConsoleButton(host);
  CloseConsoleButton(host);
  host.snapshot.processes.consolePids = {9};
  CloseConsoleButton(host);
  host.closeResult.found = true;
  host.closeResult.notClosed = {"stuck", ""};
  CloseConsoleButton(host);
  EXPECT_THAT(host.log,
              ElementsAre("look port 6969", "console", "look port 6969", "console",
                          "page box [Vexa后台服务] 16 无法运行", "look port 6969",
                          "page box [提示] 64 没有运行Vexa!", "look port 6969", "close consoles",
                          "look port 6969", "close consoles",
                          "page box [提示] 48 以下控制台窗口未能关闭：\nstuck\n(无标题)"));
}

TEST(PortQuestion, AsksBeforeBothStartsOnlyWhenAnotherProgramHoldsThePort) {
  const std::string startMessage =
      "page box [Vexa后台服务] 64 " + std::string(kStartSwitch.message);
  const std::string question =
      "ask [Vexa服务器] 48 端口 7000 已被其他程序占用：httpd.exe (PID 44)。\n"
      "Vexa服务器可能无法在这个端口上监听。\n\n仍要启动吗?";
  RecordingHost host;
  host.config["port"] = "7000";
  host.snapshot.port = {PortUse::kOther, 44, "httpd.exe"};

  const std::string answer = "log 端口 7000 被 httpd.exe (PID 44) 占用，询问是否仍要启动：";

  // Cancel starts nothing, neither the service nor the console; the answer is logged.
  host.confirmPage = false;
  RunServiceSwitch(host, kStartSwitch);
  StartConsoleButton(host);
  EXPECT_THAT(host.log, ElementsAre("look port 7000", question, answer + "取消", "look port 7000",
                                    question, answer + "取消"));

  host.log.clear();
  host.confirmPage = true;
  RunServiceSwitch(host, kStartSwitch);
  host.snapshot.processes.serviceState = ServiceState::kStopped;  // it ended again
  StartConsoleButton(host);
  EXPECT_THAT(host.log, ElementsAre("look port 7000", question, answer + "仍要启动",
                                    "run vexa.exe -start", "look port 7000", startMessage, "look port 7000",
                                    question, answer + "仍要启动", "look port 7000", "console"));

  // A console of this directory's tracker runs: no question, no second one
  // (it could not listen). Nor a question for a free port, and never for the
  // other switches or the restart.
  host.log.clear();
  host.snapshot.processes.consolePids = {9, 12};
  StartConsoleButton(host);
  host.snapshot = TrackerSnapshot{};
  RunServiceSwitch(host, kStartSwitch);
  host.snapshot.port = {PortUse::kUnknownOwner, 0, ""};
  RunServiceSwitch(host, kInstallSwitch);
  RestartButton(host);
  const std::string alreadyRunning = "page box [Vexa服务器] 64 " + ConsoleRunningText({9, 12});
  EXPECT_EQ(ConsoleRunningText({9, 12}),
            "Vexa控制台已在运行（PID 9, 12）。\n不再启动第二个：它无法在同一个端口上监听。");
  EXPECT_THAT(host.log, ElementsAreArray(Concat({{"look port 7000", alreadyRunning,
                                                  "look port 7000", "run vexa.exe -start",
                                                  "look port 7000", startMessage},
                                                 {"run vexa.exe -i", "look port 7000"},
                                                 {"page box [Vexa后台服务] 64 " +
                                                  std::string(kInstallSwitch.message)},
                                                 {std::string("log ") + kRestartLog},
                                                 kRestart, {"look port 7000"}})));
}

TEST(WebButtons, OpenTheConfiguredAddresses) {
  RecordingHost host;
  OpenWebMainPage(host);
  OpenWebFileDirectory(host);
  host.config["port"] = "8080";
  host.config["vexa_file_dir"] = "D:/bt/种子\\";
  OpenWebMainPage(host);
  OpenWebFileDirectory(host);
  host.config["vexa_file_dir"] = "D:\\bt\\种子";
  OpenWebFileDirectory(host);
  EXPECT_THAT(host.log, ElementsAre("open http://localhost:6969", "open http://localhost:6969/file",
                                    "open http://localhost:8080", "open http://localhost:8080/",
                                    "open http://localhost:8080/%E7%A7%8D%E5%AD%90"));
}

TEST(WebButtons, RefuseAPortThatIsNoNumberAndSayWhyAnOpenFailed) {
  EXPECT_EQ(InvalidPortText("6969@other.host"),
            "vexa.cfg 中的端口 \"6969@other.host\" 无效：端口只能是 1 到 65535 之间的数字。\n"
            "没有打开任何网页。");
  for (const char* port : {"6969@other.host", "80\" /x", "0", "65536", "", "+80", " 80"}) {
    RecordingHost host;
    host.config["port"] = port;
    OpenWebMainPage(host);
    OpenWebFileDirectory(host);
    EXPECT_EQ(host.log, std::vector<std::string>(2, "page box [Vexa服务器] 16 " + InvalidPortText(port)));
  }
  for (const std::string port : {"1", "65535"}) {
    RecordingHost ends;
    ends.config["port"] = port;
    OpenWebMainPage(ends);
    EXPECT_EQ(ends.log, std::vector<std::string>{"open http://localhost:" + port});
  }
  RecordingHost host;
  host.config["port"] = "00080";  // digits all the same; the address gets the number
  host.openResult = Status::Error("找不到应用程序。");
  OpenWebMainPage(host);
  EXPECT_THAT(host.log, ElementsAre("open http://localhost:80",
                                    "page box [Vexa服务器] 16 无法打开 http://localhost:80：\n找不到应用程序。"));
}

TEST(BackupButton, ShowsTheDirectoryOrTheFileError) {
  RecordingHost host;
  BackupButton(host);
  host.backup = {Status::Error("Access to C:\\p\\a.vexa was denied."), ""};
  BackupButton(host);
  host.backup = {Status::Error(NothingToBackUpText("C:\\p\\")), ""};
  host.backup.nothing = true;
  BackupButton(host);
  EXPECT_THAT(host.log,
              ElementsAre("backup", "app box 0 配置与数据文件已备份到目录：\nC:\\p\\备份\\1月2日3时4分5秒\\",
                          "backup", "app box 48 Access to C:\\p\\a.vexa was denied.", "backup",
                          "app box 48 没有可备份的文件：程序目录中既没有 vexa.cfg，也没有数据文件（*.vexa）。"
                          "\nC:\\p\\"));
}

TEST(RestartTracker, ClosesConsolesThenRunsFourSwitchesWithPausesShowingEachInTheStatusLine) {
  RecordingHost host;
  RestartButton(host);
  EXPECT_THAT(host.log, ElementsAreArray(Concat({{"log 重新启动Vexa服务：关闭控制台，然后 -stop、-U、-i、-start"},
                                                 kRestart, kLook})));
  ASSERT_EQ(host.status.size(), 6u);
  EXPECT_EQ(host.status[4], "正在重启Vexa服务器：启动服务（-start）…");
  EXPECT_EQ(host.status[5], "end Vexa服务器已重启");

  // A non-zero exit status changes nothing here; only a tracker that did
  // not start ends the run, and that is said.
  host.log.clear();
  host.runs["vexa.exe -stop"] = TrackerRun{Status::Ok(), 1062};
  host.runs["vexa.exe -i"] = TrackerRun{Status::Error("无法运行"), 0};
  host.status.clear();
  RestartButton(host);
  EXPECT_THAT(host.log, ElementsAre(std::string("log ") + kRestartLog, "close consoles",
                                    "run vexa.exe -stop", "sleep 1000",
                                    "run vexa.exe -U", "sleep 1000", "run vexa.exe -i",
                                    "page box [Vexa后台服务] 16 无法运行"));
  // The status line follows each step and ends with what failed.
  EXPECT_THAT(host.status,
              ElementsAre("正在重启Vexa服务器：关闭控制台…", "正在重启Vexa服务器：停止服务（-stop）…",
                          "正在重启Vexa服务器：删除服务（-U）…", "正在重启Vexa服务器：安装服务（-i）…",
                          "end Vexa服务器未能重启：无法运行"));

  // A -start after which no service runs is no restart, whether it exited
  // 0 (questioned) or not (its exit code named).
  const struct {
    unsigned long startExit;
    std::string box, end;
  } notRunning[] = {
      {0, "48 vexa.exe 报告成功，但服务没有运行。", "vexa.exe 报告成功，但服务没有运行。"},
      {3, "16 服务没有运行。\n\n命令 \"vexa.exe -start\" 返回了代码 3，请检查操作是否成功。",
       "服务没有运行。"},
  };
  for (const auto& c : notRunning) {
    RecordingHost h;
    h.followSwitches = false;
    h.snapshot.processes.serviceState = ServiceState::kStopped;
    h.runs["vexa.exe -start"] = TrackerRun{Status::Ok(), c.startExit};
    RestartButton(h);
    EXPECT_EQ(h.log.back(), "page box [Vexa后台服务] " + c.box) << c.startExit;
    EXPECT_EQ(h.status.back(), "end Vexa服务器未能重启：" + c.end) << c.startExit;
  }
}

const std::vector<std::string> kInstallStart = {
    std::string("confirm ") + kInstallConfirmText, "log 一键安装：开始",
    "caption 请耐心等待，正在初始化Vexa......", "look port 6969", "save port=6969"};
const std::vector<std::string> kInstallStop = {"log 一键安装：停止Vexa", "close consoles",
                                               "run vexa.exe -stop", "look port 6969"};
const std::string kBackupDir = "C:\\p\\备份\\1月2日3时4分5秒\\";
const std::vector<std::string> kInstallClear = {
    "look port 6969", "log 一键安装：清空并备份数据", "backup clearing",
    "app box 0 旧的配置与数据文件已全部清空\n" + kBackupDir, "log 一键安装：重新安装并启动服务"};

TEST(OneClickInstallation, StopsTheTrackerBeforeClearingAndRunsEveryStepInOrder) {
  RecordingHost host;
  host.config["port"] = "7000";
  RunOneClickInstallation(host);
  EXPECT_THAT(host.log,
              ElementsAreArray(Concat({
                  kInstallStart,
                  kInstallStop,
                  kInstallClear,
                  kRestart,
                  kLook,
                  {"admin dialog", kRequest, "log 一键安装：Vexa已创建管理员 a&b=c 管",
                   "app box 0 创建超级用户成功!安装完成!", "caption 全自动初始化安装",
                   "log 一键安装：完成", "open http://localhost:6969/users.html"},
              })));
  EXPECT_EQ(std::string(kInstallConfirmText),
            "安装程序将清空并同时备份原来的数据\n您可以使用这个一键搞定所有设置\n您确认要开始安装吗?");

  // -stop is not judged: a tracker that was not running fails to stop.
  RecordingHost notRunning;
  notRunning.runs["vexa.exe -stop"] = TrackerRun{Status::Ok(), 1062};
  RunOneClickInstallation(notRunning);
  ASSERT_GE(notRunning.log.size(), 2u);
  EXPECT_EQ(notRunning.log[notRunning.log.size() - 2], "log 一键安装：完成");
}

TEST(OneClickInstallation, CancelOrAnEmptyValueLeavesWithoutRequestAndSaysWhereTheDataWent) {
  RecordingHost host;
  host.confirm = false;
  RunOneClickInstallation(host);
  EXPECT_THAT(host.log, ElementsAre(std::string("confirm ") + kInstallConfirmText));

  const std::string left =
      "app box 0 您已经退出安装程序!\n\nVexa服务已重新安装，原来的配置与数据文件已备份到：\n" +
      kBackupDir + "\n\n以后可以在浏览器中打开 http://localhost:6969/users.html 创建管理员。";
  EXPECT_EQ(left, "app box 0 " + InstallLeftText(kBackupDir, "http://localhost:6969/users.html"));
  const std::vector<std::string> tail = {"admin dialog", left, "caption 一键安装服务器",
                                         "log 一键安装：在创建管理员时停止"};
  for (int answer = 0; answer < 3; ++answer) {
    RecordingHost h;
    h.adminGiven = answer != 0;
    if (answer == 1) h.password = "";
    if (answer == 2) h.account = "";
    RunOneClickInstallation(h);
    ASSERT_GE(h.log.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(h.log.end() - 4, h.log.end()), tail) << answer;
    EXPECT_THAT(h.log, ::testing::Contains("backup clearing"));
  }
  // An empty program directory: no backup, no box about one, and the end says so.
  RecordingHost empty;
  empty.adminGiven = false;
  empty.backup = {Status::Error(NothingToBackUpText("C:\\p\\")), ""};
  empty.backup.nothing = true;
  RunOneClickInstallation(empty);
  const auto backup = std::find(empty.log.begin(), empty.log.end(), "backup clearing");
  ASSERT_LT(backup - empty.log.begin() + 1, static_cast<std::ptrdiff_t>(empty.log.size()));
  EXPECT_EQ(backup[1], "log 一键安装：重新安装并启动服务");
  EXPECT_EQ(*(empty.log.end() - 3),
            "app box 0 您已经退出安装程序!\n\nVexa服务已重新安装（程序目录中原来没有配置与数据文件，"
            "无需备份）。\n\n以后可以在浏览器中打开 http://localhost:6969/users.html 创建管理员。");
}

TrackerSnapshot Snapshot(std::vector<unsigned long> consoles, unsigned long servicePid, const PortHolder& port = {}) {
  TrackerSnapshot snapshot;
  snapshot.processes.consolePids = std::move(consoles);
  snapshot.processes.serviceState = servicePid ? ServiceState::kRunning : ServiceState::kNotInstalled;
  snapshot.processes.servicePid = servicePid;
  snapshot.port = port;
  return snapshot;
}

// Nothing is cleared while a tracker process runs (looked at for five
// seconds after -stop) or another program holds port 6969, where the
// request with the password goes; the browser's failure is no success.
TEST(OneClickInstallation, StopsBeforeClearingWhileTheTrackerRunsOrThePortIsTaken) {
  const PortHolder unknown{PortUse::kUnknownOwner, 0, ""}, httpd{PortUse::kOther, 44, "httpd.exe"};
  const TrackerProcesses both = Snapshot({9}, 7).processes;
  const struct Case {
    std::function<void(RecordingHost&)> arrange;
    std::string box, where;
    bool cleared;
    bool afterStop = false;
  } cases[] = {
      {[&](RecordingHost& h) { h.snapshot.port = unknown; }, PortTakenText("6969", unknown), "检查端口", false},
      {[&](RecordingHost& h) { h.snapshot = Snapshot({9}, 0, httpd); }, PortTakenText("6969", httpd), "检查端口", false},
      // Only after the stop: the tracker is stopped and the port changed by then.
      {[&](RecordingHost& h) { h.snapshots = {Snapshot({9}, 0, unknown), {}}, h.snapshot.port = unknown; },
       PortTakenText("6969", unknown), "检查端口", false, true},
      {[](RecordingHost& h) {
         h.snapshots = {{}};
         h.snapshot = Snapshot({9}, 7);
         h.closeResult.notClosed = {"vexa.exe (PID 9)，与 cmd.exe 共用控制台，未发送 Ctrl-C"};
       },
       StillRunningText("C:\\p q\\vexa.exe", both) + "\n\n以下控制台窗口未能关闭：\n"
                                                      "vexa.exe (PID 9)，与 cmd.exe 共用控制台，未发送 Ctrl-C",
       "停止Vexa", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    RecordingHost host;
    c.arrange(host);
    RunOneClickInstallation(host);
    const std::string why = c.cleared ? "" : "：" + c.box;
    const std::string note = c.afterStop ? kInstallLeftStoppedText : "";
    EXPECT_THAT(host.log, ::testing::IsSupersetOf({"app box 48 " + c.box + note, std::string("caption 一键安装服务器"),
                                                   "log 一键安装：在" + c.where + "时停止" + why}));
    EXPECT_EQ(host.log.back(), "log 一键安装：在" + c.where + "时停止" + why);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "backup clearing"), c.cleared ? 1 : 0);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "sleep 500"), c.where == "停止Vexa" ? 10 : 0);
  }
  EXPECT_EQ(PortTakenText("6969", unknown),
            "一键安装已停止，数据没有清空：端口 6969 已被其他程序占用：未知程序。\n"
            "创建管理员的请求含有密码，不能发给其他程序。请先关闭该程序，再重新安装。");
  EXPECT_EQ(StillRunningText("C:\\v\\vexa.exe", both),
            "一键安装已停止，数据没有清空：Vexa服务器仍在运行。\n服务 C:\\v\\vexa.exe (PID 7)\n"
            "控制台 C:\\v\\vexa.exe (PID 9)\n\n请先结束它们，再重新安装。");
}

// Only the tracker's own success is a success: no answer or another status
// says what happened and where to go on, and opens nothing.
TEST(OneClickInstallation, WithoutTheTrackersSuccessTheAccountIsNotReportedCreated) {
  using Kind = TrackerAnswer::Kind;
  for (const TrackerAnswer& answer : {TrackerAnswer{Kind::kNoListener, 0, ""},
                                      TrackerAnswer{Kind::kAnswered, 403, ""},
                                      TrackerAnswer{Kind::kFailed, 0, "连接已重置。"}}) {
    RecordingHost host;
    host.trackerAnswer = answer;
    RunOneClickInstallation(host);
    const std::string what = TrackerAnswerText(answer, "6969", 15);
    EXPECT_THAT(std::vector<std::string>(host.log.end() - 4, host.log.end()),
                ElementsAre(kRequest,
                            "app box 48 " + AdminNotCreatedText(what, kBackupDir,
                                                                "http://localhost:6969/users.html"),
                            "caption 一键安装服务器", "log 一键安装：在创建管理员时停止：" + what));
  }
  EXPECT_EQ(AdminNotCreatedText("x", "", "http://u"),
            "没有创建管理员：x\n\nVexa服务已重新安装（程序目录中原来没有配置与数据文件，无需备份）。"
            "\n\n以后可以在浏览器中打开 http://u 创建管理员。");
}

TEST(OneClickInstallation, EveryStopPointPutsTheButtonCaptionBackAndSkipsTheRest) {
  const std::string idle = "caption 一键安装服务器";
  const std::string exitNote = std::string("app box 48 ") + kInstallStoppedText;
  const struct Case {
    const char* name;
    std::function<void(RecordingHost&)> arrange;
    std::vector<std::string> after;  // the log after the common start
  } cases[] = {
      {"failed save",
       [](RecordingHost& h) { h.saveResult = Status::Error("无法写入 vexa.cfg"); },
       {"app box 48 无法写入 vexa.cfg", idle, "log 一键安装：在保存端口时停止"}},
      {"tracker not runnable at the stop",
       [](RecordingHost& h) { h.runs["vexa.exe -stop"] = TrackerRun{Status::Error("无法运行"), 0}; },
       {"log 一键安装：停止Vexa", "close consoles", "run vexa.exe -stop", "app box 48 无法运行", idle,
        "log 一键安装：在停止Vexa时停止：无法运行"}},
      {"file error while clearing",
       [](RecordingHost& h) { h.backup = {Status::Error("Access to C:\\p\\a.vexa was denied."), ""}; },
       Concat({kInstallStop,
               {kInstallClear.begin(), kInstallClear.begin() + 3},
               {"app box 48 Access to C:\\p\\a.vexa was denied." + std::string(kInstallLeftStoppedText),
                idle,
                "log 一键安装：在清空数据时停止"}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingHost host;
    c.arrange(host);
    RunOneClickInstallation(host);
    EXPECT_THAT(host.log, ElementsAreArray(Concat({kInstallStart, c.after})));
  }

  // -i or -start exiting non-zero ends it with the exit-code line: no
  // administrator dialog, no request, no success text.
  for (const char* failing : {"vexa.exe -i", "vexa.exe -start"}) {
    SCOPED_TRACE(failing);
    RecordingHost host;
    host.runs[failing] = TrackerRun{Status::Ok(), 3};
    RunOneClickInstallation(host);
    const std::string command = failing;
    std::vector<std::string> restartUpTo(kRestart.begin(),
                                         std::find(kRestart.begin(), kRestart.end(), "run " + command) + 1);
    EXPECT_THAT(host.log,
                ElementsAreArray(Concat({
                    std::vector<std::string>(host.log.begin(), host.log.begin() + 14),
                    restartUpTo,
                    {exitNote + ExitCodeNote(command, 3), idle, "log 一键安装：在安装服务时停止"},
                })));
    EXPECT_EQ(host.log[13], "log 一键安装：重新安装并启动服务");
    EXPECT_THAT(host.log, ::testing::Not(::testing::Contains("admin dialog")));
  }
  EXPECT_EQ(ExitCodeNote("vexa.exe -i", 3),
            "\n\n命令 \"vexa.exe -i\" 返回了代码 3，请检查操作是否成功。");
}

// Each installation that went through is secured before the user hears of
// it, a confirmed removal takes the rule away; whatever either answers, the
// boxes, the status line and the later steps stay as they were.
TEST(ServiceSafety, FollowsEachInstallationAndTheRemovalWithoutChangingTheirResults) {
  ServiceSecuring failed;
  failed.recovery = failed.firewall = Status::Error("未实现");
  for (const ServiceSecuring& answer : {ServiceSecuring(), failed}) {
    RecordingHost buttons, restart, oneClick;
    buttons.securing = restart.securing = oneClick.securing = answer;
    buttons.ruleRemoval = answer.firewall;
    RunServiceSwitch(buttons, kInstallSwitch);
    RunServiceSwitch(buttons, kRemoveSwitch);
    const std::string box = "page box [Vexa后台服务] ";
    EXPECT_THAT(buttons.log, ElementsAre("run vexa.exe -i", "look port 6969", box + "64 " + kInstallSwitch.message,
                                         "run vexa.exe -U", "look port 6969", box + "48 " + kRemoveSwitch.message));
    EXPECT_THAT(buttons.safety, ElementsAre("secure after look port 6969", "remove rule after look port 6969"));

    RestartButton(restart);
    EXPECT_THAT(restart.log, ElementsAreArray(Concat({{std::string("log ") + kRestartLog}, kRestart, kLook})));
    EXPECT_THAT(restart.safety, ElementsAre("secure after run vexa.exe -i"));
    EXPECT_EQ(restart.status.back(), "end Vexa服务器已重启");

    RecordingHost untouched;
    RunOneClickInstallation(untouched);  // its steps are pinned above
    RunOneClickInstallation(oneClick);
    EXPECT_THAT(oneClick.safety, ElementsAre("secure after run vexa.exe -i"));
    EXPECT_EQ(oneClick.log, untouched.log);
  }

  // No installation, nothing secured; no removal, no rule taken away.
  RecordingHost unconfirmed;
  unconfirmed.followSwitches = false;
  unconfirmed.snapshot.processes.serviceState = ServiceState::kStopped;
  RunServiceSwitch(unconfirmed, kRemoveSwitch);
  unconfirmed.snapshot.processes.serviceState = ServiceState::kNotInstalled;
  RunServiceSwitch(unconfirmed, kInstallSwitch);
  unconfirmed.runs["vexa.exe -i"] = TrackerRun{Status::Ok(), 3};
  RunServiceSwitch(unconfirmed, kInstallSwitch);
  RestartButton(unconfirmed);
  EXPECT_THAT(unconfirmed.safety, ElementsAre());
}

}  // namespace
}  // namespace vexa
