#include <windows.h>

#include "base/wide_text.h"
#include "config/program_directory.h"

namespace vexa {

std::string GetProgramDirectory() {
  wchar_t buffer[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  if (length == 0) return std::string();
  // A name cut at the buffer's end is still searched only up to what was
  // written.
  return DirectoryOfPath(Narrow(std::wstring(buffer, length < MAX_PATH ? length : MAX_PATH)));
}

}  // namespace vexa
