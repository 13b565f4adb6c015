#include "tracker/tracker_launcher.h"

#include <windows.h>

#include <thread>

#include "base/path_exists.h"
#include "base/process_win32.h"
#include "base/scoped_handles_win32.h"
#include "base/system_error_win32.h"
#include "tracker/tracker_commands.h"

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
  return FileExists(TrackerExePath(programDirectory));
}

TrackerRun RunTrackerCommand(const std::string& programDirectory, const std::string& command,
                             const CommandWait& wait) {
  TrackerRun run;
  auto waitFor = [&wait](HANDLE handle, DWORD ms) {
    return wait.waitFor ? wait.waitFor(handle, ms) : WaitForSingleObject(handle, ms) == WAIT_OBJECT_0;
  };
  // Starting a process takes Wine a good part of a second at times: not on
  // the calling thread, which may be a window's.
  Launched launched;
  const ScopedHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread starter([&] {
    launched = Launch(programDirectory, CommandSwitch(command), CREATE_NO_WINDOW);
    if (started) SetEvent(started.Get());
  });
  if (started) waitFor(started.Get(), INFINITE);
  starter.join();
  run.status = launched.status;
  if (!run.status.ok) return run;
  HANDLE process = launched.process.process.Get();
  const DWORD slice = wait.keepWaiting ? wait.askAfterMs : INFINITE;
  while (!waitFor(process, slice)) {
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

}  // namespace vexa
