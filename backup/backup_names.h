#pragma once
// The names of the data backup (time stamp, folder names, the restore's
// note) and the messages that name them.
#include <optional>
#include <string>

#include "config/config_store.h"  // kConfigFileName

namespace vexa {

extern const char kBackupRootName[];  // "备份\\"
extern const char kDataFilePattern[];  // "*.vexa"

struct BackupTime {
  int month;   // 1..12
  int day;     // 1..31
  int hour;    // 0..23
  int minute;
  int second;
};

// "12月6日5时59分9秒": no leading zeros, each number followed by its unit.
std::string BackupTimeStamp(const BackupTime& time);

// A folder name the backup itself makes: a time stamp, then nothing or
// " 0", " 0 1", " 0 1 2" ...; extensions counts those numbers.
struct BackupName {
  BackupTime time;
  int extensions;
};
// nullopt for every other name, so that nothing else is ever taken for a backup.
std::optional<BackupName> ParseBackupName(const std::string& name);

// The name to try when candidate is taken: S, "S 0", "S 0 1", "S 0 1 2", ...
std::string NextBackupName(const std::string& stamped, const std::string& candidate);

// A backup is copied into a working folder and renamed to its time stamp
// only when every copy is complete; a folder is renamed away before it is
// deleted. Neither name ever parses as a backup's, so a half-made or
// half-deleted folder is never listed, counted or restored.
extern const char kWorkingFolderPrefix[];   // "~正在备份 "
extern const char kDeletingFolderPrefix[];  // "~正在删除 "
bool IsUnfinishedFolderName(const std::string& name);

// The last name of a backup directory's path ("…\\备份\\12月6日5时59分9秒\\").
std::string BackupFolderName(const std::string& backupDirectory);

// Neither vexa.cfg nor a data file: no backup is made.
std::string NothingToBackUpText(const std::string& programDirectory);
// The folder "备份\" (or a folder below it) could not be made.
std::string BackupFolderFailedText(const std::string& folder, const std::string& reason);

// The final message, backupDirectory ending in a backslash; configMissing
// adds that there was no vexa.cfg to back up.
std::string BackupDoneMessage(bool clearing, const std::string& backupDirectory,
                              bool configMissing = false);
extern const char kConfigMissingNote[];

// The note a restore leaves in the backup it makes first, by which the
// restore dialog tells that backup from the user's own; its mark in the list.
extern const char kPreRestoreNoteName[];
extern const char kPreRestoreNoteText[];
extern const char kPreRestoreMark[];

}  // namespace vexa
