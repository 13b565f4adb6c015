#pragma once
// Copying the tracker's configuration and data files into a new
// time-stamped directory below "备份\" and, in clearing mode, removing the
// data files whose copies are complete.
#include <string>

#include "tracker/backup_names.h"
#include "tracker/service_actions.h"

namespace vexa {

BackupTime LocalBackupTime();

// The whole backup on the files of programDirectory; stops at the first
// file error, leaving that file (and every later one) in place.
BackupOutcome BackupFiles(const std::string& programDirectory, bool clearing,
                          const BackupTime& time);

}  // namespace vexa
