#include <windows.h>

#include "config/program_directory.h"

namespace vexa {

std::string GetProgramDirectory() {
  char buffer[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (length == 0) return std::string();
  // A name cut at the buffer's end is still searched only up to what was
  // written.
  return DirectoryOfPath(std::string(buffer, length < MAX_PATH ? length : MAX_PATH));
}

}  // namespace vexa
