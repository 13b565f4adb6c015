#pragma once
// Restoring a backup folder of "备份\": which folders there are and how
// they are listed, which files a restore takes back, its texts, and the
// order of its steps, written against the few things it needs from the
// system so that the order can be followed exactly.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup.h"
#include "base/status.h"
#include "tracker/status_line.h"
#include "tracker/tracker_processes.h"

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

// Whether the tracker of this program directory runs, as far as can be told.
struct TrackerRunCheck {
  bool known = true;  // false: it could not be told; detail says why
  bool running = false;
  std::string detail;  // which processes run, or why it could not be told
};

// Running when a tracker process runs or its service is on its way up or
// down; not known when the process list could not be read or a process named
// like the tracker hides its path, which might be ours.
TrackerRunCheck JudgeTrackerRun(const TrackerProcesses& tracker);

extern const char kNoBackupsText[];
extern const char kRestoreEmptyFolderText[];
extern const char kRestoreFolderGoneText[];

std::string RestoreConfirmText(const std::string& folderPath);
// The refusal while the tracker runs, or while that cannot be told.
std::string RestoreRefusedText(const TrackerRunCheck& check);
// A drive too full for that backup comes first, as in every backup's box.
std::string RestoreBackupFailedText(const BackupOutcome& backup);
std::string RestoreFailedText(const RestoreOutcome& outcome, const std::string& preRestoreFolder);
// What the final box reports.
struct RestoreReport {
  std::string folderPath;            // the backup restored
  std::string preRestoreFolder;      // the backup made first; empty when there was nothing to back up
  bool noConfigBefore = false;       // there was no vexa.cfg to back up first
  std::vector<std::string> planned;  // the folder's files when the restore began
  RestoreOutcome restored;
  Status reload;  // what came of reading vexa.cfg again
};
// The files planned but not restored, and those restored unplanned, as a
// text; "" when the restore took exactly the plan.
std::string RestorePlanDifference(const std::vector<std::string>& planned,
                                  const std::vector<std::string>& restored);
std::string RestoreDoneText(const RestoreReport& report);

// Where the restore meets the panel and the system.
class RestoreHost {
 public:
  virtual ~RestoreHost() = default;

  // Backup root with a backslash: ProgramDirectory + "备份\".
  virtual std::string BackupRoot() = 0;
  virtual std::vector<BackupFolder> ListBackupFolders() = 0;
  // The dialog "恢复备份" over the folders, newest first, where the user
  // may also delete some; the one chosen, nullopt for Cancel.
  virtual std::optional<BackupFolder> ChooseBackup() = 0;
  // The application's OK/Cancel box; true for OK.
  virtual bool ConfirmAppMessage(const std::string& text) = 0;
  // The application's box (its title as caption, OK) with this icon.
  virtual void ShowAppMessage(const std::string& text, unsigned icon) = 0;
  // Whether a tracker process of this program directory runs (service or
  // console).
  virtual TrackerRunCheck CheckTrackerRuns() = 0;
  // The lock that keeps other panels and the command-line backup out while
  // files are copied; false when another one holds it.
  virtual bool TakeJobLock() = 0;
  virtual void ReleaseJobLock() = 0;
  // The backup button's copy into a new time-stamped folder.
  virtual BackupOutcome BackupCurrentFiles() = 0;
  virtual RestoreOutcome RestoreFiles(const std::string& folderPath,
                                      const std::string& preRestoreFolder) = 0;
  // Reads vexa.cfg again into the store and shows it on every page; the
  // reason when it could not be read (the store then stays as it was).
  virtual Status ReloadConfiguration() = 0;
  virtual void Log(const std::string& line) = 0;
};

// The button "恢复备份数据": choose, refuse while the tracker runs, confirm,
// take the lock, read the folder again, back up the current files, restore,
// release the lock, reload, report.
void RestoreBackupButton(RestoreHost& host);

}  // namespace vexa
