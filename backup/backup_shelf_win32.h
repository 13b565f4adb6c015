#pragma once
// The backups below "备份\" on disk: the room on their drive, deleting one,
// keeping the newest, and the lock that keeps two panels of one program
// directory from copying or replacing the tracker's files at once.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/directory_lock_win32.h"
#include "base/scoped_handles_win32.h"
#include "base/status.h"

namespace vexa {

// Bytes this user may still write on the drive of directory; nullopt when
// the system cannot tell.
std::optional<std::uint64_t> FreeDiskBytes(const std::string& directory);

// Deletes the plain files of a folder the backup made (folderPath ending in
// a backslash), then the folder. Never follows a link: a folder that is one,
// or that holds a folder (a junction among them), is left whole.
Status RemoveFolderOfFiles(const std::string& folderPath);

// Deletes a backup: first renamed to a name that is no backup's, then
// removed, so that a deletion stopped half way never leaves something that
// lists as a backup. A folder holding a folder is left whole: no backup
// makes one.
struct FolderDeletion {
  Status status;
  std::string left;  // after a failure: the folder that holds what is left; empty when the backup is whole
};
FolderDeletion DeleteBackupFolder(const std::string& folderPath);
// The error and what is left, for a box or the log.
std::string FolderDeletionFailedText(const std::string& folderPath, const FolderDeletion& deletion);

// "/keep N": deletes the backups beyond the newest keep, madeNow (the
// backup this run has just made, a folder name) counting as the newest.
// One line for each folder deleted, spared or not deleted, for the log and
// the console.
struct KeepOutcome {
  std::vector<std::string> lines;
  bool ok = true;  // false when a folder could not be deleted
};
KeepOutcome KeepNewestBackups(const std::string& programDirectory, unsigned keep,
                              const std::string& madeNow);

// Removes what a killed backup or deletion left below the backup root,
// one log line each; nothing else there is touched.
void RemoveUnfinishedFolders(const std::string& backupRoot);

// Taken for the time a job copies or replaces the tracker's files; not held
// when another process (a panel in any session, the command-line backup)
// holds it. It is the program directory's lock file, which the log's
// rotation takes too.
class DataJobLock {
 public:
  explicit DataJobLock(const std::string& programDirectory) : lock_(programDirectory) {}
  bool Held() const { return lock_.Held(); }

 private:
  DirectoryLock lock_;
};

}  // namespace vexa
