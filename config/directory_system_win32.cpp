#include <windows.h>

#include "config/directory_system_win32.h"

#include "base/path_exists.h"

namespace vexa {

bool CWinDirectorySystem::Exists(const std::string& path) { return PathExists(path); }

bool CWinDirectorySystem::IsDirectory(const std::string& path) { return DirectoryExists(path); }

// windows.h renames the member to CreateDirectoryA here as in every file that
// includes it first; the slot in the interface is the same either way.
bool CWinDirectorySystem::CreateDirectory(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

}  // namespace vexa
