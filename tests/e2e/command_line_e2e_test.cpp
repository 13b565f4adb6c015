// VexaPanel.exe /backup [/keep N] as a scheduled task runs it: no window,
// an exit code, the folders it leaves and the lines it logs and prints; and
// the lock it shares with the panels of its directory.
#include <windows.h>
#include <sddl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/panel_command.h"
#include "backup/backup_shelf.h"
#include "backup/backup_shelf_win32.h"
#include "base/scoped_handles_win32.h"
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

// The folders and files directly below 备份\, sorted.
std::vector<std::string> BackupEntries(const ProgramDir& dir) {
  std::vector<std::string> entries = DirectoryEntries(dir.File("备份\\"));
  std::sort(entries.begin(), entries.end());
  return entries;
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

TEST(CommandLine, HelpExitsWith0WrongArgumentsWith2AndABusyDirectoryWith1) {
  ProgramDir dir("拖放 文件");
  ASSERT_TRUE(dir.Ready());
  ASSERT_TRUE(dir.Write("users.vexa", "users"));

  CommandRun run = RunPanelCommand(dir, "/?");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output, std::string(kPanelUsageText) + "\r\n");
  EXPECT_FALSE(dir.Exists("VexaPanel.log"));

  run = RunPanelCommand(dir, "/backup /bogus");
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
    // A panel's own backup waits its turn as well; this one is started as
    // Explorer starts it for a file dropped on the program.
    Panel panel;
    PanelOptions dropped;
    dropped.arguments = "\"" + dir.File("users.vexa") + "\"";
    ASSERT_TRUE(panel.Start(dir, dropped));
    EXPECT_TRUE(dir.WaitForLogLine("启动参数“" + dir.File("users.vexa") + "”不是开关，已忽略"));
    ClickItem(panel.Page(0), IDC_SVC_BACKUP);
    const auto box = WaitForMessageBox(panel.Pid(), panel.Main());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, kDataJobBusyText);
    PressButton(*box, IDOK);
    EXPECT_FALSE(dir.Exists("备份"));
  }
}

