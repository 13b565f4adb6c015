// VexaPanel.exe /backup [/keep N] as a scheduled task runs it: no window,
// an exit code, the folders it leaves and the lines it logs and prints; and
// the lock it shares with the panels of its directory.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backup/backup_shelf.h"
#include "backup/backup_shelf_win32.h"
#include "base/wide_text.h"
#include "resources/resource.h"
#include "tests/e2e/driver.h"

namespace vexa::e2e {
namespace {

using testing::HasSubstr;

// A folder below 备份\ with one file; made in order, so that each is newer
// than the one before.
void MakeBackupFolder(const ProgramDir& dir, const std::string& name,
                      const std::string& file = "vexa.cfg") {
  CreateDirectoryW(Wide(dir.File("备份")).c_str(), nullptr);
  CreateDirectoryW(Wide(dir.File("备份\\" + name)).c_str(), nullptr);
  ASSERT_TRUE(dir.Write("备份\\" + name + "\\" + file, "old"));
}

// The folders and files directly below 备份\.
std::vector<std::string> BackupEntries(const ProgramDir& dir) {
  return DirectoryEntries(dir.File("备份\\"));
}

std::string LogText(const ProgramDir& dir) {
  std::string text;
  for (const std::string& line : dir.ActionLog()) text += line + "\n";
  return text;
}

TEST(CommandLine, BackupKeepsTheNewestTwoAndNothingElseIsTouched) {
  ProgramDir dir("命令行 备份");
  ASSERT_TRUE(dir.Ready());
  ASSERT_TRUE(dir.Write("vexa.cfg", "port = 6969\r\n"));
  ASSERT_TRUE(dir.Write("users.vexa", "users"));
  MakeBackupFolder(dir, "5月1日0时0分0秒", "说明.txt");  // oldest, but holds a note of the user's
  MakeBackupFolder(dir, "1月1日0时0分0秒");
  MakeBackupFolder(dir, "手工备份");
  MakeBackupFolder(dir, "2月1日0时0分0秒 0");
  MakeBackupFolder(dir, "1月1日0时0分0秒（旧）");
  MakeBackupFolder(dir, "3月1日0时0分0秒");
  ASSERT_TRUE(dir.Write("备份\\4月1日0时0分0秒", "a file named like a backup"));
  const std::vector<std::string> before = BackupEntries(dir);

  const CommandRun run = RunPanelCommand(dir, "/backup /keep 2");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_THAT(run.output, HasSubstr("配置与数据文件已备份到目录：\n" + dir.File("备份\\")));

  // The new backup and 3月 are the newest two; 2月 and 1月 are gone, the
  // rest is not the panel's (the copy itself is the button's backup).
  std::vector<std::string> left = BackupEntries(dir);
  std::string made;
  for (const std::string& name : left) {
    if (std::find(before.begin(), before.end(), name) == before.end()) made = name;
  }
  ASSERT_FALSE(made.empty());
  EXPECT_EQ(dir.Read("备份\\" + made + "\\users.vexa"), "users");
  EXPECT_THAT(left, testing::UnorderedElementsAre(made, "3月1日0时0分0秒", "5月1日0时0分0秒",
                                                  "手工备份", "1月1日0时0分0秒（旧）",
                                                  "4月1日0时0分0秒"));

  const std::string log = LogText(dir);
  EXPECT_THAT(log, HasSubstr("删除备份：" + dir.File("备份\\2月1日0时0分0秒 0\\") + "（1 个文件，3 字节）"));
  EXPECT_THAT(log, HasSubstr("保留旧备份 " + dir.File("备份\\5月1日0时0分0秒\\")));
  EXPECT_THAT(log, HasSubstr("命令行运行结束，退出码 0"));
}

TEST(CommandLine, WrongArgumentsExitWith2AndABusyDirectoryWith1) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  ASSERT_TRUE(dir.Write("users.vexa", "users"));

  CommandRun run = RunPanelCommand(dir, "/backup /bogus");
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_THAT(run.output, HasSubstr("无法识别的参数“/bogus”\n用法：VexaPanel.exe /backup [/keep N]"));
  EXPECT_FALSE(dir.Exists("备份"));
  EXPECT_THAT(LogText(dir), HasSubstr("命令行参数有误：无法识别的参数“/bogus”"));

  {
    // Another panel of this directory in the middle of a job.
    const DataJobLock job(dir.Path());
    ASSERT_TRUE(job.Held());
    run = RunPanelCommand(dir, "/backup");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_THAT(run.output, HasSubstr(kDataJobBusyText));
    // A panel's own backup waits its turn as well.
    Panel panel;
    ASSERT_TRUE(panel.Start(dir));
    ClickItem(panel.Page(0), IDC_SVC_BACKUP);
    const auto box = WaitForMessageBox(panel.Pid(), panel.Main());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, kDataJobBusyText);
    PressButton(*box, IDOK);
    EXPECT_FALSE(dir.Exists("备份"));
  }
}

}  // namespace
}  // namespace vexa::e2e
