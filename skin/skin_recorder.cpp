// A stand-in VexaAdmin.dll for the start-up test: it only notes each entry's
// number on a line of its log (VEXA_SKIN_LOG, else skin-calls.log beside the
// executable).
#include <windows.h>

#include <string>

#include "skin/skin_api.h"

namespace {

std::string LogPath() {
  char buffer[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA("VEXA_SKIN_LOG", buffer, sizeof buffer);
  if (n > 0 && n < sizeof buffer) return std::string(buffer, n);
  n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  std::string exe(buffer, n < sizeof buffer ? n : 0);
  std::string::size_type slash = exe.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : exe.substr(0, slash + 1)) + "skin-calls.log";
}

void Record(const char* line) {
  HANDLE file = CreateFileA(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
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
