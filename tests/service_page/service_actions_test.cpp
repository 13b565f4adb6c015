#include "service_page/service_actions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace vexa {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// Writes down every call in order and answers from a script.
class RecordingHost : public TrackerHost {
 public:
  std::vector<std::string> log;

  bool trackerExists = true;
  std::map<std::string, std::string> config;
  Status saveResult;
  std::map<std::string, TrackerRun> runs;  // by command; default: started, 0
  Status consoleStart;
  ConsoleCloseResult closeResult;
  BackupOutcome backup{Status::Ok(), "C:\\p\\备份\\1月2日3时4分5秒\\"};
  bool confirm = true;
  TrackerSnapshot snapshot;  // what LookAtTracker sees, after these in turn:
  std::vector<TrackerSnapshot> snapshots;
  // A switch exiting 0 does to snapshot's service what it says.
  bool followSwitches = true;
  Status openResult;
  bool confirmPage = true;
  bool adminGiven = true;
  std::string account = "a&b=c 管", password = "%+#";

  std::string TrackerPath() override { return "C:\\p q\\vexa.exe"; }
  bool TrackerExists() override { return trackerExists; }
  std::string ConfigGet(const std::string& key, const std::string& def) override {
    auto it = config.find(key);
    return it == config.end() ? def : it->second;
  }
  Status ConfigSetAndSave(const std::string& key, const std::string& value) override {
    log.push_back("save " + key + "=" + value);
    if (saveResult.ok) config[key] = value;
    return saveResult;
  }
  TrackerRun RunTrackerCommand(const std::string& command) override {
    log.push_back("run " + command);
    auto it = runs.find(command);
    TrackerRun run = it == runs.end() ? TrackerRun{} : it->second;
    const std::map<std::string, ServiceState> after = {
        {"vexa.exe -i", ServiceState::kStopped}, {"vexa.exe -start", ServiceState::kRunning},
        {"vexa.exe -stop", ServiceState::kStopped}, {"vexa.exe -U", ServiceState::kNotInstalled}};
    if (followSwitches && run.status.ok && run.exitCode == 0 && after.count(command)) {
      snapshot.processes.serviceState = after.at(command);
    }
    return run;
  }
  Status StartTrackerConsole() override {
    log.push_back("console");
    return consoleStart;
  }
  ConsoleCloseResult CloseConsoleWindows() override {
    log.push_back("close consoles");
    return closeResult;
  }
  BackupOutcome BackupFiles(bool clearing) override {
    log.push_back(clearing ? "backup clearing" : "backup");
    return backup;
  }
  TrackerSnapshot LookAtTracker(const std::string& port) override {
    log.push_back("look port " + port);
    if (snapshots.empty()) return snapshot;
    TrackerSnapshot next = snapshots.front();
    snapshots.erase(snapshots.begin());
    return next;
  }
  Status ShellOpen(const std::string& target) override {
    log.push_back("open " + target);
    return openResult;
  }
  void Sleep(unsigned ms) override { log.push_back("sleep " + std::to_string(ms)); }
  std::optional<AdminAnswer> AskAdministrator() override {
    log.push_back("admin dialog");
    if (!adminGiven) return std::nullopt;
    return AdminAnswer{account, password};
  }
  void SetInstallCaption(const std::string& caption) override { log.push_back("caption " + caption); }
  // The status line's job texts, apart from the rest: only the restart's own test reads them.
  std::vector<std::string> status;
  void ShowJobStep(const std::string& text) override { status.push_back(text); }
  void ShowJobEnd(const std::string& text) override { status.push_back("end " + text); }
  void Log(const std::string& text) override { log.push_back("log " + text); }
  void ShowPageMessage(const std::string& text, const std::string& caption, unsigned icon) override {
    log.push_back("page box [" + caption + "] " + std::to_string(icon) + " " + text);
  }
  void ShowAppMessage(const std::string& text, unsigned icon) override {
    log.push_back("app box " + std::to_string(icon) + " " + text);
  }
  bool ConfirmPageMessage(const std::string& text, const std::string& caption,
                          unsigned icon) override {
    log.push_back("ask [" + caption + "] " + std::to_string(icon) + " " + text);
    return confirmPage;
  }
  bool ConfirmAppMessage(const std::string& text) override {
    log.push_back("confirm " + text);
    return confirm;
  }
};

