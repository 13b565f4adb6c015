#pragma once
// Copying the tracker's configuration and data files into a new
// time-stamped directory below "备份\" and, in clearing mode, removing the
// data files whose copies are complete.
#include <atomic>
#include <string>
#include <vector>

#include "backup/backup_names.h"
#include "base/status.h"

namespace vexa {

BackupTime LocalBackupTime();

struct BackupOutcome {
  Status status;          // the file error that ended the backup
  // Full path of the new backup directory, with a backslash; empty when
  // none was made (a failure, or nothing to back up).
  std::string directory;
  unsigned files = 0;     // files copied completely
  unsigned long long bytes = 0;
  bool configMissing = false;  // there was no vexa.cfg to copy
  bool spaceShort = false;     // refused before copying: the drive is too full
  // Neither vexa.cfg nor a data file: no folder made, status says so.
  bool nothing = false;
  // Clearing only: data files whose copies are in the backup but that
  // could not be removed (status names them).
  std::vector<std::string> notCleared = {};
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

// The whole backup on the files of programDirectory, whole or not at all:
// every file is copied into a new working folder, each copy new, flushed
// and checked, and only then is the folder renamed to its time stamp; a
// failure removes the working folder. Copies nothing when the files would
// not fit on the drive with room to spare, or when there is nothing to
// back up. A missing vexa.cfg alone is no error: the data files are copied
// and configMissing says so. Clearing removes the data files only once the
// backup is complete. Working folders a killed run left are removed first.
// kBeforeRestore marks the backup with the restore's note before it is
// named, so that no backup of what a restore replaces is ever unmarked.
enum class BackupKind { kPlain, kClearing, kBeforeRestore };
BackupOutcome BackupFiles(const std::string& programDirectory, BackupKind kind,
                          const BackupTime& time, BackupProgress* progress = nullptr);

// The backup every job makes (the button, the clearing, the restore's own,
// the command line): at the local time, under the program directory's job
// lock (refused with kDataJobBusyText while another process holds it), and
// logged with its figures.
BackupOutcome GuardedBackup(const std::string& programDirectory, BackupKind kind,
                            BackupProgress* progress = nullptr);

}  // namespace vexa
