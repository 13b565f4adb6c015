#include "backup/backup_names.h"

#include <cstdio>

namespace vexa {

const char kBackupRootName[] = "备份\\";
const char kDataFilePattern[] = "*.vexa";

std::string BackupTimeStamp(const BackupTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%d月%d日%d时%d分%d秒", time.month, time.day, time.hour,
                time.minute, time.second);
  return text;
}

std::string UniqueBackupName(const std::string& stamped,
                             const std::function<bool(const std::string&)>& exists) {
  std::string candidate = stamped;
  if (!exists(candidate)) return candidate;
  candidate += " 0";
  for (int next = 1; exists(candidate); ++next) candidate += " " + std::to_string(next);
  return candidate;
}

const char kConfigMissingNote[] = "程序目录中没有 vexa.cfg，只备份了数据文件。";

std::string BackupDoneMessage(bool clearing, const std::string& backupDirectory,
                              bool configMissing) {
  return (clearing ? "旧的配置与数据文件已全部清空\n" : "配置与数据文件已备份到目录：\n") +
         backupDirectory + (configMissing ? std::string("\n\n") + kConfigMissingNote : "");
}

namespace {

const char* FileErrorPattern(FileErrorCause cause) {
  switch (cause) {
    case FileErrorCause::NotFound: return "%1 was not found.";
    case FileErrorCause::BadPath: return "All or part of the path %1 is invalid.";
    case FileErrorCause::AccessDenied: return "Access to %1 was denied.";
    case FileErrorCause::SharingViolation: return "A sharing violation occurred while accessing %1.";
    case FileErrorCause::LockViolation: return "A locking violation occurred while accessing %1.";
    case FileErrorCause::DiskFull: return "The disk is full while accessing %1.";
    case FileErrorCause::HardwareError: return "A hardware I/O error was reported while accessing %1.";
    case FileErrorCause::Incomplete: return "%1 was not copied completely.";
    case FileErrorCause::Generic: break;
  }
  return "An unknown error occurred while accessing %1.";
}

}  // namespace

std::string FileErrorText(FileErrorCause cause, const std::string& path, const std::string& reason) {
  std::string text = FileErrorPattern(cause);
  text.replace(text.find("%1"), 2, path);
  if (!reason.empty()) text += "\n" + reason;
  return text;
}

std::string ByteSizeText(unsigned long long bytes) {
  char text[48];
  const double value = static_cast<double>(bytes);
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%llu 字节", bytes);
  } else if (bytes < 1024ULL * 1024) {
    std::snprintf(text, sizeof text, "%.1f KB", value / 1024);
  } else if (bytes < 1024ULL * 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.1f MB", value / (1024.0 * 1024));
  } else {
    std::snprintf(text, sizeof text, "%.2f GB", value / (1024.0 * 1024 * 1024));
  }
  return text;
}

std::string BackupLogText(bool clearing, const std::string& directory, unsigned files,
                          unsigned long long bytes, const std::string& error,
                          bool configMissing) {
  char counts[64];
  std::snprintf(counts, sizeof counts, "%u 个文件，%llu 字节", files, bytes);
  return std::string(clearing ? "清空并备份数据到 " : "备份数据到 ") + directory + "：" + counts +
         (configMissing ? "（没有 vexa.cfg）" : "") + (error.empty() ? "，成功" : "，失败：" + error);
}

}  // namespace vexa
