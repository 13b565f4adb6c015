#include "tracker/tracker_launcher.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "base/scoped_handles_win32.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"
#include "tracker/tracker_commands.h"
#include "ui/busy_panel_win32.h"

namespace vexa {

namespace {

// The path quoted as one argument, so blanks and & ^ % ( ) in the program
// directory reach nobody but CreateProcess, which does not interpret them.
Status Launch(const std::string& programDirectory, const std::string& arguments, DWORD flags,
              PROCESS_INFORMATION* process) {
  std::string path = TrackerExePath(programDirectory);
  std::string commandLine = "\"" + path + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::wstring wideLine = Wide(commandLine);
  std::vector<wchar_t> buffer(wideLine.begin(), wideLine.end());
  buffer.push_back(L'\0');

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  // The tracker finds vexa.cfg and its data files in its working directory.
  const std::wstring directory = Wide(programDirectory);
  const wchar_t* workingDirectory = programDirectory.empty() ? nullptr : directory.c_str();
  if (!CreateProcessW(Wide(path).c_str(), buffer.data(), nullptr, nullptr, FALSE, flags, nullptr,
                      workingDirectory, &startup, process)) {
    DWORD error = GetLastError();
    return Status::Error("无法运行 " + path + "：\n" + SystemMessage(error));
  }
  return Status::Ok();
}

}  // namespace

std::string TrackerExePath(const std::string& programDirectory) {
  return programDirectory + kTrackerExe;
}

bool TrackerExeExists(const std::string& programDirectory) {
  DWORD attributes = GetFileAttributesW(Wide(TrackerExePath(programDirectory)).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TrackerRun RunTrackerCommand(const std::string& programDirectory, const std::string& command,
                             const CommandWait& wait) {
  TrackerRun run;
  PROCESS_INFORMATION process = {};
  // Starting a process takes Wine a good part of a second at times: not on
  // the window's thread.
  run.status = RunPumping([&] {
    return Launch(programDirectory, CommandSwitch(command), CREATE_NO_WINDOW, &process);
  });
  if (!run.status.ok) return run;
  ScopedHandle processHandle(process.hProcess);
  ScopedHandle threadHandle(process.hThread);
  const DWORD slice = wait.keepWaiting ? wait.askAfterMs : INFINITE;
  while (!WaitPumping(process.hProcess, slice)) {
    // It may have ended while the question was up.
    if (!wait.keepWaiting() && WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
      run.status = Status::Error(WaitGivenUpText(command));
      return run;
    }
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  run.exitCode = exitCode;
  return run;
}

Status StartTrackerConsole(const std::string& programDirectory) {
  PROCESS_INFORMATION process = {};
  // No CREATE_NEW_PROCESS_GROUP: it would make the tracker ignore Ctrl-C,
  // which is how a console without a window of its own is closed.
  Status started = Launch(programDirectory, "", CREATE_NEW_CONSOLE, &process);
  // Not waited for: the console instance runs until its window is closed.
  ScopedHandle processHandle(process.hProcess);
  ScopedHandle threadHandle(process.hThread);
  return started;
}

void ShellOpen(const std::string& target) {
  ShellExecuteW(nullptr, nullptr, Wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace vexa
