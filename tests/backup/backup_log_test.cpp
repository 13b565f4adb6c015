#include "backup/backup_log.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(BackupLog, CountsFilesAndBytes) {
  EXPECT_EQ(BackupLogText(true, "C:\\p\\备份\\1月2日3时4分5秒\\", 9, 1073741843, ""),
            "清空并备份数据到 C:\\p\\备份\\1月2日3时4分5秒\\：9 个文件，1073741843 字节，成功");
  EXPECT_EQ(BackupLogText(false, "C:\\p\\备份\\x\\", 2, 10, "磁盘已满"),
            "备份数据到 C:\\p\\备份\\x\\：2 个文件，10 字节，失败：磁盘已满");
  EXPECT_EQ(BackupLogText(false, "C:\\p\\备份\\x\\", 2, 10, "", true),
            "备份数据到 C:\\p\\备份\\x\\：2 个文件，10 字节（没有 vexa.cfg），成功");
}

}  // namespace
}  // namespace vexa
