#pragma once
// A file written once and never replaced (Win32 only).
#include <string>

#include "base/status.h"

namespace vexa {

// Writes bytes into a new file at path; a file already there stays as it
// is (and counts as done). A file that could not be written whole is removed.
Status CreateNewFile(const std::string& path, const std::string& bytes);

}  // namespace vexa
