#pragma once
// The file errors that end a backup or a restore, as Status values naming
// the file and giving the system's reason.
#include <windows.h>

#include <string>

#include "base/status.h"

namespace vexa {

// The message for path failing with the system's error code, also when it
// could not be opened at all: the system's reason is what the user can act on.
Status FileError(const std::string& path, DWORD error);

}  // namespace vexa
