#pragma once
// The file errors that end a backup or a restore, as Status values naming
// the file and giving the system's reason.
#include <windows.h>

#include <string>

#include "base/status.h"

namespace vexa {

// The message for path failing with the system's error code.
Status FileError(const std::string& path, DWORD error);
// A file that could not be opened at all.
Status NotOpened(const std::string& path);

}  // namespace vexa
