#include "tracker/service_actions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "tracker/admin_account.h"

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
  bool consoleThere = true;
  ConsoleCloseResult closeResult;
  BackupOutcome backup{Status::Ok(), "C:\\p\\备份\\1月2日3时4分5秒\\"};
  bool confirm = true;
  TrackerSnapshot snapshot;  // what LookAtTracker sees
  bool confirmPage = true;
  bool adminGiven = true;
  std::string account = "boss", password = "pw";

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
    return it == runs.end() ? TrackerRun{} : it->second;
  }
  Status StartTrackerConsole() override {
    log.push_back("console");
    return consoleStart;
  }
  bool ConsoleWindowExists() override {
    log.push_back("look");
    return consoleThere;
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
    return snapshot;
  }
  void ShellOpen(const std::string& target) override { log.push_back("open " + target); }
  void Sleep(unsigned ms) override { log.push_back("sleep " + std::to_string(ms)); }
  void AskAdministrator() override {
    log.push_back("admin dialog");
    if (adminGiven) {
      AcceptAdminInput(account, password);
    } else {
      CancelAdminInput();
    }
  }
  void SetInstallCaption(const std::string& caption) override { log.push_back("caption " + caption); }
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

const char kRequest[] =
    "open http://localhost:6969/users.html?us_login=boss&us_password=pw&us_password_verify=pw"
    "&us_email=admin%40localhost&us_access_view=on&us_access_dl=on&us_access_comments=on"
    "&us_access_upload=on&us_access_edit=on&us_access_admin=on&us_access_signup=on";

const std::vector<std::string> kRestart = {
    "close consoles", "run vexa.exe -stop", "sleep 1000", "run vexa.exe -U", "sleep 1000",
    "run vexa.exe -i", "sleep 1000",        "run vexa.exe -start"};

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(ServiceButtons, ShowTheirMessageAfterTheCommandAndWarnOnNonZeroExit) {
  RecordingHost host;
  RunServiceButton(host, *FindServiceButton(1006));
  EXPECT_THAT(host.log, ElementsAre("run vexa.exe -stop",
                                    "page box [Vexa后台服务] 16 Vexa后台服务已停止"));

  host.log.clear();
  host.runs["vexa.exe -i"] = TrackerRun{Status::Ok(), 1060};
  RunServiceButton(host, *FindServiceButton(1008));
  EXPECT_THAT(host.log,
              ElementsAre("run vexa.exe -i",
                          "page box [Vexa后台服务] 48 Vexa后台服务已安装，在下次系统启动时自动启动，"
                          "请在 管理工具-->服务 查看\n\n命令 \"vexa.exe -i\" 返回了代码 "
                          "1060，请检查操作是否成功。"));

  host.log.clear();
  host.runs["vexa.exe -U"] = TrackerRun{Status::Error("无法运行 C:\\p q\\vexa.exe"), 0};
  RunServiceButton(host, *FindServiceButton(1007));
  EXPECT_THAT(host.log, ElementsAre("run vexa.exe -U",
                                    "page box [Vexa后台服务] 16 无法运行 C:\\p q\\vexa.exe"));
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

TEST(ConsoleButtons, StartOpensTheTrackerAndCloseSaysWhenNothingRuns) {
  RecordingHost host;
  StartConsoleButton(host);
  host.consoleStart = Status::Error("无法运行");
  StartConsoleButton(host);
  host.consoleThere = false;
  CloseConsoleButton(host);
  host.consoleThere = true;
  CloseConsoleButton(host);
  host.closeResult.found = true;
  host.closeResult.notClosed = {"stuck", ""};
  CloseConsoleButton(host);
  EXPECT_THAT(host.log,
              ElementsAre("look port 6969", "console", "look port 6969", "console",
                          "page box [Vexa后台服务] 16 无法运行", "look",
                          "page box [提示] 64 没有运行Vexa!", "look", "close consoles", "look",
                          "close consoles",
                          "page box [提示] 48 以下控制台窗口未能关闭：\nstuck\n(无标题)"));
}

TEST(PortQuestion, AsksBeforeBothStartsOnlyWhenAnotherProgramHoldsThePort) {
  const std::string startMessage = "page box [Vexa后台服务] 64 Vexa后台服务已启动";
  const std::string question =
      "ask [Vexa服务器] 48 端口 7000 已被其他程序占用：httpd.exe (PID 44)。\n"
      "Vexa服务器可能无法在这个端口上监听。\n\n仍要启动吗?";
  RecordingHost host;
  host.config["port"] = "7000";
  host.snapshot.port = {PortUse::kOther, 44, "httpd.exe"};

  // Cancel starts nothing, neither the service nor the console.
  host.confirmPage = false;
  RunServiceButton(host, *FindServiceButton(1005));
  StartConsoleButton(host);
  EXPECT_THAT(host.log, ElementsAre("look port 7000", question, "look port 7000", question));

  host.log.clear();
  host.confirmPage = true;
  RunServiceButton(host, *FindServiceButton(1005));
  StartConsoleButton(host);
  EXPECT_THAT(host.log, ElementsAre("look port 7000", question, "run vexa.exe -start",
                                    startMessage, "look port 7000", question, "console"));

  // A running tracker of this directory holds it already: no question. Nor
  // for a free port, and never for the other switches or the restart.
  host.log.clear();
  host.snapshot.processes.consolePids = {9};
  StartConsoleButton(host);
  host.snapshot = TrackerSnapshot{};
  RunServiceButton(host, *FindServiceButton(1005));
  host.snapshot.port = {PortUse::kUnknownOwner, 0, ""};
  RunServiceButton(host, *FindServiceButton(1008));
  RestartButton(host);
  EXPECT_THAT(host.log, ElementsAreArray(Concat({{"look port 7000", "console", "look port 7000",
                                                  "run vexa.exe -start", startMessage},
                                                 {"run vexa.exe -i"},
                                                 {"page box [Vexa后台服务] 64 " +
                                                  std::string(kServiceButtons[0].message)},
                                                 kRestart})));
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
                                    "open http://localhost:8080/种子"));
}

