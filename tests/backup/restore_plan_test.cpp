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

}  // namespace
}  // namespace vexa
