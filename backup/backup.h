#pragma once
// Copying the tracker's configuration and data files into a new
// time-stamped directory below "备份\" and, in clearing mode, removing the
// data files whose copies are complete.
#include <atomic>
#include <string>

#include "backup/backup_names.h"
#include "base/status.h"

namespace vexa {

BackupTime LocalBackupTime();

struct BackupOutcome {
  Status status;          // the file error that ended the backup
  std::string directory;  // full path of the new backup directory, with a backslash
  unsigned files = 0;     // files copied completely
  unsigned long long bytes = 0;
  bool configMissing = false;  // there was no vexa.cfg to copy
  bool spaceShort = false;     // refused before copying: the drive is too full
};

// The action log's line for a backup that took elapsedMs.
std::string BackupLogLine(bool clearing, const BackupOutcome& outcome,
                          unsigned long long elapsedMs);

// How far a backup has come: written by the copying thread, read by the
// window's while it waits.
struct BackupProgress {
  std::atomic<unsigned> filesDone{0};
  std::atomic<unsigned> filesTotal{0};
  std::atomic<unsigned long long> bytesDone{0};
  std::atomic<unsigned long long> bytesTotal{0};
};

// The whole backup on the files of programDirectory; copies nothing when
// the files would not fit on the drive with room to spare. Stops at the first
// file error, leaving that file (and every later one) in place. A missing
// vexa.cfg is no error: the data files are copied and configMissing says so.
// With flushCopies every copy is on the disk before the backup counts, as
// one that files are about to be replaced from must be (clearing always is).
BackupOutcome BackupFiles(const std::string& programDirectory, bool clearing,
                          const BackupTime& time, BackupProgress* progress = nullptr,
                          bool flushCopies = false);

}  // namespace vexa
