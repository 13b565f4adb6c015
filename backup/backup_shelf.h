#pragma once
// The backups kept below "备份\": which of them an unattended run may
// delete, what the restore dialog says of them, and the room a new backup
// needs before it starts.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backup/restore_plan.h"

namespace vexa {

// Left free beside a new backup, so that the tracker and the system can
// still write.
constexpr std::uint64_t kBackupSpareBytes = 10ULL * 1024 * 1024;

bool BackupFits(std::uint64_t needBytes, std::uint64_t freeBytes);
// The refusal before a backup that would not fit, naming both figures.
std::string DiskSpaceShortText(std::uint64_t needBytes, std::uint64_t freeBytes);

// Every file a folder holds, and their size.
int FolderFileCount(const BackupFolder& folder);
std::uint64_t FolderBytes(const BackupFolder& folder);

// "/keep N": of the folders named as the backup names them, those beyond
// the newest keep, madeNow (the backup just made) always the newest of
// them whatever the clock says of the others. A folder holding what no
// backup holds (another file, a folder) is spared: it is not only the
// panel's; so is a restore's own backup, which may hold the only copy of
// what the restore replaced, and a link. A backup holding no file is no
// backup to keep.
struct SparedBackup {
  BackupFolder folder;
  std::string why;
};
struct KeepPlan {
  std::vector<BackupFolder> remove;  // oldest last
  std::vector<SparedBackup> spared;
};
KeepPlan PlanKeepNewest(std::vector<BackupFolder> folders, unsigned keep,
                        const std::string& madeNow);

// "共 N 个备份，占用 X MB；磁盘剩余 Y GB" under the restore dialog's list:
// only the folders named as the backup names them are counted.
std::string BackupShelfText(const std::vector<BackupFolder>& folders,
                            std::optional<std::uint64_t> freeBytes);
// The question before a folder is deleted from the restore dialog.
std::string DeleteBackupConfirmText(const std::string& folderPath, const BackupFolder& folder);
// The action log's line for a deleted folder.
std::string BackupDeletedLogText(const std::string& folderPath, const BackupFolder& folder);

// While one panel of a program directory copies or replaces the tracker's
// files, every other one (and the command-line backup) waits its turn.
extern const char kDataJobBusyText[];

}  // namespace vexa
