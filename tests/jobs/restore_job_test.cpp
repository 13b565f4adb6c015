#include "jobs/restore_job.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "backup/backup_names.h"
#include "backup/backup_shelf.h"
#include "tests/jobs/recording_job.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;
using test::RecordingJob;

const char kChosen[] = "C:\\p\\备份\\2月1日0时0分0秒\\";
const char kPre[] = "C:\\p\\备份\\1月2日3时4分5秒\\";

TEST(RestoreButton, ChoosesChecksConfirmsReadsAgainBacksUpRestoresReloadsAndReports) {
  RecordingJob host;
  RestoreBackupJob(host);
  EXPECT_THAT(
      host.Calls(),
      ElementsAre("choose", "look port 6969",
                  std::string("confirm 确定要从以下备份恢复配置与数据文件吗？\n") + kChosen +
                      "\n\n恢复之前，当前的配置与数据文件会先备份到“备份”目录中的一个新目录。",
                  // The tracker looked at again after the question, and once
                  // more right before the first file is replaced.
                  "lock", "look port 6969", "list", "backup before restore",
                  std::string("restore ") + kChosen + " keeping " + kPre, "look port 6969",
                  // Released before the box, which may stay open for hours.
                  "unlock", "reload",
                  std::string("app box 64 已从备份恢复 3 个配置与数据文件：\n") + kChosen +
                      "\n\n恢复之前的配置与数据文件保存在目录：\n" + kPre));
  EXPECT_THAT(host.LogLines(),
              ElementsAre(std::string("恢复备份开始：") + kChosen,
                          std::string("恢复备份：当前文件已备份到 ") + kPre,
                          "恢复备份：已恢复 3 个文件，300 字节",
                          std::string("恢复备份完成：") + kChosen));
}

TEST(RestoreButton, CancelOrNothingChosenChangesNothing) {
  // Cancel in the dialog, a choice out of range, an empty list, Cancel at the confirmation.
  for (int way = 0; way < 4; ++way) {
    SCOPED_TRACE(way);
    RecordingJob host;
    if (way == 0) host.choice = -1;
    if (way == 1) host.choice = 2;
    if (way == 2) {
      host.folders.clear();
      host.choice = -1;
    }
    if (way == 3) host.confirm = false;
    RestoreBackupJob(host);
    for (const std::string& call : host.Calls()) {
      EXPECT_EQ(call.rfind("backup", 0), std::string::npos) << call;
      EXPECT_EQ(call.rfind("restore", 0), std::string::npos) << call;
      EXPECT_EQ(call.rfind("box", 0), std::string::npos) << call;
      EXPECT_NE(call, "reload");
      EXPECT_TRUE(way == 3 || call.rfind("look", 0) != 0);
    }
    EXPECT_TRUE(host.LogLines().empty());
  }
  // A folder without anything to restore says so and stops.
  RecordingJob host;
  host.folders = {{"空", 5, 0, 0}};
  RestoreBackupJob(host);
  EXPECT_THAT(host.Calls(), ElementsAre("choose",
                                      std::string("app box 48 ") + kRestoreEmptyFolderText +
                                          "C:\\p\\备份\\空\\"));
}

// Looked at before the question (no question is asked that could only be
// refused), after it, and right before the first file is replaced: a
// console started meanwhile stops the restore with nothing replaced.
TEST(RestoreButton, RefusesWhileTheTrackerRunsOrWhenThatCannotBeTold) {
  TrackerSnapshot console;
  console.processes.consolePids = {42};
  for (std::size_t look = 0; look < 3; ++look) {
    SCOPED_TRACE(look);
    RecordingJob host;
    host.snapshots.assign(look, TrackerSnapshot{});
    host.snapshots.push_back(console);
    RestoreBackupJob(host);
    const std::vector<std::string> calls = host.Calls();
    EXPECT_EQ(calls.back(),
              "app box 48 Vexa服务器正在运行，没有恢复备份。\n请先停止后台服务并关闭Vexa控制台窗口，"
              "然后再恢复。\n\n服务：未安装\n控制台：运行中 (PID 42)");
    EXPECT_EQ(calls.size(), std::vector<std::size_t>({3, 7, 11})[look]);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "unlock"), look == 0 ? 0 : 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "reload"), 0);
    EXPECT_EQ(host.LogLines().back(),
              std::string("恢复备份已拒绝：") + kChosen +
                  "：Vexa服务器正在运行，没有恢复备份。 请先停止后台服务并关闭"
                  "Vexa控制台窗口，然后再恢复。  服务：未安装 控制台：运行中 (PID 42)");
  }

  RecordingJob host;
  host.snapshot.processes.processesRead = false;
  RestoreBackupJob(host);
  ASSERT_EQ(host.Calls().size(), 3u);
  EXPECT_EQ(host.Calls()[2],
            "app box 48 无法确定Vexa服务器是否正在运行，没有恢复备份：\n无法读取正在运行的进程列表。");
}

