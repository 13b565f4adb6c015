#include "base/system_library_win32.h"

#include <string>

namespace vexa {

namespace {

// kernel32 is a known DLL; these two exist only from Windows 8 or with
// KB2533623 on Windows 7, so they are looked up rather than imported.
template <typename Function>
Function Kernel32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

}  // namespace

void RestrictDllSearch() {
  using SetDefault = BOOL(WINAPI*)(DWORD);
  static const auto setDefault = Kernel32Function<SetDefault>("SetDefaultDllDirectories");
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Without it, at least the current directory leaves the search.
  SetDllDirectoryW(L"");
}

FARPROC SystemLibraryFunction(const wchar_t* dll, const char* function) {
  HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
    // A Windows 7 without KB2533623 knows no search flags: the full path
    // names the file, and the altered search path takes its own
    // dependencies from System32 too.
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(system, length) + L"\\" + dll;
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return module ? GetProcAddress(module, function) : nullptr;
}

}  // namespace vexa
