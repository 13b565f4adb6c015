#include "tracker/tracker_launcher.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/wide_text.h"
#include "tests/tracker/scratch_directory.h"
#include "tracker/tracker_commands.h"

namespace vexa {
namespace {

using test::ReadBytes;
using test::ScratchDirectory;

std::string InstallRecorder(const ScratchDirectory& dir) {
  std::string recorder = test::TestExeDirectory() + "vexa_command_recorder.exe";
  EXPECT_TRUE(CopyFileW(Wide(recorder).c_str(), Wide(dir.Path() + "vexa.exe").c_str(), FALSE))
      << recorder;
  return dir.Path() + "commands.log";
}

TEST(TrackerLauncher, RunsExactlyVexaExeWithItsSwitchFromAnAwkwardDirectory) {
  // Blanks, the command interpreter's specials and GBK text with a 5C trail byte.
  ScratchDirectory dir("程序 a&b ^c %PATH% (x) 嘰俓");
  std::string log = InstallRecorder(dir);
  ASSERT_TRUE(TrackerExeExists(dir.Path()));

  test::WriteBytes(dir.Path() + "exitcode.txt", "0");
  TrackerRun run = RunTrackerCommand(dir.Path(), kInstallCommand);
  ASSERT_TRUE(run.status.ok) << run.status.message;
  EXPECT_EQ(run.exitCode, 0u);

  test::WriteBytes(dir.Path() + "exitcode.txt", "1060");
  run = RunTrackerCommand(dir.Path(), kStopCommand);
  ASSERT_TRUE(run.status.ok) << run.status.message;
  EXPECT_EQ(run.exitCode, 1060u);

  // Waited for: the line is there as soon as the call returns.
  const std::string quoted = "\"" + dir.Path() + "vexa.exe\"";
  EXPECT_EQ(ReadBytes(log), quoted + " -i\n" + quoted + " -stop\n");
}

TEST(TrackerLauncher, ConsoleStartRunsTheQuotedPathWithoutArguments) {
  ScratchDirectory dir("控制台 a&b (1)");
  std::string log = InstallRecorder(dir);
  ASSERT_TRUE(StartTrackerConsole(dir.Path()).ok);
  ASSERT_TRUE(StartTrackerConsole(dir.Path()).ok);
  const std::string line = "\"" + dir.Path() + "vexa.exe\"\n";
  std::string logged;
  for (int i = 0; i < 100 && logged.size() < 2 * line.size(); ++i) {
    Sleep(50);
    logged = ReadBytes(log);
  }
  EXPECT_EQ(logged, line + line);
}

TEST(TrackerLauncher, MissingTrackerIsReportedByName) {
  ScratchDirectory dir("空 目录");
  EXPECT_FALSE(TrackerExeExists(dir.Path()));
  CreateDirectoryW(Wide(dir.Path() + "vexa.exe").c_str(), nullptr);
  EXPECT_FALSE(TrackerExeExists(dir.Path()));  // a directory of that name is no program

  TrackerRun run = RunTrackerCommand(dir.Path(), kStartCommand);
  EXPECT_FALSE(run.status.ok);
  EXPECT_NE(run.status.message.find(dir.Path() + "vexa.exe"), std::string::npos)
      << run.status.message;
  Status console = StartTrackerConsole(dir.Path());
  EXPECT_FALSE(console.ok);
  EXPECT_NE(console.message.find(dir.Path() + "vexa.exe"), std::string::npos);
}

// The system's message has an insert for the program: it names vexa.exe.
TEST(TrackerLauncher, ATrackerThatIsNoProgramIsNamedInTheSystemsMessage) {
  ScratchDirectory dir("坏 程序");
  const std::string tracker = dir.Path() + "vexa.exe";
  test::WriteBytes(tracker, "not a program");
  const std::string message = RunTrackerCommand(dir.Path(), kStartCommand).status.message;
  const std::string head = "无法运行 " + tracker + "：\n";
  ASSERT_EQ(message.rfind(head, 0), 0u) << message;
  EXPECT_NE(message.find(tracker, head.size()), std::string::npos) << message;
  EXPECT_EQ(message.find("%1"), std::string::npos) << message;
}

}  // namespace
}  // namespace vexa
