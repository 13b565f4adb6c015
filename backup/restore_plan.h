#pragma once
// The folders of "备份\" as the restore sees them: what each holds, how
// they are listed, which files a restore takes back and what came of it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup.h"
#include "base/status.h"

namespace vexa {

// A folder below the backup root, as found on disk.
struct BackupFolder {
  std::string name;             // as on disk, no backslash
  std::uint64_t createdTime = 0;  // FILETIME ticks of the folder's creation
  int fileCount = 0;            // files a restore would take back
  std::uint64_t totalBytes = 0;  // their total size
  std::vector<std::string> fileNames = {};  // those files, as the file system lists them
  bool beforeRestore = false;  // made by a restore before it replaced the files
  int otherFiles = 0;          // files a backup does not make (the restore's note aside)
  std::uint64_t otherBytes = 0;  // size of every file but those a restore takes back
  int subfolders = 0;          // no backup makes any
  // FILETIME ticks of the newest last write of its files: unlike the
  // folder's creation time, it stays when the folder is copied elsewhere.
  std::uint64_t newestFileTime = 0;
  bool isLink = false;  // a junction or link planted under a backup's name
};

// What came of copying a backup's files over the live ones.
struct RestoreOutcome {
  Status status;  // the file error that stopped the restore
  int files = 0;  // files restored (all of them when status is ok)
  std::uint64_t bytes = 0;
  // After a failure: files that still hold the backup's bytes because
  // putting the previous ones back failed too; empty means every live file
  // is as it was before the restore.
  std::vector<std::string> notUndone;
  std::vector<std::string> restoredNames = {};  // the files restored, when status is ok
  // Stopped right before the first file would have been replaced (status
  // says why): every live file is as it was.
  bool stoppedBeforeReplace = false;
};

// The files a restore takes back are those a backup makes: vexa.cfg and
// the data files "*.vexa" (both compared without regard to case). Anything
// else in a backup folder stays there: the backup made before a restore
// holds only these, so only these can be put back afterwards.
bool IsRestorableFileName(const std::string& name);

// Newest first: by the newest file each holds, then by creation time, then
// by the time stamp of the name, then by the numbers that make a name
// unique within one second (" 0", " 0 1").
void SortNewestFirst(std::vector<BackupFolder>& folders);

// One line of the list: the name, then a tab, the file count, a tab, the size.
std::string BackupListEntry(const BackupFolder& folder);

// The temporary name beside a live file that its restored copy is written to.
std::string RestoreTemporaryName(const std::string& fileName);

extern const char kNoBackupsText[];
}  // namespace vexa
