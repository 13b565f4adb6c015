#include "backup/backup.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "base/scoped_handles_win32.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"
#include "tests/log/recording_sink.h"
#include "tests/tracker/scratch_directory.h"

namespace vexa {
namespace {

using test::Binary;
using test::DirectoryExists;
using test::FileExists;
using test::ReadBytes;
using test::ScratchDirectory;
using test::WriteBytes;

const BackupTime kTime = {12, 6, 5, 59, 9};
const char kStamp[] = "12月6日5时59分9秒";

// Compares file contents without printing megabytes on a mismatch.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                       << ", first difference at byte " << at;
}

struct Tracker {
  explicit Tracker(const char* name) : dir(name) {
    WriteBytes(dir.Path() + "users.vexa", Binary(3000, 1));
    WriteBytes(dir.Path() + "dstate.vexa", Binary(200000, 7));  // several copy chunks
    WriteBytes(dir.Path() + "vexa.cfg", "port = 6969\r\nvexa_file_dir = file\r\n");
    WriteBytes(dir.Path() + "notes.txt", "not data");
    CreateDirectoryW(Wide(dir.Path() + "old.vexa").c_str(), nullptr);
  }
  std::string P(const std::string& name) const { return dir.Path() + name; }
  ScratchDirectory dir;
};

TEST(Backup, CopiesDataAndConfigByteForByteIntoTheStampedDirectory) {
  Tracker t("程序 a&b 嘰");
  const std::string users = ReadBytes(t.P("users.vexa"));
  const std::string dstate = ReadBytes(t.P("dstate.vexa"));
  const std::string cfg = ReadBytes(t.P("vexa.cfg"));

  BackupProgress progress;
  BackupOutcome outcome = BackupFiles(t.dir.Path(), BackupKind::kPlain, kTime, &progress);
  ASSERT_TRUE(outcome.status.ok) << outcome.status.message;
  // Counted for the status line and the log: every file, every byte.
  const unsigned long long all = users.size() + dstate.size() + cfg.size();
  EXPECT_EQ(progress.filesTotal, 3u);
  EXPECT_EQ(progress.filesDone, 3u);
  EXPECT_EQ(progress.bytesTotal, all);
  EXPECT_EQ(progress.bytesDone, all);
  EXPECT_EQ(outcome.files, 3u);
  EXPECT_EQ(outcome.bytes, all);
  const std::string backup = t.P(std::string("备份\\") + kStamp + "\\");
  EXPECT_EQ(outcome.directory, backup);
  EXPECT_TRUE(SameBytes(ReadBytes(backup + "users.vexa"), users));
  EXPECT_TRUE(SameBytes(ReadBytes(backup + "dstate.vexa"), dstate));
  EXPECT_TRUE(SameBytes(ReadBytes(backup + "vexa.cfg"), cfg));
  EXPECT_FALSE(FileExists(backup + "notes.txt"));
  EXPECT_FALSE(DirectoryExists(backup + "old.vexa"));
  // Backup only: everything stays.
  EXPECT_TRUE(SameBytes(ReadBytes(t.P("users.vexa")), users));
  EXPECT_TRUE(SameBytes(ReadBytes(t.P("dstate.vexa")), dstate));
}

TEST(Backup, RunsWithinOneSecondGetNumberedDirectories) {
  Tracker t("同秒");
  const std::string root = t.P("备份\\") + kStamp;
  EXPECT_EQ(BackupFiles(t.dir.Path(), BackupKind::kPlain, kTime).directory, root + "\\");
  EXPECT_EQ(BackupFiles(t.dir.Path(), BackupKind::kPlain, kTime).directory, root + " 0\\");
  BackupOutcome third = BackupFiles(t.dir.Path(), BackupKind::kPlain, kTime);
  ASSERT_TRUE(third.status.ok) << third.status.message;
  EXPECT_EQ(third.directory, root + " 0 1\\");
  EXPECT_TRUE(SameBytes(ReadBytes(third.directory + "users.vexa"), ReadBytes(t.P("users.vexa"))));
  EXPECT_TRUE(DirectoryExists(root + " 0\\"));
}

TEST(Backup, ClearingRemovesDataFilesButKeepsTheConfiguration) {
  Tracker t("清空");
  const std::string users = ReadBytes(t.P("users.vexa"));
  const std::string cfg = ReadBytes(t.P("vexa.cfg"));
  BackupOutcome outcome = BackupFiles(t.dir.Path(), BackupKind::kClearing, kTime);
  ASSERT_TRUE(outcome.status.ok) << outcome.status.message;
  EXPECT_FALSE(FileExists(t.P("users.vexa")));
  EXPECT_FALSE(FileExists(t.P("dstate.vexa")));
  EXPECT_TRUE(SameBytes(ReadBytes(outcome.directory + "users.vexa"), users));
  EXPECT_TRUE(SameBytes(ReadBytes(t.P("vexa.cfg")), cfg));
  EXPECT_TRUE(SameBytes(ReadBytes(outcome.directory + "vexa.cfg"), cfg));
  EXPECT_TRUE(FileExists(t.P("notes.txt")));
}

TEST(Backup, WithoutDataFilesOnlyTheConfigurationIsCopied) {
  ScratchDirectory dir("无数据");
  WriteBytes(dir.Path() + "vexa.cfg", "port = 1\r\n");
  BackupOutcome outcome = BackupFiles(dir.Path(), BackupKind::kClearing, kTime);
  ASSERT_TRUE(outcome.status.ok) << outcome.status.message;
  EXPECT_EQ(ReadBytes(outcome.directory + "vexa.cfg"), "port = 1\r\n");
}

TEST(Backup, AMissingConfigurationIsSaidAndTheDataFilesAreStillBackedUp) {
  Tracker t("无配置");
  DeleteFileW(Wide(t.P("vexa.cfg")).c_str());
  BackupProgress progress;
  BackupOutcome outcome = BackupFiles(t.dir.Path(), BackupKind::kPlain, kTime, &progress);
  ASSERT_TRUE(outcome.status.ok) << outcome.status.message;
  EXPECT_TRUE(outcome.configMissing);
  EXPECT_EQ(outcome.files, 2u);
  EXPECT_EQ(progress.filesTotal, 2u);
  EXPECT_TRUE(SameBytes(ReadBytes(outcome.directory + "dstate.vexa"), Binary(200000, 7)));
  EXPECT_FALSE(FileExists(outcome.directory + "vexa.cfg"));
  EXPECT_FALSE(BackupFiles(Tracker("有配置").dir.Path(), BackupKind::kPlain, kTime).configMissing);
}

TEST(Backup, ARootThatCannotBeMadeIsNamedWithTheReasonAndNothingIsCopied) {
  // A file named 备份 is in the way.
  Tracker t("根是文件");
  WriteBytes(t.P("备份"), "in the way");
  BackupOutcome outcome = BackupFiles(t.dir.Path(), BackupKind::kClearing, kTime);
  EXPECT_EQ(outcome.status.message, "无法创建备份目录：\n" + t.P("备份\\") +
                                        "\n那里已有一个同名的文件。\n没有复制任何文件。");
  EXPECT_TRUE(outcome.directory.empty());
  EXPECT_TRUE(SameBytes(ReadBytes(t.P("users.vexa")), Binary(3000, 1)));
  EXPECT_TRUE(SameBytes(ReadBytes(t.P("dstate.vexa")), Binary(200000, 7)));
}

// Neither vexa.cfg nor a data file: no folder at all, not even 备份\.
TEST(Backup, NothingToBackUpMakesNoFolder) {
  ScratchDirectory dir("无可备份");
  WriteBytes(dir.Path() + "notes.txt", "not data");
  BackupOutcome outcome = BackupFiles(dir.Path(), BackupKind::kPlain, kTime);
  EXPECT_TRUE(outcome.nothing);
  EXPECT_EQ(outcome.status.message,
            "没有可备份的文件：程序目录中既没有 vexa.cfg，也没有数据文件（*.vexa）。\n" + dir.Path());
  EXPECT_FALSE(DirectoryExists(dir.Path() + "备份"));
}

// A data file the copy cannot read ends the backup: no folder that lists as
// a backup is left, not even half of one, and clearing deleted nothing.
TEST(Backup, ALockedDataFileLeavesNoBackupAndEveryDataFile) {
  // Held open without sharing, as a running tracker might.
  Tracker t("锁定");
  ScopedHandle held(CreateFileW(Wide(t.P("dstate.vexa")).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  for (const BackupKind kind : {BackupKind::kPlain, BackupKind::kClearing, BackupKind::kBeforeRestore}) {
    BackupOutcome outcome = BackupFiles(t.dir.Path(), kind, kTime);
    // The system's reason, not a made-up one.
    EXPECT_EQ(outcome.status.message,
              "A sharing violation occurred while accessing " + t.P("dstate.vexa") + ".\n" +
                  SystemMessage(ERROR_SHARING_VIOLATION, t.P("dstate.vexa")) +
                  "\n\n备份没有完成，已删除未完成的备份目录。");
    EXPECT_TRUE(outcome.directory.empty());
    EXPECT_TRUE(RemoveDirectoryW(Wide(t.P("备份")).c_str())) << "something was left in it";
    EXPECT_TRUE(SameBytes(ReadBytes(t.P("users.vexa")), Binary(3000, 1)));
  }
  held.Reset();
  EXPECT_TRUE(SameBytes(ReadBytes(t.P("dstate.vexa")), Binary(200000, 7)));
}

// Clearing deletes data files only once the backup is whole and named; one
// that cannot be deleted is named, and its copy is in the backup.
TEST(Backup, ADataFileThatCannotBeDeletedStaysWithItsCopy) {
  Tracker t("不可删除");
  ScopedHandle held(CreateFileW(Wide(t.P("users.vexa")).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  ASSERT_TRUE(held);
  BackupOutcome outcome = BackupFiles(t.dir.Path(), BackupKind::kClearing, kTime);
  EXPECT_FALSE(outcome.status.ok);
  EXPECT_EQ(outcome.directory, t.P("备份\\") + kStamp + "\\");
  EXPECT_EQ(outcome.notCleared, std::vector<std::string>{"users.vexa"});
  EXPECT_NE(outcome.status.message.find("备份已完成：" + outcome.directory + "\n以下数据文件未能清空：\nusers.vexa"),
            std::string::npos)
      << outcome.status.message;
  held.Reset();
  EXPECT_FALSE(FileExists(t.P("dstate.vexa")));
  EXPECT_TRUE(SameBytes(ReadBytes(t.P("users.vexa")), Binary(3000, 1)));
  EXPECT_TRUE(SameBytes(ReadBytes(outcome.directory + "users.vexa"), Binary(3000, 1)));
  EXPECT_TRUE(SameBytes(ReadBytes(outcome.directory + "dstate.vexa"), Binary(200000, 7)));
}

// What a killed run left is removed and logged; a working name that is
// taken by something else is stepped over, never written into; nothing
// else below 备份\ is touched.
TEST(Backup, LeftoversOfAKilledRunGoAndATakenWorkingNameIsSteppedOver) {
  Tracker t("残留");
  const std::string root = t.P("备份\\");
  CreateDirectoryW(Wide(root).c_str(), nullptr);
  const std::string killed = root + kWorkingFolderPrefix + "1月1日0时0分0秒";
  const std::string halfDeleted = root + kDeletingFolderPrefix + "2月1日0时0分0秒";
  const std::string taken = root + kWorkingFolderPrefix + kStamp;  // holds a folder: not ours
  for (const std::string& folder : {killed, halfDeleted, taken, root + "手工备份"}) {
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    WriteBytes(folder + "\\users.vexa", "half");
  }
  CreateDirectoryW(Wide(taken + "\\sub").c_str(), nullptr);
  test::RecordingSink log;
  BackupOutcome outcome = BackupFiles(t.dir.Path(), BackupKind::kPlain, kTime);
  ASSERT_TRUE(outcome.status.ok) << outcome.status.message;
  EXPECT_EQ(outcome.directory, root + kStamp + "\\");
  EXPECT_FALSE(DirectoryExists(killed) || DirectoryExists(halfDeleted));
  EXPECT_EQ(ReadBytes(taken + "\\users.vexa"), "half");
  EXPECT_EQ(ReadBytes(root + "手工备份\\users.vexa"), "half");
  EXPECT_TRUE(SameBytes(ReadBytes(outcome.directory + "users.vexa"), Binary(3000, 1)));
  // In the order the file system lists them.
  auto logged = [&](const std::string& line) {
    return std::count(log.lines.begin(), log.lines.end(), line) == 1;
  };
  EXPECT_TRUE(logged("已删除上次未完成的备份目录 " + killed + "\\"));
  EXPECT_TRUE(logged("已删除上次未完成的备份目录 " + halfDeleted + "\\"));
  EXPECT_TRUE(logged("未能删除上次未完成的备份目录：备份目录中有子目录“sub”，它不是本程序的备份，没有删除：\n" +
                     taken + "\\"));
}

}  // namespace
}  // namespace vexa
