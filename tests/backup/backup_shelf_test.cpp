#include "backup/backup_shelf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "backup/backup_names.h"

namespace vexa {
namespace {

using testing::ElementsAre;

// Only what the backup itself names so counts and is ever deleted.
TEST(BackupShelf, OnlyTheBackupsOwnNamesAreBackups) {
  EXPECT_EQ(ParseBackupName("12月6日5时59分9秒").value().time.second, 9);
  EXPECT_EQ(ParseBackupName("12月31日23时59分59秒").value().time.day, 31);
  EXPECT_EQ(ParseBackupName("1月1日0时0分0秒 0").value().extensions, 1);
  EXPECT_EQ(ParseBackupName("1月1日0时0分0秒 0 1 2 3 4 5 6 7 8 9 10").value().extensions, 11);
  // Extensions count from 0 and go up by one; numbers are written as the
  // stamp writes them, within their ranges.
  for (const char* other :
       {"1月1日0时0分0秒 1", "1月1日0时0分0秒 0 2", "1月1日0时0分0秒  0", "1月1日0时0分0秒 0 ",
        "01月1日0时0分0秒", "13月1日0时0分0秒", "1月32日0时0分0秒", "1月1日24时0分0秒",
        "1月1日0时60分0秒", "1月1日0时0分+5秒", "1月1日0时0分0秒（旧）", "1月1日0时0分", "手工备份", ""}) {
    EXPECT_FALSE(ParseBackupName(other)) << other;
  }
}

std::vector<std::string> FolderNames(const std::vector<BackupFolder>& folders) {
  std::vector<std::string> names;
  names.reserve(folders.size());
  for (const BackupFolder& folder : folders) names.push_back(folder.name);
  return names;
}

// /keep 2 over backups, decoys and folders that are not only backups: the
// two newest stay, the decoys are never counted or deleted, the rest is
// spared with a reason.
TEST(BackupShelf, KeepingTheNewestDeletesOnlyOlderBackupsOfOurOwn) {
  std::vector<BackupFolder> folders = {
      {"1月1日0时0分0秒", 10, 1}, {"手工备份", 90, 1},           {"3月1日0时0分0秒", 30, 1},
      {"2月1日0时0分0秒", 20, 1}, {"2月1日0时0分0秒 0", 20, 1}, {"4月1日0时0分0秒 0 1", 40, 1},
  };
  folders[4].otherFiles = 1;
  const KeepPlan plan = PlanKeepNewest(folders, 2, "4月1日0时0分0秒 0 1");
  EXPECT_THAT(FolderNames(plan.remove), ElementsAre("2月1日0时0分0秒", "1月1日0时0分0秒"));
  ASSERT_EQ(plan.spared.size(), 1u);
  EXPECT_EQ(plan.spared[0].folder.name, "2月1日0时0分0秒 0");
  EXPECT_EQ(plan.spared[0].why, "其中有备份之外的文件或目录");
  EXPECT_TRUE(PlanKeepNewest(folders, 999, "").remove.empty());
  folders[0].subfolders = 1;
  const KeepPlan withFolder = PlanKeepNewest(folders, 2, "");
  ASSERT_EQ(withFolder.spared.size(), 2u);
  EXPECT_EQ(withFolder.spared[1].folder.name, "1月1日0时0分0秒");
}

// The backup just made is never deleted, whatever the others' times say;
// a restore's own backup and a link are never deleted nor counted, and an
// empty folder never stands in for a backup.
TEST(BackupShelf, KeepingNeverDeletesTheNewBackupNorARestoresOwn) {
  // The clock now reads about 100. Each: name, created, files, newest file's time.
  std::vector<BackupFolder> folders;
  for (const auto& [name, created, files, written] :
       {std::tuple("1月1日0时0分0秒", 900, 1, 900),  // from before the clock was set back
        {"1月2日0时0分0秒", 901, 1, 901},             // a restore's own backup
        {"5月1日0时0分0秒", 100, 1, 100},             // the one just made
        {"3月1日0时0分0秒", 150, 1, 30},              // copied in from another disk today
        {"2月1日0时0分0秒", 20, 1, 20},
        {"6月1日0时0分0秒", 60, 0, 0},                // empty
        {"4月1日0时0分0秒", 40, 0, 0}}) {             // a link
    BackupFolder folder{name, static_cast<std::uint64_t>(created), files};
    folder.newestFileTime = static_cast<std::uint64_t>(written);
    folders.push_back(folder);
  }
  folders[1].beforeRestore = true;
  folders[6].isLink = true;

  const KeepPlan plan = PlanKeepNewest(folders, 2, "5月1日0时0分0秒");
  EXPECT_THAT(FolderNames(plan.remove), ElementsAre("3月1日0时0分0秒", "2月1日0时0分0秒", "6月1日0时0分0秒"));
  ASSERT_EQ(plan.spared.size(), 2u);
  EXPECT_EQ(plan.spared[0].folder.name, "1月2日0时0分0秒");
  EXPECT_EQ(plan.spared[0].why, "它是恢复前自动做的备份，只能在“恢复备份”中手工删除");
  EXPECT_EQ(plan.spared[1].folder.name, "4月1日0时0分0秒");
  EXPECT_EQ(plan.spared[1].why, "它是一个链接");
  // However many are kept, an empty folder stands in for none of them.
  EXPECT_THAT(FolderNames(PlanKeepNewest(folders, 999, "5月1日0时0分0秒").remove),
              ElementsAre("6月1日0时0分0秒"));
  // Keep 1: the new backup stays, though the clock puts 1月 after it.
  EXPECT_THAT(FolderNames(PlanKeepNewest(folders, 1, "5月1日0时0分0秒").remove),
              ElementsAre("1月1日0时0分0秒", "3月1日0时0分0秒", "2月1日0时0分0秒", "6月1日0时0分0秒"));

  // The dialog lists by the files' times first, then the folders'.
  SortNewestFirst(folders);
  EXPECT_THAT(FolderNames(folders), ElementsAre("1月2日0时0分0秒", "1月1日0时0分0秒", "5月1日0时0分0秒",
                                          "3月1日0时0分0秒", "2月1日0时0分0秒", "6月1日0时0分0秒",
                                          "4月1日0时0分0秒"));
}

TEST(BackupShelf, RoomSizesAndQuestionsNameTheirFigures) {
  constexpr std::uint64_t kMb = 1024ULL * 1024;
  EXPECT_TRUE(BackupFits(5 * kMb, 15 * kMb));
  EXPECT_FALSE(BackupFits(5 * kMb + 1, 15 * kMb));
  EXPECT_FALSE(BackupFits(0, 9 * kMb));  // less than the spare alone
  EXPECT_EQ(DiskSpaceShortText(kMb, kMb / 4),
            "磁盘空间不足：备份需要 1.0 MB，磁盘只剩 256.0 KB（备份之后还要留出 10.0 MB）。\n"
            "没有复制任何文件。");

  std::vector<BackupFolder> folders = {{"1月1日0时0分0秒", 1, 2, 3 * kMb / 2},
                                       {"2月1日0时0分0秒", 2, 1, kMb}};
  folders[1].beforeRestore = true;
  folders[1].otherFiles = 1;
  folders[1].otherBytes = kMb / 2;
  folders.push_back({"手工备份", 3, 1, 5 * kMb});  // not a backup: neither counted nor summed
  EXPECT_EQ(BackupShelfText(folders, 12ULL * 1024 * kMb + 300 * kMb),
            "共 2 个备份，占用 3.0 MB；磁盘剩余 12.3 GB");
  EXPECT_EQ(BackupShelfText({}, std::nullopt), "共 0 个备份，占用 0.0 MB；磁盘剩余空间无法读取");
  EXPECT_EQ(DeleteBackupConfirmText("C:\\p\\备份\\2月1日0时0分0秒\\", folders[1]),
            "确定要删除备份“2月1日0时0分0秒”吗？\nC:\\p\\备份\\2月1日0时0分0秒\\\n\n"
            "其中的 3 个文件（1.5 MB）将被永久删除，无法恢复。");
}

}  // namespace
}  // namespace vexa
