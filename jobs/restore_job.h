#pragma once
// The button "恢复备份数据": its texts and its steps.
#include <string>
#include <vector>

#include "backup/backup.h"
#include "backup/restore_plan.h"
#include "jobs/job_port.h"
#include "tracker/status_line.h"

namespace vexa {

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


// Choose, refuse while the tracker runs, ask, take the lock, look at the
// tracker and the folder again, back up the current files, look at the
// tracker once more right before the first file is replaced, restore,
// release the lock, reload, tell.
void RestoreBackupJob(const Job& job);

}  // namespace vexa
