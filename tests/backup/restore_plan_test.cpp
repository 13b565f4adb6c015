#include "backup/restore_plan.h"

#include "backup/backup_names.h"
#include "backup/backup_shelf.h"

#include <algorithm>
#include <optional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vexa {
namespace {

using ::testing::ElementsAre;

TEST(RestorePlan, TakesBackOnlyWhatABackupHolds) {
  struct Row {
    const char* name;
    bool restorable;
  } const rows[] = {
      {"vexa.cfg", true},      {"VEXA.CFG", true},        {"users.vexa", true},
      {"Tags.VeXa", true},     {"用户 嘰.vexa", true},     {".vexa", false},
      {"vexa.cfg.bak", false}, {"users.vexa.tmp", false}, {"VexaPanel.exe", false},
      {"notes.txt", false},    {"xvexa.cfg", false},      {"vexa", false},
  };
  for (const Row& row : rows) EXPECT_EQ(IsRestorableFileName(row.name), row.restorable) << row.name;
  EXPECT_EQ(RestoreTemporaryName("users.vexa"), "users.vexa.restore.tmp");
  EXPECT_FALSE(IsRestorableFileName(RestoreTemporaryName("users.vexa")));
}

TEST(RestorePlan, ListsNewestFirstWithCountAndSize) {
  std::vector<BackupFolder> folders = {
      {"1月2日3时4分5秒", 100, 2, 10},
      {"手工备份", 300, 1, 2048},
      {"12月6日5时59分9秒 0", 200, 3, 1536},
      {"12月6日5时59分9秒 0 1", 200, 3, 1536},
      {"12月6日5时59分9秒", 200, 3, 1536},
      {"12月6日5时59分10秒", 200, 0, 0},  // same creation time: the later stamp first
  };
  SortNewestFirst(folders);
  std::vector<std::string> names;
  names.reserve(folders.size());
  for (const BackupFolder& folder : folders) names.push_back(folder.name);
  EXPECT_THAT(names, ElementsAre("手工备份", "12月6日5时59分10秒", "12月6日5时59分9秒 0 1",
                                 "12月6日5时59分9秒 0", "12月6日5时59分9秒", "1月2日3时4分5秒"));
  EXPECT_EQ(BackupListEntry(folders[2]), "12月6日5时59分9秒 0 1\t3 个文件\t1.5 KB");
  EXPECT_EQ(BackupListEntry(folders[1]), "12月6日5时59分10秒\t0 个文件\t0 字节");
  folders[1].beforeRestore = true;
  EXPECT_EQ(BackupListEntry(folders[1]), "12月6日5时59分10秒（恢复前自动备份）\t0 个文件\t0 字节");
}

TEST(RestorePlan, TellsWhetherThisDirectorysTrackerRuns) {
  const std::string tracker = "C:\\程序 嘰\\vexa.exe";
  const ProcessEntry panel{10, "VexaPanel.exe", ""};
  const ProcessEntry otherTracker{11, "vexa.exe", "C:\\其他\\vexa.exe"};
  struct Row {
    const char* what;
    SystemTables tables;
    bool known, running;
    const char* detail;
  } const rows[] = {
      {"nothing of ours", {{}, {panel, otherTracker}, {}}, true, false, ""},
      {"a console", {{}, {panel, {42, "VEXA.EXE", "c:\\程序 嘰\\VEXA.exe"}}, {}}, true, true,
       "服务：未安装\n控制台：运行中 (PID 42)"},
      {"a service starting",
       {{{"vexa", tracker, ServiceState::kStartPending, 0}}, {panel}, {}}, true, true,
       "服务：正在启动\n控制台：未运行"},
      {"a stopped service", {{{"vexa", tracker, ServiceState::kStopped, 0}}, {panel}, {}}, true,
       false, ""},
      {"no process list", {}, false, false, "无法读取正在运行的进程列表。"},
      {"a tracker hiding its path", {{}, {panel, otherTracker, {12, "Vexa.exe", ""}}, {}}, false,
       false, "无法读取进程 Vexa.exe (PID 12) 的程序路径，它可能是本目录的Vexa服务器。"},
  };
  for (const Row& row : rows) {
    const TrackerRunCheck check = JudgeTrackerRun(FindTrackerProcesses(tracker, row.tables));
    EXPECT_EQ(check.known, row.known) << row.what;
    EXPECT_EQ(check.running, row.running) << row.what;
    EXPECT_EQ(check.detail, row.detail) << row.what;
  }
}

// Writes down every call in order and answers from a script.
class RecordingRestoreHost : public RestoreHost {
 public:
  std::vector<std::string> calls;
  std::vector<std::string> logLines;
  // As the dialog shows them: newest first.
  std::vector<BackupFolder> folders = {
      {"2月1日0时0分0秒", 2, 3, 300, {"vexa.cfg", "users.vexa", "tags.vexa"}},
      {"1月1日0时0分0秒", 1, 2, 100, {"vexa.cfg", "users.vexa"}}};
  // The list read again after the confirmation; as the dialog's without one.
  std::optional<std::vector<BackupFolder>> foldersLater;
  int choice = 0;
  std::vector<bool> confirms = {true};
  TrackerRunCheck running;
  BackupOutcome backup{Status::Ok(), "C:\\p\\备份\\3月1日0时0分0秒\\"};
  RestoreOutcome restore{Status::Ok(), 3, 300, {}, {"vexa.cfg", "users.vexa", "tags.vexa"}};
  Status reload;

