// A stand-in VexaAdmin.dll for the start-up test: it only notes each entry's
// number on a line of its log (VEXA_SKIN_LOG, else skin-calls.log beside the
// executable).
#include <windows.h>

#include <string>

#include "skin/skin_api_win32.h"

namespace {

std::wstring LogPath() {
  constexpr DWORD kChars = MAX_PATH * 2;
  wchar_t buffer[kChars];
  DWORD n = GetEnvironmentVariableW(L"VEXA_SKIN_LOG", buffer, kChars);
  if (n > 0 && n < kChars) return std::wstring(buffer, n);
  n = GetModuleFileNameW(nullptr, buffer, kChars);
  std::wstring exe(buffer, n < kChars ? n : 0);
  std::wstring::size_type slash = exe.find_last_of(L"\\/");
  return (slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash + 1)) +
         L"skin-calls.log";
}

void Record(const char* line) {
  HANDLE file = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string text = std::string(line) + "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" int SkinStartup(HINSTANCE, const char*, const char*, const char*) {
  Record("1");
  return 1;
}

extern "C" int SkinShutdown() {
  Record("2");
  return 1;
}

extern "C" int SkinLoadResource(HINSTANCE, const char*, const char*) {
  Record("4");
  return 1;
}

extern "C" int SkinApplyToDialogs(const char*) {
  Record("8");
  return 1;
}
