#pragma once
// Restoring a backup folder on the real file system: listing the folders
// of "备份\", and copying a folder's files back over the live ones so that
// a failure leaves the live files as they were.
#include <functional>
#include <string>
#include <vector>

#include "backup/backup.h"
#include "backup/restore_plan.h"

namespace vexa {

// The folders below programDirectory + "备份\", unsorted, each with the
// count and size of the files a restore would take back.
std::vector<BackupFolder> ListBackupFolders(const std::string& programDirectory);

// Copies the restorable files of folderPath (ending in a backslash) into
// programDirectory. First every file goes to its temporary name beside its
// live file, flushed, closed and checked for size; only when all are there
// is each moved over its live file in one step. A failure in the first
// part removes the copies and touches no live file; a failure in the
// second puts the files already replaced back from preRestoreFolder (or
// removes those that did not exist) and names any it could not. progress,
// when given, counts the copies as they are written (from another thread).
// beforeReplace, when given, is asked once every copy is ready and right
// before the first live file is replaced; an error stops the restore there
// (stoppedBeforeReplace), with the copies removed.
RestoreOutcome RestoreBackupFiles(const std::string& programDirectory,
                                  const std::string& folderPath,
                                  const std::string& preRestoreFolder,
                                  BackupProgress* progress = nullptr,
                                  const std::function<Status()>& beforeReplace = {});

// False when a restore of this process is still replacing live files after
// timeoutMs: a process ended then would leave them half old, half new.
bool WaitForFilesReplaced(unsigned long timeoutMs);

}  // namespace vexa