  std::string BackupRoot() override { return "C:\\p\\备份\\"; }
  std::vector<BackupFolder> ListBackupFolders() override {
    calls.push_back("list");
    return foldersLater ? *foldersLater : folders;
  }
  std::optional<BackupFolder> ChooseBackup() override {
    calls.push_back("choose");
    if (choice < 0 || choice >= static_cast<int>(folders.size())) return std::nullopt;
    return folders[static_cast<std::size_t>(choice)];
  }
  bool ConfirmAppMessage(const std::string& text) override {
    calls.push_back("confirm " + text);
    bool answer = confirms.empty() ? false : confirms.front();
    if (!confirms.empty()) confirms.erase(confirms.begin());
    return answer;
  }
  void ShowAppMessage(const std::string& text, unsigned icon) override {
    calls.push_back("box " + std::to_string(icon) + " " + text);
  }
  TrackerRunCheck CheckTrackerRuns() override {
    calls.push_back("check tracker");
    return running;
  }
  bool lockFree = true;
  bool TakeJobLock() override {
    calls.push_back(lockFree ? "lock" : "lock refused");
    return lockFree;
  }
  void ReleaseJobLock() override { calls.push_back("unlock"); }
  BackupOutcome BackupCurrentFiles() override {
    calls.push_back("backup");
    return backup;
  }
  RestoreOutcome RestoreFiles(const std::string& folder, const std::string& pre) override {
    calls.push_back("restore " + folder + " keeping " + pre);
    return restore;
  }
  Status ReloadConfiguration() override {
    calls.push_back("reload");
    return reload;
  }
  void Log(const std::string& line) override {
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    logLines.push_back(line);
  }
};

const char kChosen[] = "C:\\p\\备份\\2月1日0时0分0秒\\";
const char kPre[] = "C:\\p\\备份\\3月1日0时0分0秒\\";

TEST(RestoreButton, ChoosesChecksConfirmsReadsAgainBacksUpRestoresReloadsAndReports) {
  RecordingRestoreHost host;
  RestoreBackupButton(host);
  EXPECT_THAT(
      host.calls,
      ElementsAre("choose",
                  "check tracker",
                  std::string("confirm 确定要从以下备份恢复配置与数据文件吗？\n") + kChosen +
                      "\n\n恢复之前，当前的配置与数据文件会先备份到“备份”目录中的一个新目录。",
                  "lock", "list", "backup",
                  std::string("restore ") + kChosen + " keeping " + kPre,
                  // Released before the box, which may stay open for hours.
                  "unlock", "reload",
                  std::string("box 64 已从备份恢复 3 个配置与数据文件：\n") + kChosen +
                      "\n\n恢复之前的配置与数据文件保存在目录：\n" + kPre));
  EXPECT_THAT(host.logLines,
              ElementsAre(std::string("恢复备份开始：") + kChosen,
                          std::string("恢复备份：当前文件已备份到 ") + kPre,
                          "恢复备份：已恢复 3 个文件，300 字节",
                          std::string("恢复备份完成：") + kChosen));
}

TEST(RestoreButton, CancelOrNothingChosenChangesNothing) {
  // Cancel in the dialog, a choice out of range, an empty list, Cancel at the confirmation.
  for (int way = 0; way < 4; ++way) {
    SCOPED_TRACE(way);
    RecordingRestoreHost host;
    if (way == 0) host.choice = -1;
    if (way == 1) host.choice = 2;
    if (way == 2) {
      host.folders.clear();
      host.choice = -1;
    }
    if (way == 3) host.confirms = {false};
    RestoreBackupButton(host);
    for (const std::string& call : host.calls) {
      EXPECT_EQ(call.rfind("backup", 0), std::string::npos) << call;
      EXPECT_EQ(call.rfind("restore", 0), std::string::npos) << call;
      EXPECT_EQ(call.rfind("box", 0), std::string::npos) << call;
      EXPECT_NE(call, "reload");
      EXPECT_TRUE(way == 3 || call != "check tracker");
    }
    EXPECT_TRUE(host.logLines.empty());
  }
  // A folder without anything to restore says so and stops.
  RecordingRestoreHost host;
  host.folders = {{"空", 5, 0, 0}};
  RestoreBackupButton(host);
  EXPECT_THAT(host.calls, ElementsAre("choose",
                                      std::string("box 48 ") + kRestoreEmptyFolderText +
                                          "C:\\p\\备份\\空\\"));
}

TEST(RestoreButton, RefusesWhileTheTrackerRunsOrWhenThatCannotBeTold) {
  RecordingRestoreHost host;
  // Before the confirmation: no question is asked that could only be refused.
  host.running = {true, true, "控制台：运行中 (PID 42)"};
  RestoreBackupButton(host);
  ASSERT_EQ(host.calls.size(), 3u);
  EXPECT_EQ(host.calls[1], "check tracker");
  EXPECT_EQ(host.calls[2],
            "box 48 Vexa服务器正在运行，没有恢复备份。\n请先停止后台服务并关闭Vexa控制台窗口，"
            "然后再恢复。\n\n控制台：运行中 (PID 42)");
  EXPECT_THAT(host.logLines,
              ElementsAre(std::string("恢复备份已拒绝：") + kChosen +
                          "：Vexa服务器正在运行，没有恢复备份。 请先停止后台服务并关闭"
                          "Vexa控制台窗口，然后再恢复。  控制台：运行中 (PID 42)"));

  host = RecordingRestoreHost();
  host.running = {false, false, "拒绝访问。"};
  RestoreBackupButton(host);
  ASSERT_EQ(host.calls.size(), 3u);
  EXPECT_EQ(host.calls[2], "box 48 无法确定Vexa服务器是否正在运行，没有恢复备份：\n拒绝访问。");
}

TEST(RestoreButton, FailuresStopAndSayWhereThePreviousStateIs) {
  // The backup of the current files fails: nothing is copied.
  RecordingRestoreHost host;
  host.backup = {Status::Error("The disk is full while accessing C:\\p\\备份\\x\\users.vexa."), ""};
  RestoreBackupButton(host);
  ASSERT_EQ(host.calls.size(), 8u);
  EXPECT_EQ(host.calls[6], "unlock");
  EXPECT_EQ(host.calls[7],
            "box 48 未能先备份当前的配置与数据文件，没有恢复任何文件：\nThe disk is full while "
            "accessing C:\\p\\备份\\x\\users.vexa.");

  // The copy fails and everything was put back: no reload.
  host = RecordingRestoreHost();
  host.restore = {Status::Error("The disk is full while accessing C:\\p\\users.vexa.restore.tmp."),
                  0, 0, {}};
  RestoreBackupButton(host);
  ASSERT_EQ(host.calls.size(), 9u);
  EXPECT_EQ(host.calls[8],
            std::string("box 48 恢复备份失败：\nThe disk is full while accessing "
                        "C:\\p\\users.vexa.restore.tmp.\n\n当前的配置与数据文件都保持原样。\n"
                        "恢复之前的配置与数据文件保存在目录：\n") + kPre);
  EXPECT_EQ(host.logLines.back(),
            "恢复备份失败：The disk is full while accessing C:\\p\\users.vexa.restore.tmp."
            "；当前文件保持原样");

  // Files that could not be put back are named, and the pages show what is on disk.
  host = RecordingRestoreHost();
  host.restore = {Status::Error("Access to C:\\p\\tags.vexa was denied."), 1, 10,
                  {"users.vexa", "vexa.cfg"}};
  RestoreBackupButton(host);
  ASSERT_EQ(host.calls.size(), 10u);
  EXPECT_EQ(host.calls[8], "reload");
  EXPECT_EQ(host.calls[9],
            std::string("box 48 恢复备份失败：\nAccess to C:\\p\\tags.vexa was denied.\n\n"
                        "以下文件已是备份中的内容，未能改回：\nusers.vexa\nvexa.cfg\n"
                        "恢复之前的配置与数据文件保存在目录：\n") + kPre);

  // Restored, but vexa.cfg could not be read again: said, with the warning icon.
  host = RecordingRestoreHost();
  host.reload = Status::Error("Access to C:\\p\\vexa.cfg was denied.");
  RestoreBackupButton(host);
  ASSERT_EQ(host.calls.size(), 10u);
  EXPECT_EQ(host.calls[9],
            std::string("box 48 已从备份恢复 3 个配置与数据文件：\n") + kChosen +
                "\n\n恢复之前的配置与数据文件保存在目录：\n" + kPre +
                "\n\n未能重新读取 vexa.cfg，各设置页仍显示恢复之前的设置，请重新启动本程序：\n"
                "Access to C:\\p\\vexa.cfg was denied.");
  EXPECT_EQ(host.logLines[3], "恢复备份：未能重新读取 vexa.cfg：Access to C:\\p\\vexa.cfg was denied.");

  // Another panel, or the nightly backup, is copying: nothing is read or copied.
  host = RecordingRestoreHost();
  host.lockFree = false;
  RestoreBackupButton(host);
  ASSERT_EQ(host.calls.size(), 5u);
  EXPECT_EQ(host.calls[3], "lock refused");
  EXPECT_EQ(host.calls[4], std::string("box 48 ") + kDataJobBusyText);
}

// An empty program directory has nothing to keep: the restore goes on
// without a backup of its own and says so.
TEST(RestoreButton, NothingToBackUpFirstIsNoReasonToStop) {
  RecordingRestoreHost host;
  host.backup = {Status::Error(NothingToBackUpText("C:\\p\\")), ""};
  host.backup.nothing = true;
  host.backup.configMissing = true;
  RestoreBackupButton(host);
  ASSERT_EQ(host.calls.size(), 10u);
  EXPECT_EQ(host.calls[6], std::string("restore ") + kChosen + " keeping ");
  EXPECT_EQ(host.calls[9], std::string("box 64 已从备份恢复 3 个配置与数据文件：\n") + kChosen +
                               "\n\n恢复之前程序目录中没有配置与数据文件，无需先备份。");
  EXPECT_EQ(host.logLines[1], "恢复备份：程序目录中没有配置与数据文件，无需先备份");
}

// The folder is read again after the confirmation, and the final box says
// what the restore really took.
TEST(RestoreButton, TheFolderAsItIsAfterTheConfirmationDecides) {
  const struct Case {
    std::vector<BackupFolder> later;
    std::vector<std::string> restored;
    std::string lastCall;
  } cases[] = {
      {{}, {}, std::string("box 48 所选的备份目录已不存在，没有恢复任何文件：\n") + kChosen},
      {{{"2月1日0时0分0秒", 2, 0, 0}}, {}, std::string("box 48 ") + kRestoreEmptyFolderText + kChosen},
      {{{"2月1日0时0分0秒", 2, 2, 300, {"vexa.cfg", "users.vexa"}}}, {"vexa.cfg", "new.vexa"},
       std::string("box 48 已从备份恢复 2 个配置与数据文件：\n") + kChosen +
           "\n\n备份目录在恢复时已与开始时不同：\n没有恢复（已不在备份目录中）：users.vexa"
           "\n另外恢复了（开始后才出现）：new.vexa\n\n恢复之前的配置与数据文件保存在目录：\n" +
           kPre + "\n（恢复之前没有 vexa.cfg）"},
  };
  for (const Case& c : cases) {
    RecordingRestoreHost host;
    host.foldersLater = c.later;
    host.restore = {Status::Ok(), static_cast<int>(c.restored.size()), 300, {}, c.restored};
    host.backup.configMissing = true;
    RestoreBackupButton(host);
    EXPECT_EQ(host.calls.back(), c.lastCall);
    // Nothing at all is done for a folder that is gone or empty.
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "backup"), c.restored.empty() ? 0 : 1);
  }
}

}  // namespace
}  // namespace vexa
