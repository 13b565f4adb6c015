#include "backup/backup_names.h"

#include <algorithm>
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

namespace {

// A number written as BackupTimeStamp writes it: digits, no leading zero,
// no sign, within [low, high]; at is moved past it.
bool ReadStampNumber(const std::string& text, std::size_t& at, int low, int high, int* value) {
  const std::size_t start = at;
  int number = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 3) {
    number = number * 10 + (text[at++] - '0');
  }
  const bool leadingZero = at - start > 1 && text[start] == '0';
  if (at == start || leadingZero || number < low || number > high) return false;
  *value = number;
  return true;
}

bool ReadUnit(const std::string& text, std::size_t& at, const char* unit) {
  const std::string expected(unit);
  if (text.compare(at, expected.size(), expected) != 0) return false;
  at += expected.size();
  return true;
}

}  // namespace

std::optional<BackupName> ParseBackupName(const std::string& name) {
  BackupName parsed{};
  int* const fields[] = {&parsed.time.month, &parsed.time.day, &parsed.time.hour,
                         &parsed.time.minute, &parsed.time.second};
  const int lows[] = {1, 1, 0, 0, 0};
  const int highs[] = {12, 31, 23, 59, 59};
  const char* const units[] = {"月", "日", "时", "分", "秒"};
  std::size_t at = 0;
  for (int i = 0; i < 5; ++i) {
    if (!ReadStampNumber(name, at, lows[i], highs[i], fields[i]) || !ReadUnit(name, at, units[i])) {
      return std::nullopt;
    }
  }
  // Each extension is a blank and the next number, counted from 0.
  for (int next = 0; at < name.size(); ++next) {
    const std::string extension = " " + std::to_string(next);
    if (name.compare(at, extension.size(), extension) != 0) return std::nullopt;
    at += extension.size();
    parsed.extensions = next + 1;
  }
  return parsed;
}

std::string NextBackupName(const std::string& stamped, const std::string& candidate) {
  // Each extension is a blank and a number, counted from 0.
  const std::string tail = candidate.substr(stamped.size());
  return candidate + " " + std::to_string(std::count(tail.begin(), tail.end(), ' '));
}

const char kWorkingFolderPrefix[] = "~正在备份 ";
const char kDeletingFolderPrefix[] = "~正在删除 ";

bool IsUnfinishedFolderName(const std::string& name) {
  return name.rfind(kWorkingFolderPrefix, 0) == 0 || name.rfind(kDeletingFolderPrefix, 0) == 0;
}

std::string BackupFolderName(const std::string& backupDirectory) {
  // In UTF-8 a backslash byte is always a backslash.
  const std::string folder = backupDirectory.substr(0, backupDirectory.rfind('\\'));
  return folder.substr(folder.rfind('\\') + 1);
}

std::string NothingToBackUpText(const std::string& programDirectory) {
  return "没有可备份的文件：程序目录中既没有 vexa.cfg，也没有数据文件（*.vexa）。\n" +
         programDirectory;
}

std::string BackupFolderFailedText(const std::string& folder, const std::string& reason) {
  return "无法创建备份目录：\n" + folder + (reason.empty() ? "" : "\n" + reason) +
         "\n没有复制任何文件。";
}

const char kPreRestoreNoteName[] = "恢复前自动备份.txt";
const char kPreRestoreNoteText[] =
    "\xEF\xBB\xBF本文件夹是“恢复备份数据”在恢复之前自动做的备份，"
    "存有恢复之前程序目录中的 vexa.cfg 与数据文件。\r\n";
const char kPreRestoreMark[] = "（恢复前自动备份）";
const char kConfigMissingNote[] = "程序目录中没有 vexa.cfg，只备份了数据文件。";

std::string BackupDoneMessage(bool clearing, const std::string& backupDirectory,
                              bool configMissing) {
  return (clearing ? "旧的配置与数据文件已全部清空\n" : "配置与数据文件已备份到目录：\n") +
         backupDirectory + (configMissing ? std::string("\n\n") + kConfigMissingNote : "");
}

}  // namespace vexa
