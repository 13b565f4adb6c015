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

// A tracker that is missing, a directory of that name or no program: the
// switch and the console both fail naming vexa.exe, and only a program
// counts as there (the flow's own test has it say so before running anything).
TEST(TrackerLauncher, ATrackerThatIsMissingOrNoProgramIsNamed) {
  const struct {
    const char* name;
    bool directory;
    const char* bytes;  // nullptr: no file
  } cases[] = {{"空 目录", false, nullptr},
               {"目录 同名", true, nullptr},
               {"坏 程序", false, "not a program"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory dir(c.name);
    const std::string tracker = dir.Path() + "vexa.exe";
    if (c.directory) CreateDirectoryW(Wide(tracker).c_str(), nullptr);
    if (c.bytes) test::WriteBytes(tracker, c.bytes);
    EXPECT_EQ(TrackerExeExists(dir.Path()), c.bytes != nullptr);
    // A system message with an insert for the program names it again.
    for (const Status& failed :
         {RunTrackerCommand(dir.Path(), kStartCommand).status, StartTrackerConsole(dir.Path())}) {
      const std::string head = "无法运行 " + tracker + "：\n";
      ASSERT_FALSE(failed.ok);
      EXPECT_EQ(failed.message.rfind(head, 0), 0u) << failed.message;
      EXPECT_EQ(failed.message.find("%1"), std::string::npos) << failed.message;
      if (c.bytes) {
        EXPECT_NE(failed.message.find(tracker, head.size()), std::string::npos) << failed.message;
      }
    }
  }
}

}  // namespace
}  // namespace vexa