// To port 6969 whatever was configured; the account in the ANSI code page.
const char kRequest[] =
    "open http://localhost:6969/users.html?us_login=a%26b%3Dc%20%B9%DC"
    "&us_password=%25%2B%23&us_password_verify=%25%2B%23&us_email=admin%40localhost"
    "&us_access_view=on&us_access_dl=on&us_access_comments=on&us_access_upload=on"
    "&us_access_edit=on&us_access_admin=on&us_access_signup=on";

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
TEST(ServiceButtons, ShowTheirMessageAfterTheCommandAndWarnOnNonZeroExit) {
  RecordingHost host;
  const std::string box = "page box [Vexa后台服务] ";
  RunServiceButton(host, *FindServiceButton(1006));
  host.runs["vexa.exe -i"] = TrackerRun{Status::Ok(), 1060};
  RunServiceButton(host, *FindServiceButton(1008));
  host.runs["vexa.exe -U"] = TrackerRun{Status::Error("无法运行 C:\\p q\\vexa.exe"), 0};
  RunServiceButton(host, *FindServiceButton(1007));
  EXPECT_THAT(host.log, ElementsAre("run vexa.exe -stop", "look port 6969",
                                    box + "16 " + kServiceButtons[2].message,
                                    "run vexa.exe -i",
                                    box + "48 " + kServiceButtons[0].message +
                                        ExitCodeNote("vexa.exe -i", 1060),
                                    "run vexa.exe -U", box + "16 无法运行 C:\\p q\\vexa.exe"));
}

