#include "backup/restore.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "backup/backup.h"
#include "backup/backup_names.h"
#include "base/folder_entries_win32.h"
#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"
#include "tests/tracker/scratch_directory.h"

namespace vexa {
namespace {

using test::Binary;
using test::FileExists;
using test::ReadBytes;
using test::ScratchDirectory;
using test::WriteBytes;

// Every plain file of a folder with its bytes.
std::map<std::string, std::string> Files(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const FolderEntry& entry : ListFolder(dir).entries) {
    if (!entry.IsFolder()) files[entry.name] = ReadBytes(dir + entry.name);
  }
  return files;
}

// A program directory with a backup of its first state, then changed.
struct Restorable {
  explicit Restorable(const char* name) : dir(name) {
    Write("users.vexa", Binary(3000, 1));
    Write("dstate.vexa", Binary(200000, 7));  // several copy chunks
    Write("vexa.cfg", "port = 7000\r\n");
    backup = BackupFiles(dir.Path(), BackupKind::kPlain, {1, 2, 3, 4, 5}).directory;
    // Files a backup never holds, beside it: not restored.
    WriteBytes(backup + "notes.txt", "not restored");
    WriteBytes(backup + "VexaPanel.exe", "not restored");
    // A data file the program directory no longer has.
    WriteBytes(backup + "gone.vexa", "only in the backup");
    Write("users.vexa", "changed users");
    Write("vexa.cfg", "port = 8000\r\n");
    Write("extra.vexa", "made after the backup");
    pre = BackupFiles(dir.Path(), BackupKind::kBeforeRestore, {1, 2, 3, 4, 6}).directory;
    before = Files(dir.Path());
  }
  void Write(const std::string& name, const std::string& bytes) { WriteBytes(P(name), bytes); }
  std::string P(const std::string& name) const { return dir.Path() + name; }
  ScratchDirectory dir;
  std::string backup, pre;
  std::map<std::string, std::string> before;
};

TEST(Restore, PutsBackTheBackupsFilesByteForByteAndLeavesTheRest) {
  Restorable r("恢复 a&b 嘰");
  // The restore's own backup is marked from the moment it has its name.
  EXPECT_EQ(ReadBytes(r.pre + kPreRestoreNoteName), kPreRestoreNoteText);
  RestoreOutcome outcome = RestoreBackupFiles(r.dir.Path(), r.backup, r.pre);
  ASSERT_TRUE(outcome.status.ok) << outcome.status.message;
  EXPECT_EQ(outcome.files, 4);
  EXPECT_EQ(outcome.restoredNames.size(), 4u);
  EXPECT_EQ(outcome.bytes, 3000u + 200000u + 13u + 18u);
  std::map<std::string, std::string> expected = r.before;
  expected["users.vexa"] = Binary(3000, 1);
  expected["dstate.vexa"] = Binary(200000, 7);
  expected["vexa.cfg"] = "port = 7000\r\n";
  expected["gone.vexa"] = "only in the backup";
  // extra.vexa stays; nothing else arrives, no temporary file is left.
  EXPECT_TRUE(Files(r.dir.Path()) == expected);
  EXPECT_FALSE(FileExists(r.P("VexaPanel.exe")));

  // The folders as listed: the two backups, with what a restore takes back.
  std::vector<BackupFolder> folders = ListBackupFolders(r.dir.Path());
  ASSERT_EQ(folders.size(), 2u);
  std::sort(folders.begin(), folders.end(),
            [](const BackupFolder& a, const BackupFolder& b) { return a.name < b.name; });
  EXPECT_EQ(folders[0].name, "1月2日3时4分5秒");
  EXPECT_EQ(folders[0].fileCount, 4);
  EXPECT_EQ(folders[0].fileNames.size(), 4u);
  EXPECT_EQ(folders[0].totalBytes, 3000u + 200000u + 13u + 18u);
  EXPECT_EQ(folders[1].name, "1月2日3时4分6秒");
  EXPECT_EQ(folders[1].fileCount, 4);  // its note is not restored
  EXPECT_FALSE(folders[0].beforeRestore);
  EXPECT_TRUE(folders[1].beforeRestore);
  EXPECT_NE(folders[0].createdTime, 0u);
  EXPECT_TRUE(ListBackupFolders(r.P("无此目录\\")).empty());
}

TEST(Restore, ACopyThatFailsLeavesEveryLiveFileAsItWas) {
  Restorable r("复制失败");
  // Held by another program without sharing: it cannot be read.
  ScopedHandle held(CreateFileW(Wide(r.backup + "dstate.vexa").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  RestoreOutcome outcome = RestoreBackupFiles(r.dir.Path(), r.backup, r.pre);
  EXPECT_FALSE(outcome.status.ok);
  EXPECT_EQ(outcome.status.message.rfind("A sharing violation occurred while accessing " + r.backup +
                                           "dstate.vexa.\n",
                                       0),
            0u)
      << outcome.status.message;
  EXPECT_TRUE(outcome.notUndone.empty());
  EXPECT_TRUE(Files(r.dir.Path()) == r.before);
}

// The backup's files that the program directory has too, in the order the
// restore moves them.
std::vector<std::string> ReplacedInOrder(const Restorable& r) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : ListFolder(r.backup).entries) {
    if (IsRestorableFileName(entry.name) && r.before.count(entry.name)) names.push_back(entry.name);
  }
  return names;
}

TEST(Restore, AFileThatCannotBeReplacedUndoesTheOthers) {
  Restorable r("替换失败");
  // The file moved last is held open without delete sharing, so that the
  // ones before it were already replaced (or, gone.vexa, made) when it fails.
  const std::string last = ReplacedInOrder(r).back();
  ScopedHandle held(CreateFileW(Wide(r.P(last)).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  ASSERT_TRUE(held);

  RestoreOutcome outcome = RestoreBackupFiles(r.dir.Path(), r.backup, r.pre);
  EXPECT_FALSE(outcome.status.ok);
  EXPECT_NE(outcome.status.message.find(r.P(last)), std::string::npos) << outcome.status.message;
  EXPECT_TRUE(outcome.notUndone.empty());
  held.Reset();
  EXPECT_TRUE(Files(r.dir.Path()) == r.before) << last;
}

// A replace refused for a moment is tried again. Held without delete
// sharing, the live file gets access denied from Wine (Windows gives that
// while a delete is pending, a sharing violation here).
TEST(Restore, AReplaceRefusedForAMomentIsTriedAgain) {
  Restorable r("拒绝片刻");
  const std::vector<std::string> order = ReplacedInOrder(r);
  const std::string last = r.P(order.back());
  ScopedHandle held(CreateFileW(Wide(last).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  bool replacing = false;
  // Let go once every other file is in place: the restore has met the refusal.
  std::thread release([&] {
    auto othersMoved = [&] {
      for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        if (FileExists(r.P(RestoreTemporaryName(order[i])))) return false;
      }
      return FileExists(RestoreTemporaryName(last));
    };
    const ULONGLONG until = GetTickCount64() + 20000;
    while (!othersMoved() && GetTickCount64() < until) Sleep(1);
    // Half the files replaced: an ending session must wait for the rest.
    replacing = !WaitForFilesReplaced(50);
    held.Reset();
  });
  RestoreOutcome outcome = RestoreBackupFiles(r.dir.Path(), r.backup, r.pre);
  release.join();
  EXPECT_TRUE(replacing);
  EXPECT_TRUE(WaitForFilesReplaced(0));
  ASSERT_TRUE(outcome.status.ok) << outcome.status.message;
  EXPECT_EQ(ReadBytes(last), ReadBytes(r.backup + order.back()));
}

}  // namespace
}  // namespace vexa
