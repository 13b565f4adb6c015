#include "backup/file_error_win32.h"

#include "backup/file_error.h"
#include "base/system_error_win32.h"

namespace vexa {

namespace {

FileErrorCause CauseOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return FileErrorCause::NotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return FileErrorCause::BadPath;
    case ERROR_ACCESS_DENIED: return FileErrorCause::AccessDenied;
    case ERROR_SHARING_VIOLATION: return FileErrorCause::SharingViolation;
    case ERROR_LOCK_VIOLATION: return FileErrorCause::LockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileErrorCause::DiskFull;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_GEN_FAILURE: return FileErrorCause::HardwareError;
    default: return FileErrorCause::Generic;
  }
}

}  // namespace

Status FileError(const std::string& path, DWORD error) {
  return Status::Error(FileErrorText(CauseOf(error), path, SystemMessage(error, path)));
}

}  // namespace vexa
