#include "tracker/tracker_launcher.h"

#include <windows.h>
#include <shellapi.h>

#include "base/process_win32.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"
#include "tracker/tracker_commands.h"
#include "ui/busy_panel_win32.h"

namespace vexa {

namespace {

struct Launched {
  Status status;
  StartedProcess process;
};

Launched Launch(const std::string& programDirectory, const std::string& arguments, DWORD flags) {
  ProcessLaunch launch;
  launch.application = TrackerExePath(programDirectory);
  launch.commandLine = QuotedCommandLine(launch.application, arguments);
  // The tracker finds vexa.cfg and its data files in its working directory.
  launch.workingDirectory = programDirectory;
  launch.flags = flags;
  Launched launched;
  launched.process = StartProcess(launch);
  if (!launched.process.process) {
    launched.status = Status::Error("无法运行 " + launch.application + "：\n" +
                                    SystemMessage(launched.process.error, launch.application));
  }
  return launched;
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
  // Starting a process takes Wine a good part of a second at times: not on
  // the window's thread.
  Launched launched = RunPumping(
      [&] { return Launch(programDirectory, CommandSwitch(command), CREATE_NO_WINDOW); });
  run.status = launched.status;
  if (!run.status.ok) return run;
  HANDLE process = launched.process.process.Get();
  const DWORD slice = wait.keepWaiting ? wait.askAfterMs : INFINITE;
  while (!WaitPumping(process, slice)) {
    // It may have ended while the question was up.
    if (!wait.keepWaiting() && WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
      run.status = Status::Error(WaitGivenUpText(command));
      return run;
    }
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process, &exitCode);
  run.exitCode = exitCode;
  return run;
}

Status StartTrackerConsole(const std::string& programDirectory) {
  // No CREATE_NEW_PROCESS_GROUP: it would make the tracker ignore Ctrl-C,
  // which is how a console without a window of its own is closed. Not
  // waited for: the console instance runs until its window is closed.
  return Launch(programDirectory, "", CREATE_NEW_CONSOLE).status;
}

Status ShellOpen(const std::string& target) {
  const std::wstring file = Wide(target);
  SHELLEXECUTEINFOW open = {};
  open.cbSize = sizeof open;
  open.fMask = SEE_MASK_FLAG_NO_UI;  // the caller says what went wrong, in its own box
  open.lpFile = file.c_str();
  open.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&open)) return Status::Ok();
  DWORD error = GetLastError();
  // The shell's own code (file not found, no association) when it set none.
  if (error == ERROR_SUCCESS) error = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(open.hInstApp));
  return Status::Error(SystemMessage(error));
}

}  // namespace vexa