// After a zero exit the service manager decides: the button's own text when
// it agrees, else a warning naming what was found. A service starting or
// stopping is looked at every half second for ten seconds.
TEST(ServiceButtons, ZeroExitIsCheckedAgainstTheServiceManager) {
  using S = ServiceState;
  const struct Case {
    int id;  // install 1008, start 1005, stop 1006, remove 1007
    S found;
    std::string warning;
  } cases[] = {
      {1008, S::kNotInstalled, "服务仍未安装"}, {1008, S::kStopped, ""},
      {1008, S::kRunning, ""},                  {1005, S::kNotInstalled, "服务未安装"},
      {1005, S::kStopped, "服务没有运行"},      {1005, S::kStartPending, "服务仍在启动"},
      {1005, S::kStopPending, "服务正在停止"},  {1005, S::kRunning, ""},
      {1006, S::kRunning, "服务仍在运行"},      {1006, S::kStopPending, "服务仍在停止"},
      {1006, S::kStartPending, "服务正在启动"}, {1006, S::kStopped, ""},
      {1006, S::kNotInstalled, ""},             {1007, S::kStopped, "服务仍未删除"},
      {1007, S::kRunning, "服务仍未删除"},      {1007, S::kNotInstalled, ""},
  };
  for (const Case& c : cases) {
    const ServiceButton& button = *FindServiceButton(c.id);
    SCOPED_TRACE(std::string(button.command) + " " + std::to_string(static_cast<int>(c.found)));
    RecordingHost host;
    host.followSwitches = false;
    host.snapshot.processes.serviceState = c.found;
    RunServiceButton(host, button);
    const std::string box = "page box [Vexa后台服务] ";
    EXPECT_EQ(host.log.back(), c.warning.empty()
                                   ? box + std::to_string(button.icon) + " " + button.message
                                   : box + "48 vexa.exe 报告成功，但" + c.warning + "。");
    const bool waited = !c.warning.empty() && (c.found == S::kStartPending || c.found == S::kStopPending);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "sleep 500"), waited ? 20 : 0);
  }

  // One that gets there in time agrees.
  RecordingHost host;
  host.followSwitches = false;
  host.snapshots.resize(2);
  for (TrackerSnapshot& pending : host.snapshots) pending.processes.serviceState = S::kStopPending;
  RunServiceButton(host, *FindServiceButton(1006));
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
  for (const ServiceButton& button : kServiceButtons) RunServiceButton(host, button);
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
      "page box [Vexa后台服务] 64 " + std::string(kServiceButtons[1].message);
  const std::string question =
      "ask [Vexa服务器] 48 端口 7000 已被其他程序占用：httpd.exe (PID 44)。\n"
      "Vexa服务器可能无法在这个端口上监听。\n\n仍要启动吗?";
  RecordingHost host;
  host.config["port"] = "7000";
  host.snapshot.port = {PortUse::kOther, 44, "httpd.exe"};

  const std::string answer = "log 端口 7000 被 httpd.exe (PID 44) 占用，询问是否仍要启动：";

  // Cancel starts nothing, neither the service nor the console; the answer is logged.
  host.confirmPage = false;
  RunServiceButton(host, *FindServiceButton(1005));
  StartConsoleButton(host);
  EXPECT_THAT(host.log, ElementsAre("look port 7000", question, answer + "取消", "look port 7000",
                                    question, answer + "取消"));

  host.log.clear();
  host.confirmPage = true;
  RunServiceButton(host, *FindServiceButton(1005));
  StartConsoleButton(host);
  EXPECT_THAT(host.log, ElementsAre("look port 7000", question, answer + "仍要启动",
                                    "run vexa.exe -start", "look port 7000", startMessage, "look port 7000",
                                    question, answer + "仍要启动", "console"));

  // A console of this directory's tracker runs: no question, no second one
  // (it could not listen). Nor a question for a free port, and never for the
  // other switches or the restart.
  host.log.clear();
  host.snapshot.processes.consolePids = {9, 12};
  StartConsoleButton(host);
  host.snapshot = TrackerSnapshot{};
  RunServiceButton(host, *FindServiceButton(1005));
  host.snapshot.port = {PortUse::kUnknownOwner, 0, ""};
  RunServiceButton(host, *FindServiceButton(1008));
  RestartButton(host);
  const std::string alreadyRunning = "page box [Vexa服务器] 64 " + ConsoleRunningText({9, 12});
  EXPECT_EQ(ConsoleRunningText({9, 12}),
            "Vexa控制台已在运行（PID 9, 12）。\n不再启动第二个：它无法在同一个端口上监听。");
  EXPECT_THAT(host.log, ElementsAreArray(Concat({{"look port 7000", alreadyRunning,
                                                  "look port 7000", "run vexa.exe -start",
                                                  "look port 7000", startMessage},
                                                 {"run vexa.exe -i", "look port 7000"},
                                                 {"page box [Vexa后台服务] 64 " +
                                                  std::string(kServiceButtons[0].message)},
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
                  {"admin dialog", kRequest, "sleep 1000", "log 一键安装：已发送创建管理员的请求",
                   "app box 0 创建超级用户成功!安装完成!", "caption 全自动初始化安装",
                   "log 一键安装：完成"},
              })));
  EXPECT_EQ(std::string(kInstallConfirmText),
            "安装程序将清空并同时备份原来的数据\n您可以使用这个一键搞定所有设置\n您确认要开始安装吗?");

  // -stop is not judged: a tracker that was not running fails to stop.
  RecordingHost notRunning;
  notRunning.runs["vexa.exe -stop"] = TrackerRun{Status::Ok(), 1062};
  RunOneClickInstallation(notRunning);
  EXPECT_EQ(notRunning.log.back(), "log 一键安装：完成");
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
  } cases[] = {
      {[&](RecordingHost& h) { h.snapshot.port = unknown; }, PortTakenText("6969", unknown), "检查端口", false},
      {[&](RecordingHost& h) { h.snapshot = Snapshot({9}, 0, httpd); }, PortTakenText("6969", httpd), "检查端口", false},
      {[&](RecordingHost& h) { h.snapshots = {Snapshot({9}, 0, unknown), {}}, h.snapshot.port = unknown; },
       PortTakenText("6969", unknown), "检查端口", false},
      {[](RecordingHost& h) {
         h.snapshots = {{}};
         h.snapshot = Snapshot({9}, 7);
         h.closeResult.notClosed = {"vexa.exe (PID 9)，与 cmd.exe 共用控制台，未发送 Ctrl-C"};
       },
       StillRunningText("C:\\p q\\vexa.exe", both) + "\n\n以下控制台窗口未能关闭：\n"
                                                      "vexa.exe (PID 9)，与 cmd.exe 共用控制台，未发送 Ctrl-C",
       "停止Vexa", false},
      {[](RecordingHost& h) { h.openResult = Status::Error("找不到应用程序。"); },
       RequestNotSentText("找不到应用程序。", kRequest + 5), "发送创建管理员的请求", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    RecordingHost host;
    c.arrange(host);
    RunOneClickInstallation(host);
    const std::string why = c.cleared ? "" : "：" + c.box;
    EXPECT_THAT(host.log, ::testing::IsSupersetOf({"app box 48 " + c.box, std::string("caption 一键安装服务器"),
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
  EXPECT_EQ(RequestNotSentText("x", "http://u"),
            "创建管理员的请求未能发送：x\n\n请在浏览器中打开以下地址创建管理员：\nhttp://u");
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
               {"app box 48 Access to C:\\p\\a.vexa was denied.", idle,
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

}  // namespace
}  // namespace vexa
