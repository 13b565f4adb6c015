#pragma once
// Whether a file or directory of that name is there (Win32 only). A name
// that cannot be looked up counts as missing.
#include <string>

namespace vexa {

bool PathExists(const std::string& path);  // a file or a directory
bool DirectoryExists(const std::string& path);

}  // namespace vexa
