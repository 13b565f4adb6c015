#include "backup/backup_shelf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "backup/backup_names.h"

namespace vexa {
namespace {

using testing::ElementsAre;

// Only what the backup itself names so counts and is ever deleted.
TEST(BackupShelf, OnlyTheBackupsOwnNamesAreBackups) {
  EXPECT_EQ(ParseBackupName("12月6日5时59分9秒").value().time.second, 9);
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

// /keep 2 over backups, decoys and a backup someone put a file into: the
// two newest stay, the decoys are never counted or deleted, the one with
// a foreign file is spared.
TEST(BackupShelf, KeepingTheNewestDeletesOnlyOlderBackupsOfOurOwn) {
  std::vector<BackupFolder> folders = {
      {"1月1日0时0分0秒", 10}, {"手工备份", 90},           {"3月1日0时0分0秒", 30},
      {"2月1日0时0分0秒", 20}, {"2月1日0时0分0秒 0", 20}, {"4月1日0时0分0秒 0 1", 40},
  };
  folders[4].otherFiles = 1;
  const KeepPlan plan = PlanKeepNewest(folders, 2);
  std::vector<std::string> removed, spared;
  for (const BackupFolder& folder : plan.remove) removed.push_back(folder.name);
  for (const BackupFolder& folder : plan.spared) spared.push_back(folder.name);
  EXPECT_THAT(removed, ElementsAre("2月1日0时0分0秒", "1月1日0时0分0秒"));
  EXPECT_THAT(spared, ElementsAre("2月1日0时0分0秒 0"));
  EXPECT_TRUE(PlanKeepNewest(folders, 999).remove.empty());
  folders[0].subfolders = 1;
  const KeepPlan withFolder = PlanKeepNewest(folders, 2);
  ASSERT_EQ(withFolder.spared.size(), 2u);
  EXPECT_EQ(withFolder.spared[1].name, "1月1日0时0分0秒");
}

TEST(BackupShelf, RoomSizesAndQuestionsNameTheirFigures) {
  constexpr std::uint64_t kMb = 1024ULL * 1024;
  EXPECT_TRUE(BackupFits(5 * kMb, 15 * kMb));
  EXPECT_FALSE(BackupFits(5 * kMb + 1, 15 * kMb));
  EXPECT_FALSE(BackupFits(0, 9 * kMb));  // less than the spare alone
  BackupOutcome refused{Status::Error(DiskSpaceShortText(kMb, 0)), "", 0, 0, false, true};
  EXPECT_EQ(RestoreBackupFailedText(refused).rfind("磁盘空间不足：备份需要 1.0 MB，磁盘只剩 0 字节", 0), 0u);
  EXPECT_EQ(DiskSpaceShortText(kMb, kMb / 4),
            "磁盘空间不足：备份需要 1.0 MB，磁盘只剩 256.0 KB（备份之后还要留出 10.0 MB）。\n"
            "没有复制任何文件。");

  std::vector<BackupFolder> folders = {{"1月1日0时0分0秒", 1, 2, 3 * kMb / 2},
                                       {"2月1日0时0分0秒", 2, 1, kMb}};
  folders[1].beforeRestore = true;
  folders[1].otherFiles = 1;
  folders[1].otherBytes = kMb / 2;
  EXPECT_EQ(BackupShelfText(folders, 12ULL * 1024 * kMb + 300 * kMb),
            "共 2 个备份，占用 3.0 MB；磁盘剩余 12.3 GB");
  EXPECT_EQ(BackupShelfText({}, std::nullopt), "共 0 个备份，占用 0.0 MB；磁盘剩余空间无法读取");
  EXPECT_EQ(DeleteBackupConfirmText("C:\\p\\备份\\2月1日0时0分0秒\\", folders[1]),
            "确定要删除备份“2月1日0时0分0秒”吗？\nC:\\p\\备份\\2月1日0时0分0秒\\\n\n"
            "其中的 3 个文件（1.5 MB）将被永久删除，无法恢复。");
}

}  // namespace
}  // namespace vexa
