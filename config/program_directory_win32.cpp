#include "config/program_directory_win32.h"

#include "base/wide_text.h"
#include "config/program_directory.h"

namespace vexa {

std::wstring ModuleFileName(HMODULE module, DWORD initialChars) {
  // The name may pass MAX_PATH (long paths, \\?\ starts): a name that fills
  // the buffer may have been cut, so the buffer grows until it does not.
  constexpr DWORD kLongestPath = 32768;
  std::wstring name(initialChars > 0 ? initialChars : 1, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return std::wstring();
    if (length < name.size()) return name.substr(0, length);
    if (name.size() >= kLongestPath) return std::wstring();
    name.resize(name.size() * 2 < kLongestPath ? name.size() * 2 : kLongestPath);
  }
}

std::string GetProgramDirectory() { return DirectoryOfPath(Narrow(ModuleFileName(nullptr))); }

}  // namespace vexa
