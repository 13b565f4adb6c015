#include "backup/file_error.h"

namespace vexa {

namespace {

const char* FileErrorPattern(FileErrorCause cause) {
  switch (cause) {
    case FileErrorCause::NotFound: return "%1 was not found.";
    case FileErrorCause::BadPath: return "All or part of the path %1 is invalid.";
    case FileErrorCause::AccessDenied: return "Access to %1 was denied.";
    case FileErrorCause::SharingViolation:
      return "A sharing violation occurred while accessing %1.";
    case FileErrorCause::LockViolation: return "A locking violation occurred while accessing %1.";
    case FileErrorCause::DiskFull: return "The disk is full while accessing %1.";
    case FileErrorCause::HardwareError:
      return "A hardware I/O error was reported while accessing %1.";
    case FileErrorCause::Incomplete: return "%1 was not copied completely.";
    case FileErrorCause::Generic: break;
  }
  return "An unknown error occurred while accessing %1.";
}

}  // namespace

std::string FileErrorText(FileErrorCause cause, const std::string& path,
                          const std::string& reason) {
  std::string text = FileErrorPattern(cause);
  text.replace(text.find("%1"), 2, path);
  if (!reason.empty()) text += "\n" + reason;
  return text;
}

}  // namespace vexa
