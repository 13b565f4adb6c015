#include "backup/backup_log.h"

#include <cstdio>

#include "backup/backup.h"
#include "log/action_log.h"

namespace vexa {

std::string BackupLogText(bool clearing, const std::string& directory, unsigned files,
                          unsigned long long bytes, const std::string& error, bool configMissing) {
  char counts[64];
  std::snprintf(counts, sizeof counts, "%u 个文件，%llu 字节", files, bytes);
  return std::string(clearing ? "清空并备份数据到 " : "备份数据到 ") + directory + "：" + counts +
         (configMissing ? "（没有 vexa.cfg）" : "") +
         (error.empty() ? "，成功" : "，失败：" + error);
}

std::string BackupLogLine(bool clearing, const BackupOutcome& outcome,
                          unsigned long long elapsedMs) {
  const char* job = clearing ? "清空并备份数据" : "备份数据";
  if (outcome.nothing) return job + ("：" + outcome.status.message);
  if (outcome.directory.empty()) {
    return job + ("失败，没有留下备份目录：" + outcome.status.message) + "，用时 " +
           LogSeconds(elapsedMs) + " 秒";
  }
  return BackupLogText(clearing, outcome.directory, outcome.files, outcome.bytes,
                       outcome.status.ok ? "" : outcome.status.message, outcome.configMissing) +
         "，用时 " + LogSeconds(elapsedMs) + " 秒";
}

}  // namespace vexa