TEST(RestoreButton, FailuresStopAndSayWhereThePreviousStateIs) {
  // A drive too full for the backup first: its figures come first.
  BackupOutcome refused{Status::Error(DiskSpaceShortText(std::uint64_t{1024} * 1024, 0)), "", 0, 0, false, true};
  EXPECT_EQ(RestoreBackupFailedText(refused).rfind("磁盘空间不足：备份需要 1.0 MB，磁盘只剩 0 字节", 0), 0u);

  // The backup of the current files fails: nothing is copied.
  RecordingJob host;
  host.backup = {Status::Error("The disk is full while accessing C:\\p\\备份\\x\\users.vexa."), ""};
  RestoreBackupJob(host);
  ASSERT_EQ(host.Calls().size(), 9u);
  EXPECT_EQ(host.Calls()[7], "unlock");
  EXPECT_EQ(host.Calls()[8],
            "app box 48 未能先备份当前的配置与数据文件，没有恢复任何文件：\nThe disk is full while "
            "accessing C:\\p\\备份\\x\\users.vexa.");

  // The copy fails and everything was put back: no reload.
  host = RecordingJob();
  host.restore = {Status::Error("The disk is full while accessing C:\\p\\users.vexa.restore.tmp."),
                  0, 0, {}};
  RestoreBackupJob(host);
  ASSERT_EQ(host.Calls().size(), 11u);
  EXPECT_EQ(host.Calls()[10],
            std::string("app box 48 恢复备份失败：\nThe disk is full while accessing "
                        "C:\\p\\users.vexa.restore.tmp.\n\n当前的配置与数据文件都保持原样。\n"
                        "恢复之前的配置与数据文件保存在目录：\n") + kPre);
  EXPECT_EQ(host.LogLines().back(),
            "恢复备份失败：The disk is full while accessing C:\\p\\users.vexa.restore.tmp."
            "；当前文件保持原样");

  // Files that could not be put back are named, and the pages show what is on disk.
  host = RecordingJob();
  host.restore = {Status::Error("Access to C:\\p\\tags.vexa was denied."), 1, 10,
                  {"users.vexa", "vexa.cfg"}};
  RestoreBackupJob(host);
  ASSERT_EQ(host.Calls().size(), 12u);
  EXPECT_EQ(host.Calls()[10], "reload");
  EXPECT_EQ(host.Calls()[11],
            std::string("app box 48 恢复备份失败：\nAccess to C:\\p\\tags.vexa was denied.\n\n"
                        "以下文件已是备份中的内容，未能改回：\nusers.vexa\nvexa.cfg\n"
                        "恢复之前的配置与数据文件保存在目录：\n") + kPre);

  // Restored, but vexa.cfg could not be read again: said, with the warning icon.
  host = RecordingJob();
  host.reload = Status::Error("Access to C:\\p\\vexa.cfg was denied.");
  RestoreBackupJob(host);
  ASSERT_EQ(host.Calls().size(), 12u);
  EXPECT_EQ(host.Calls()[11],
            std::string("app box 48 已从备份恢复 3 个配置与数据文件：\n") + kChosen +
                "\n\n恢复之前的配置与数据文件保存在目录：\n" + kPre +
                "\n\n未能重新读取 vexa.cfg，各设置页仍显示恢复之前的设置，请重新启动本程序：\n"
                "Access to C:\\p\\vexa.cfg was denied.");
  EXPECT_EQ(host.LogLines()[3], "恢复备份：未能重新读取 vexa.cfg：Access to C:\\p\\vexa.cfg was denied.");

  // An empty program directory has nothing to keep: the restore goes on
  // without a backup of its own and says so.
  host = RecordingJob();
  host.backup = {Status::Error(NothingToBackUpText("C:\\p\\")), ""};
  host.backup.nothing = true;
  host.backup.configMissing = true;
  RestoreBackupJob(host);
  ASSERT_EQ(host.Calls().size(), 12u);
  EXPECT_EQ(host.Calls()[7], std::string("restore ") + kChosen + " keeping ");
  EXPECT_EQ(host.Calls()[11], std::string("app box 64 已从备份恢复 3 个配置与数据文件：\n") + kChosen +
                               "\n\n恢复之前程序目录中没有配置与数据文件，无需先备份。");
  EXPECT_EQ(host.LogLines()[1], "恢复备份：程序目录中没有配置与数据文件，无需先备份");

  // Another panel, or the nightly backup, is copying: nothing is read or copied.
  host = RecordingJob();
  host.lockFree = false;
  RestoreBackupJob(host);
  ASSERT_EQ(host.Calls().size(), 5u);
  EXPECT_EQ(host.Calls()[3], "lock refused");
  EXPECT_EQ(host.Calls()[4], std::string("app box 48 ") + kDataJobBusyText);
}

// The folder is read again after the confirmation, and the final box says
// what the restore really took.
TEST(RestoreButton, TheFolderAsItIsAfterTheConfirmationDecides) {
  const struct Case {
    std::vector<BackupFolder> later;
    std::vector<std::string> restored;
    std::string lastCall;
  } cases[] = {
      {{}, {}, std::string("app box 48 所选的备份目录已不存在，没有恢复任何文件：\n") + kChosen},
      {{{"2月1日0时0分0秒", 2, 0, 0}}, {}, std::string("app box 48 ") + kRestoreEmptyFolderText + kChosen},
      {{{"2月1日0时0分0秒", 2, 2, 300, {"vexa.cfg", "users.vexa"}}}, {"vexa.cfg", "new.vexa"},
       std::string("app box 48 已从备份恢复 2 个配置与数据文件：\n") + kChosen +
           "\n\n备份目录在恢复时已与开始时不同：\n没有恢复（已不在备份目录中）：users.vexa"
           "\n另外恢复了（开始后才出现）：new.vexa\n\n恢复之前的配置与数据文件保存在目录：\n" +
           kPre + "\n（恢复之前没有 vexa.cfg）"},
  };
  for (const Case& c : cases) {
    RecordingJob host;
    host.foldersLater = c.later;
    host.restore = {Status::Ok(), static_cast<int>(c.restored.size()), 300, {}, c.restored};
    host.backup.configMissing = true;
    RestoreBackupJob(host);
    EXPECT_EQ(host.Calls().back(), c.lastCall);
    // Nothing at all is done for a folder that is gone or empty.
      const std::vector<std::string> calls = host.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "backup before restore"), c.restored.empty() ? 0 : 1);
  }
}

}  // namespace
}  // namespace vexa