TEST(CommandLine, AnOldBackupThatCannotBeDeletedExitsWith3) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  ASSERT_TRUE(dir.Write("users.vexa", "users"));
  MakeBackupFolder(dir, "1月1日0时0分0秒");
  MakeBackupFolder(dir, "2月1日0时0分0秒");
  // Held without sharing, as a virus scanner or an editor may hold it.
  ScopedHandle file(CreateFileW(Wide(dir.File("备份\\1月1日0时0分0秒\\vexa.cfg")).c_str(),
                                GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  const CommandRun run = RunPanelCommand(dir, "/backup /keep 1");
  file.Reset();
  EXPECT_EQ(run.exitCode, 3u) << run.output;
  // The new one and what is left of the held one, renamed so that it no
  // longer lists as a backup (under Windows the rename itself is refused
  // while a file inside is open, and the backup stays whole).
  EXPECT_THAT(BackupEntries(dir), testing::Contains("~正在删除 1月1日0时0分0秒"));
  EXPECT_EQ(BackupEntries(dir).size(), 2u);
  EXPECT_FALSE(dir.Exists("备份\\2月1日0时0分0秒"));
}

// Sets a file's or folder's last write, which Wine also reports as its
// creation, to 1 month of 2030: a clock set back, or folders copied in.
void SetFutureTime(const std::string& path, WORD month) {
  const ScopedHandle handle(CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  SYSTEMTIME when = {2030, month, 0, 1, 0, 0, 0, 0};
  FILETIME time;
  ASSERT_TRUE(handle && SystemTimeToFileTime(&when, &time) &&
              SetFileTime(handle.Get(), &time, nullptr, &time))
      << path;
}

// What a nightly task must never do: count an empty backup, delete the
// backup it has just made, or a restore's own backup. (A half-made one is
// never left to count: tests/backup.)
TEST(CommandLine, NoBackupIsLostToAnEmptyDirectoryOrTheClock) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  MakeBackupFolder(dir, "1月1日0时0分0秒");
  MakeBackupFolder(dir, "2月1日0时0分0秒");
  MakeBackupFolder(dir, "3月1日0时0分0秒", "恢复前自动备份.txt");
  ASSERT_TRUE(dir.Write("备份\\3月1日0时0分0秒\\users.vexa", "replaced by a restore"));
  const std::vector<std::string> three = BackupEntries(dir);

  // Nothing to back up: no folder, /keep does not run, exit 1.
  CommandRun run = RunPanelCommand(dir, "/backup /keep 1");
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_THAT(run.output, HasSubstr("没有可备份的文件：程序目录中既没有 vexa.cfg，也没有数据文件（*.vexa）。\n" +
                                    dir.Path()));
  EXPECT_EQ(BackupEntries(dir), three);

  // The two old backups lie in the future: the new one still counts as the newest.
  for (const auto& [name, month] : {std::pair("1月1日0时0分0秒", 1), {"2月1日0时0分0秒", 2}}) {
    SetFutureTime(dir.File("备份\\" + std::string(name) + "\\vexa.cfg"), static_cast<WORD>(month));
    SetFutureTime(dir.File("备份\\" + std::string(name)), static_cast<WORD>(month));
  }
  ASSERT_TRUE(dir.Write("users.vexa", "users"));
  run = RunPanelCommand(dir, "/backup /keep 2");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(BackupEntries(dir).size(), 3u) << run.output;
  EXPECT_FALSE(dir.Exists("备份\\1月1日0时0分0秒"));
  EXPECT_TRUE(dir.Exists("备份\\2月1日0时0分0秒"));
  EXPECT_EQ(dir.Read("备份\\3月1日0时0分0秒\\users.vexa"), "replaced by a restore");
  EXPECT_THAT(LogText(dir), HasSubstr("保留旧备份 " + dir.File("备份\\3月1日0时0分0秒\\") +
                                      "：它是恢复前自动做的备份"));

}

// From a shortcut: no console to borrow, no output redirected. cmd without
// a console of its own plays Explorer's part as the parent.
TEST(CommandLine, WithoutAConsoleAWrongSwitchShowsTheUsageInABox) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;  // and none of them
  std::wstring line = L"cmd.exe /c \"\"" + Wide(dir.File("VexaPanel.exe")) + L"\" /bogus\"";
  PROCESS_INFORMATION started = {};
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                             nullptr, nullptr, &start, &started));
  const ScopedHandle cmd(started.hProcess), thread(started.hThread);
  ASSERT_TRUE(WaitUntil([&] { return !ProcessesInside(dir.Path()).empty(); }, 20000));
  const DWORD pid = ProcessesInside(dir.Path()).front();
  const ScopedHandle panel(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  const auto box = WaitForMessageBox(pid, nullptr);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kAppCaption);
  EXPECT_EQ(box->text, std::string("无法识别的参数“/bogus”\n") + kPanelUsageText);
  SaveScreenshot(box->window, "command-line-usage-box");
  EXPECT_TRUE(PressButton(*box, IDOK));
  DWORD code = STILL_ACTIVE;
  EXPECT_EQ(WaitForSingleObject(panel.Get(), 10000), WAIT_OBJECT_0);
  GetExitCodeProcess(panel.Get(), &code);
  EXPECT_EQ(code, 2u);
}

// Under Wine a DACL that gives Everyone everything makes the folder
// world-writable, and that is what Wine then reports for it.
TEST(CommandLine, AFolderOthersMayWriteToStopsTheBackupAndWarnsThePanelOnce) {
  ProgramDir dir("可写");
  ASSERT_TRUE(dir.Ready());
  ASSERT_TRUE(dir.Write("vexa.cfg", "port = 6969\r\n"));
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open, nullptr));
  const BOOL opened = SetFileSecurityW(Wide(dir.Path()).c_str(), DACL_SECURITY_INFORMATION, open);
  LocalFree(open);
  ASSERT_TRUE(opened);

  const CommandRun run = RunPanelCommand(dir, "/backup /keep 7");
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_THAT(run.output, HasSubstr("可以更改“" + dir.Path() + "”"));
  EXPECT_THAT(run.output, HasSubstr("icacls \"" + dir.Path().substr(0, dir.Path().size() - 1) +
                                    "\" /inheritance:r"));
  EXPECT_FALSE(dir.Exists("备份"));
  EXPECT_THAT(LogText(dir), HasSubstr("命令行备份未进行：程序目录的权限不安全"));

  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  const auto notice = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->owner, nullptr);
  EXPECT_THAT(notice->text, HasSubstr("程序目录的权限不安全"));
  // The window goes on working beside it.
  EXPECT_TRUE(IsEnabled(panel.Main()));
  EXPECT_TRUE(panel.WaitForIdle());
  EXPECT_TRUE(PressButton(*notice, IDOK));
  EXPECT_TRUE(panel.Close());
  std::size_t warned = 0;
  for (const std::string& line : dir.ActionLog()) warned += line.find("权限不安全") != std::string::npos;
  EXPECT_EQ(warned, 2u);  // the backup's line and the panel's
}

}  // namespace
}  // namespace vexa::e2e
