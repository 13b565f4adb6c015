#pragma once
// Run elevated or as SYSTEM, the panel trusts the files of its folder: if
// someone other than the administrators can change them, it says so. The
// window goes on and tells the operator once; "/backup" refuses.
#include <string>

#include "base/status.h"

namespace vexa {

// directory: the program directory, with its trailing backslash. Ok
// without a look when the process is not elevated; otherwise an error
// names who may change what, and the fix.
Status CheckProgramFolder(const std::string& directory);

// The command that gives the folder to SYSTEM and the administrators only.
std::string SafeFolderCommand(const std::string& directory);

}  // namespace vexa
