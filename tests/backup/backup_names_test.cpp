#include "backup/backup_names.h"
#include "backup/copy_progress.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace vexa {
namespace {

TEST(BackupNames, StampHasNoLeadingZerosAndChineseUnits) {
  EXPECT_EQ(BackupTimeStamp({12, 6, 5, 59, 9}), "12月6日5时59分9秒");
  EXPECT_EQ(BackupTimeStamp({1, 1, 0, 0, 0}), "1月1日0时0分0秒");
  EXPECT_EQ(BackupTimeStamp({1, 2, 3, 4, 5}),
            "1\xE6\x9C\x88"
            "2\xE6\x97\xA5"
            "3\xE6\x97\xB6"
            "4\xE5\x88\x86"
            "5\xE7\xA7\x92");
}

TEST(BackupNames, CandidatesGrowByBlankAndNextNumber) {
  std::vector<std::string> names = {"R\\S"};
  for (int i = 0; i < 3; ++i) names.push_back(NextBackupName("R\\S", names.back()));
  EXPECT_EQ(names, (std::vector<std::string>{"R\\S", "R\\S 0", "R\\S 0 1", "R\\S 0 1 2"}));
  EXPECT_EQ(NextBackupName("R\\S", "R\\S 0 1 2 3 4 5 6 7 8 9"), "R\\S 0 1 2 3 4 5 6 7 8 9 10");

  EXPECT_EQ(BackupFolderName("C:\\a b\\备份\\12月6日5时59分9秒 0\\"), "12月6日5时59分9秒 0");
  EXPECT_EQ(BackupFolderName(""), "");
  // The names of a backup being made or deleted are never a backup's.
  for (const char* name : {"~正在备份 12月6日5时59分9秒", "~正在删除 12月6日5时59分9秒 0"}) {
    EXPECT_TRUE(IsUnfinishedFolderName(name)) << name;
    EXPECT_FALSE(ParseBackupName(name)) << name;
  }
  for (const char* name : {"12月6日5时59分9秒", "正在备份 x", "~正在备份", "手工备份"}) {
    EXPECT_FALSE(IsUnfinishedFolderName(name)) << name;
  }
}

TEST(BackupNames, FinalMessagesEndInTheDirectory) {
  EXPECT_EQ(BackupDoneMessage(false, "C:\\t\\备份\\12月6日5时59分9秒\\"),
            "配置与数据文件已备份到目录：\nC:\\t\\备份\\12月6日5时59分9秒\\");
  EXPECT_EQ(BackupDoneMessage(true, "C:\\t\\备份\\1月1日0时0分0秒 0\\"),
            "旧的配置与数据文件已全部清空\nC:\\t\\备份\\1月1日0时0分0秒 0\\");
  EXPECT_EQ(BackupDoneMessage(false, "C:\\t\\备份\\x\\", true),
            "配置与数据文件已备份到目录：\nC:\\t\\备份\\x\\\n\n程序目录中没有 vexa.cfg，只备份了数据文件。");
}

// The status line during a copy, on a clock that starts at 5 s: nothing in
// the first second, then files and bytes done of the total.
TEST(CopyProgress, StatusLineShowsHowFarEachCopyHasComeOnceItRanASecond) {
  BackupProgress progress;
  progress.filesDone = 3;
  progress.filesTotal = 9;
  progress.bytesDone = 384ULL << 20;
  progress.bytesTotal = 1ULL << 30;
  const ProgressLine backup(CopyJob::kBackup, 5000);
  EXPECT_EQ(backup.TextAt(5999, progress), "");
  EXPECT_EQ(backup.TextAt(6000, progress), "正在备份数据：3/9 个文件，384.0 MB / 1.00 GB");
  EXPECT_EQ(ProgressLine(CopyJob::kClearing, 5000).TextAt(9000, progress),
            "正在清空并备份数据：3/9 个文件，384.0 MB / 1.00 GB");
  EXPECT_EQ(CopyProgressText(CopyJob::kRestore, 1, 3, 1536, 3u << 20),
            "正在恢复备份：1/3 个文件，1.5 KB / 3.0 MB");
}

}  // namespace
}  // namespace vexa
