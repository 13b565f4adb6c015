#include <windows.h>

#include "config/directory_system_win32.h"

#include "base/path_exists.h"
#include "base/system_error_win32.h"
#include "base/text_codec.h"
#include "base/wide_text.h"

namespace vexa {

// The cleaning hands over ANSI bytes, the form vexa.cfg keeps.
bool CWinDirectorySystem::Exists(const std::string& path) { return PathExists(TextFromAnsi(path)); }

bool CWinDirectorySystem::IsDirectory(const std::string& path) {
  return DirectoryExists(TextFromAnsi(path));
}

// windows.h may rename the member to CreateDirectoryA or CreateDirectoryW here
// as in every file that includes it first; the slot in the interface is the
// same either way.
bool CWinDirectorySystem::CreateDirectory(const std::string& path) {
  if (::CreateDirectoryW(Wide(TextFromAnsi(path)).c_str(), nullptr)) return true;
  lastError_ = GetLastError();
  lastPath_ = TextFromAnsi(path);
  return false;
}

std::string CWinDirectorySystem::Reason() {
  return lastError_ == 0 ? std::string() : SystemMessage(lastError_, lastPath_);
}

}  // namespace vexa
