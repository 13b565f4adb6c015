#pragma once
// The backups below "备份\" on disk: the room on their drive, deleting one,
// keeping the newest, and the lock that keeps two panels of one program
// directory from copying or replacing the tracker's files at once.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/directory_mutex_win32.h"
#include "base/scoped_handles_win32.h"
#include "base/status.h"

namespace vexa {

// Bytes this user may still write on the drive of directory; nullopt when
// the system cannot tell.
std::optional<std::uint64_t> FreeDiskBytes(const std::string& directory);

// Deletes the files of folderPath (ending in a backslash), then the folder.
// A folder holding a folder is left whole: no backup makes one.
Status DeleteBackupFolder(const std::string& folderPath);

// "/keep N": deletes the backups beyond the newest keep. One line for each
// folder deleted, spared or not deleted, for the log and the console.
struct KeepOutcome {
  std::vector<std::string> lines;
  bool ok = true;  // false when a folder could not be deleted
};
KeepOutcome KeepNewestBackups(const std::string& programDirectory, unsigned keep);

// Taken for the time a job copies or replaces the tracker's files; not held
// when another panel of the directory (in any session) holds it.
class DataJobLock {
 public:
  explicit DataJobLock(const std::string& programDirectory);
  bool Held() const { return held_; }

 private:
  ScopedHandle mutex_;
  std::optional<MutexHold> hold_;
  bool held_ = false;
};

}  // namespace vexa
