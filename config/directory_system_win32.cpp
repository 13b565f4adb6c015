#include <windows.h>

#include "config/directory_system_win32.h"

namespace vexa {

bool CWinDirectorySystem::Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// windows.h renames the member to CreateDirectoryA here as in every file that
// includes it first; the slot in the interface is the same either way.
bool CWinDirectorySystem::CreateDirectory(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

}  // namespace vexa