TEST(BackupButton, ShowsTheDirectoryOrTheFileError) {
  RecordingHost host;
  BackupButton(host);
  host.backup = {Status::Error("Access to C:\\p\\a.vexa was denied."), ""};
  BackupButton(host);
  EXPECT_THAT(host.log,
              ElementsAre("backup", "app box 0 配置与数据文件已备份到目录：\nC:\\p\\备份\\1月2日3时4分5秒\\",
                          "backup", "app box 48 Access to C:\\p\\a.vexa was denied."));
}

TEST(RestartTracker, ClosesConsolesThenRunsFourSwitchesWithPausesAndShowsNothing) {
  RecordingHost host;
  RestartButton(host);
  EXPECT_THAT(host.log, ElementsAreArray(kRestart));

  // A non-zero exit status changes nothing here; only a tracker that did
  // not start ends the run, and that is said.
  host.log.clear();
  host.runs["vexa.exe -stop"] = TrackerRun{Status::Ok(), 1062};
  host.runs["vexa.exe -i"] = TrackerRun{Status::Error("无法运行"), 0};
  RestartButton(host);
  EXPECT_THAT(host.log, ElementsAre("close consoles", "run vexa.exe -stop", "sleep 1000",
                                    "run vexa.exe -U", "sleep 1000", "run vexa.exe -i",
                                    "page box [Vexa后台服务] 16 无法运行"));
}

TEST(OneClickInstallation, RunsEveryStepInOrderUpToTheFinalCaption) {
  RecordingHost host;
  host.config["port"] = "7000";
  RunOneClickInstallation(host);
  EXPECT_THAT(host.log,
              ElementsAreArray(Concat({
                  {std::string("confirm ") + kInstallConfirmText,
                   "caption 请耐心等待，正在初始化Vexa......", "save port=6969", "backup clearing",
                   "app box 0 旧的配置与数据文件已全部清空\nC:\\p\\备份\\1月2日3时4分5秒\\"},
                  kRestart,
                  {"admin dialog", kRequest, "sleep 1000", "app box 0 创建超级用户成功!安装完成!",
                   "caption 全自动初始化安装"},
              })));
  EXPECT_EQ(std::string(kInstallConfirmText),
            "安装程序将清空并同时备份原来的数据\n您可以使用这个一键搞定所有设置\n您确认要开始安装吗?");
}

TEST(OneClickInstallation, CancelOrAnEmptyValueLeavesWithoutRequest) {
  RecordingHost host;
  host.confirm = false;
  RunOneClickInstallation(host);
  EXPECT_THAT(host.log, ElementsAre(std::string("confirm ") + kInstallConfirmText));

  const std::vector<std::string> tail = {"admin dialog", "app box 0 您已经退出安装程序!",
                                         "caption 全自动初始化安装"};
  for (int answer = 0; answer < 3; ++answer) {
    RecordingHost h;
    h.adminGiven = answer != 0;
    if (answer == 1) h.password = "";
    if (answer == 2) h.account = "";
    RunOneClickInstallation(h);
    ASSERT_GE(h.log.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(h.log.end() - 3, h.log.end()), tail) << answer;
    EXPECT_EQ(h.log[3], "backup clearing");
  }
}

TEST(OneClickInstallation, StopsAtAFailedStepKeepingTheBusyCaption) {
  RecordingHost host;
  host.backup = {Status::Error("Access to C:\\p\\a.vexa was denied."), ""};
  RunOneClickInstallation(host);
  EXPECT_THAT(host.log, ElementsAre(std::string("confirm ") + kInstallConfirmText,
                                    "caption 请耐心等待，正在初始化Vexa......", "save port=6969",
                                    "backup clearing",
                                    "app box 48 Access to C:\\p\\a.vexa was denied."));

  RecordingHost unsaved;
  unsaved.saveResult = Status::Error("无法写入 vexa.cfg");
  RunOneClickInstallation(unsaved);
  EXPECT_THAT(unsaved.log, ElementsAre(std::string("confirm ") + kInstallConfirmText,
                                       "caption 请耐心等待，正在初始化Vexa......", "save port=6969",
                                       "app box 48 无法写入 vexa.cfg"));

  RecordingHost unstarted;
  unstarted.runs["vexa.exe -stop"] = TrackerRun{Status::Error("无法运行"), 0};
  RunOneClickInstallation(unstarted);
  EXPECT_EQ(unstarted.log.back(), "app box 48 无法运行");
  EXPECT_EQ(unstarted.log[unstarted.log.size() - 2], "run vexa.exe -stop");
}

TEST(OneClickInstallation, RequestGoesToPort6969WithTheAccountEncoded) {
  RecordingHost host;
  host.config["port"] = "81";
  host.account = "a&b=c 管";
  host.password = "%+#";
  RunOneClickInstallation(host);
  EXPECT_THAT(host.log,
              ::testing::Contains(
                  "open http://localhost:6969/users.html?us_login=a%26b%3Dc%20%B9%DC"
                  "&us_password=%25%2B%23&us_password_verify=%25%2B%23&us_email=admin%40localhost"
                  "&us_access_view=on&us_access_dl=on&us_access_comments=on&us_access_upload=on"
                  "&us_access_edit=on&us_access_admin=on&us_access_signup=on"));
}

}  // namespace
}  // namespace vexa
