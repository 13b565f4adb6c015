#include "base/process_win32.h"

#include <vector>

#include "base/wide_text.h"

namespace vexa {

bool ProcessRunsElevated(bool whenUnknown) {
  ScopedHandle token;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()) ||
      !GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size)) {
    return whenUnknown;
  }
  return elevation.TokenIsElevated != 0;
}

StartedProcess StartProcess(const ProcessLaunch& launch) {
  // CreateProcessW may write into the command line.
  const std::wstring line = Wide(launch.commandLine);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  const std::wstring application = Wide(launch.application);
  const std::wstring directory = Wide(launch.workingDirectory);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (launch.showCommand >= 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(launch.showCommand);
  }
  PROCESS_INFORMATION info = {};
  StartedProcess started;
  if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), buffer.data(), nullptr,
                      nullptr, FALSE, launch.flags, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    started.error = GetLastError();
    return started;
  }
  started.process.Reset(info.hProcess);
  started.thread.Reset(info.hThread);
  return started;
}

}  // namespace vexa
