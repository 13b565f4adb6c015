#pragma once
// The action log's lines of a backup (BackupLogLine, for a whole outcome, is
// declared with the outcome in backup/backup.h).
#include <string>

namespace vexa {

// The line for a finished or failed backup; error is empty when it went through.
std::string BackupLogText(bool clearing, const std::string& directory, unsigned files,
                          unsigned long long bytes, const std::string& error,
                          bool configMissing = false);

}  // namespace vexa
