#include "backup/backup_shelf.h"

#include <algorithm>

#include "backup/backup_names.h"
#include "base/byte_size.h"

namespace vexa {

const char kDataJobBusyText[] =
    "同一目录的另一个控制面板（或命令行备份）正在备份或恢复数据，请等它结束后再试。";

bool BackupFits(std::uint64_t needBytes, std::uint64_t freeBytes) {
  return freeBytes >= kBackupSpareBytes && needBytes <= freeBytes - kBackupSpareBytes;
}

std::string DiskSpaceShortText(std::uint64_t needBytes, std::uint64_t freeBytes) {
  return "磁盘空间不足：备份需要 " + ByteSizeText(needBytes) + "，磁盘只剩 " +
         ByteSizeText(freeBytes) + "（备份之后还要留出 " + ByteSizeText(kBackupSpareBytes) +
         "）。\n没有复制任何文件。";
}

int FolderFileCount(const BackupFolder& folder) {
  return folder.fileCount + folder.otherFiles + (folder.beforeRestore ? 1 : 0);
}

std::uint64_t FolderBytes(const BackupFolder& folder) {
  return folder.totalBytes + folder.otherBytes;
}

KeepPlan PlanKeepNewest(std::vector<BackupFolder> folders, unsigned keep,
                        const std::string& madeNow) {
  SortNewestFirst(folders);
  // The new backup first: the others' times may lie ahead of the clock.
  std::stable_partition(folders.begin(), folders.end(),
                        [&](const BackupFolder& folder) { return folder.name == madeNow; });
  KeepPlan plan;
  unsigned seen = 0;
  for (BackupFolder& folder : folders) {
    if (!ParseBackupName(folder.name)) continue;
    if (folder.isLink || folder.beforeRestore) {
      const char* why = folder.isLink ? "它是一个链接"
                                      : "它是恢复前自动做的备份，只能在“恢复备份”中手工删除";
      plan.spared.push_back({std::move(folder), why});
      continue;
    }
    const bool foreign = folder.otherFiles > 0 || folder.subfolders > 0;
    // An empty folder holds nothing to keep, and must not stand in for a backup.
    const bool empty = folder.fileCount == 0 && !foreign;
    if (!empty && ++seen <= keep) continue;
    if (foreign) {
      plan.spared.push_back({std::move(folder), "其中有备份之外的文件或目录"});
    } else {
      plan.remove.push_back(std::move(folder));
    }
  }
  return plan;
}

std::string BackupShelfText(const std::vector<BackupFolder>& folders,
                            std::optional<std::uint64_t> freeBytes) {
  std::uint64_t total = 0;
  std::size_t count = 0;
  for (const BackupFolder& folder : folders) {
    if (!ParseBackupName(folder.name)) continue;
    ++count;
    total += FolderBytes(folder);
  }
  const std::string room = freeBytes ? "磁盘剩余 " + ByteSizeIn(*freeBytes, ByteUnit::kGigabyte)
                                     : std::string("磁盘剩余空间无法读取");
  return "共 " + std::to_string(count) + " 个备份，占用 " + ByteSizeIn(total, ByteUnit::kMegabyte) +
         "；" + room;
}

std::string DeleteBackupConfirmText(const std::string& folderPath, const BackupFolder& folder) {
  return "确定要删除备份“" + folder.name + "”吗？\n" + folderPath + "\n\n其中的 " +
         std::to_string(FolderFileCount(folder)) + " 个文件（" + ByteSizeText(FolderBytes(folder)) +
         "）将被永久删除，无法恢复。";
}

std::string BackupDeletedLogText(const std::string& folderPath, const BackupFolder& folder) {
  return "删除备份：" + folderPath + "（" + std::to_string(FolderFileCount(folder)) + " 个文件，" +
         std::to_string(FolderBytes(folder)) + " 字节）";
}

}  // namespace vexa
