#pragma once
// The directory of the running executable, ending in a backslash; fixed once
// at start-up before the store is loaded.
#include <string>

namespace vexa {

// Text up to and including the last backslash (scanned by characters), or
// "" when there is none.
std::string DirectoryOfPath(const std::string& path);

// Win32 only: DirectoryOfPath of the running executable's file name.
std::string GetProgramDirectory();

const std::string& ProgramDirectory();
void SetProgramDirectory(const std::string& directory);

}  // namespace vexa
