#pragma once
// The texts of the file errors that end a backup or a restore.
#include <string>

namespace vexa {

enum class FileErrorCause {
  NotFound,
  BadPath,
  AccessDenied,
  SharingViolation,
  LockViolation,
  DiskFull,
  HardwareError,
  Incomplete,  // the copy ended up shorter or longer than its source
  Generic,
};

// The message for a file that ended the backup, naming the file; the
// system's reason follows on its own line when there is one.
std::string FileErrorText(FileErrorCause cause, const std::string& path, const std::string& reason);

}  // namespace vexa
