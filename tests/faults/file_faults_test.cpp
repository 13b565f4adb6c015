// Faults of vexa.cfg and the data files, end to end in the real panel: a
// read-only or locked vexa.cfg, data files that cannot be copied, a console
// that will not close. Each test shows the box the user gets and that
// vexa.cfg and the data files are byte for byte what they were.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/wide_text.h"
#include "resources/resource.h"
#include "tests/faults/fault_support.h"

namespace vexa::faults {
namespace {

using e2e::ItemText;
using e2e::ReadFileBytes;
using e2e::SetItemText;
using e2e::WaitUntil;

const char kCfg[] =
    "port = 7000\r\n"
    "vexa_max_conns = 80\r\n"
    "vexa_show_added = 1\r\n"
    "vexa_custom_title = 维克萨 嘰俓乗\r\n";

std::string DataBytes(size_t size, int seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) >> 3);
  return bytes;
}

// A program directory with vexa.cfg and two data files.
struct Installed {
  Installed() {
    ready = dir.Ready() && dir.Write("vexa.cfg", kCfg) &&
            dir.Write("users.vexa", DataBytes(300000, 1)) &&
            dir.Write("dstate.vexa", DataBytes(5000, 2));
  }
  // Remembers the files as they are now, then starts the panel.
  testing::AssertionResult Start() {
    if (!ready) return testing::AssertionFailure() << "program directory not made";
    before = TakeSnapshot(dir.Path());
    return panel.Start(dir);
  }
  std::string Changes() const { return Differences(before, TakeSnapshot(dir.Path())); }

  ProgramDir dir;
  Panel panel;
  Snapshot before;
  bool ready = false;
};

void ExpectSaveRefused(const std::optional<MessageBoxInfo>& box, DWORD error) {
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kPageCaption);
  EXPECT_EQ(box->text.find(kSaved), std::string::npos) << box->text;
  EXPECT_NE(box->text.find(kSaveFailed), std::string::npos) << box->text;
  EXPECT_NE(box->text.find("vexa.cfg"), std::string::npos) << box->text;
  EXPECT_NE(box->text.find(SystemText(error)), std::string::npos) << box->text;
}

TEST(FileFaults, ReadOnlyVexaCfgIsRefusedOnEveryPageAndStaysIntact) {
  Installed s;
  ASSERT_TRUE(SetFileAttributesW(Wide(s.dir.File("vexa.cfg")).c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(s.Start());

  HWND limits = ShowTab(s.panel, kLimitsTab);
  ASSERT_TRUE(SetItemText(limits, IDC_SYS_MAX_CONNS, "99"));
  ExpectSaveRefused(ClickAndRead(s.panel, limits, kSave, "fault-read-only-cfg"),
                    ERROR_ACCESS_DENIED);

  HWND options = ShowTab(s.panel, kOptionsTab);
  ASSERT_TRUE(SetItemText(options, IDC_OPT_SHOW_ADDED, "5"));
  ExpectSaveRefused(ClickAndRead(s.panel, options, kSave), ERROR_ACCESS_DENIED);

  HWND directories = ShowTab(s.panel, kDirectoriesTab);
  // Keep the absolute defaults off the prefix's C: drive.
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_ALLOWED_DIR, "pub"));
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_UPLOAD_DIR, "upload"));
  auto box = ClickAndRead(s.panel, directories, kSave);
  ExpectSaveRefused(box, ERROR_ACCESS_DENIED);
  // The directory steps ran and say so; only the file was refused.
  if (box) {
    EXPECT_NE(box->text.find("自动校验设置目录完毕"), std::string::npos) << box->text;
  }

  EXPECT_EQ(s.Changes(), "");
  EXPECT_EQ(s.dir.Read("vexa.cfg"), kCfg);
  EXPECT_TRUE(GetFileAttributesW(Wide(s.dir.File("vexa.cfg")).c_str()) & FILE_ATTRIBUTE_READONLY);
  // What was typed is still on the pages, ready for a later save.
  EXPECT_EQ(ItemText(limits, IDC_SYS_MAX_CONNS), "99");
  EXPECT_EQ(ItemText(options, IDC_OPT_SHOW_ADDED), "5");
}

TEST(FileFaults, OneClickWithVexaCfgHeldOpenStopsBeforeAnythingIsCleared) {
  Installed s;
  ASSERT_TRUE(s.Start());
  ExclusiveHandle other(s.dir.File("vexa.cfg"));
  ASSERT_TRUE(other.Held());

  auto box = RunOneClick(s.panel, "fault-one-click-locked-cfg");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kAppCaption);
  EXPECT_NE(box->text.find("vexa.cfg"), std::string::npos) << box->text;
  EXPECT_NE(box->text.find(SystemText(ERROR_SHARING_VIOLATION)), std::string::npos) << box->text;
  EXPECT_TRUE(NoBoxFor(s.panel, 1500));
  other.Release();

  EXPECT_EQ(s.Changes(), "");
  EXPECT_FALSE(s.dir.Exists("备份"));
  EXPECT_TRUE(s.dir.StandInCalls().empty());
}

TEST(FileFaults, OneClickAfterVexaCfgWasHeldOpenAtStartUpNeverOverwritesIt) {
  Installed s;
  ASSERT_TRUE(s.ready);
  s.before = TakeSnapshot(s.dir.Path());
  {
    ExclusiveHandle other(s.dir.File("vexa.cfg"));
    ASSERT_TRUE(other.Held());
    ASSERT_TRUE(s.panel.Start(s.dir));
  }
  // Said once at start-up, right after the window shows.
  auto told = e2e::WaitForMessageBox(s.panel.Pid(), s.panel.Main(), 10000);
  ASSERT_TRUE(told);
  EXPECT_EQ(told->text.rfind("无法读取 vexa.cfg", 0), 0u) << told->text;
  ASSERT_TRUE(e2e::PressButton(*told, IDOK));
  // The store holds nothing of the file: saving "port = 6969" alone would
  // wipe every other setting, so nothing is written and nothing cleared.
  auto box = RunOneClick(s.panel);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kAppCaption);
  EXPECT_NE(box->text.find("vexa.cfg"), std::string::npos) << box->text;
  EXPECT_NE(box->text.find("没有写入"), std::string::npos) << box->text;
  EXPECT_TRUE(NoBoxFor(s.panel, 1500));
  EXPECT_EQ(s.Changes(), "");
  EXPECT_FALSE(s.dir.Exists("备份"));
  EXPECT_TRUE(s.dir.StandInCalls().empty());
}

TEST(FileFaults, BackupWithVexaCfgHeldOpenNamesItAndTouchesNoData) {
  Installed s;
  ASSERT_TRUE(s.Start());
  ExclusiveHandle other(s.dir.File("vexa.cfg"));
  ASSERT_TRUE(other.Held());
  auto box = ClickAndRead(s.panel, s.panel.Page(kServiceTab), kBackup);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kAppCaption);
  EXPECT_EQ(box->text, "An invalid file handle was associated with " + s.dir.File("vexa.cfg") + ".");
  other.Release();
  EXPECT_EQ(s.Changes(), "");
}

// Every data file is where it was or, moved by the clearing, complete in
// the backup: none is lost or cut short.
void ExpectNoDataLost(const Installed& s, const std::string& backupDir) {
  for (const auto& [name, bytes] : s.before) {
    if (name.size() < 5 || name.compare(name.size() - 5, 5, ".vexa") != 0) continue;
    if (s.dir.Exists(name)) {
      EXPECT_TRUE(s.dir.Read(name) == bytes) << name << " changed";
    } else {
      EXPECT_TRUE(ReadFileBytes(backupDir + name) == bytes) << name << " is neither here nor backed up";
    }
  }
}

// The one backup directory a failed run made, with its trailing backslash.
std::string OnlyBackupDir(const ProgramDir& dir) {
  std::vector<std::string> files = FilesBelow(dir.File("备份\\"));
  if (files.empty()) return "";
  return dir.File("备份\\") + files.front().substr(0, files.front().find('\\') + 1);
}

TEST(FileFaults, DataFileThatCannotBeCopiedStopsTheClearingAndStays) {
  Installed s;
  // The save of port 6969 then rewrites the same bytes.
  ASSERT_TRUE(s.dir.Write("vexa.cfg", "port = 6969\r\nvexa_max_conns = 80\r\n"));
  ASSERT_TRUE(s.Start());
  ExclusiveHandle tracker(s.dir.File("users.vexa"));
  ASSERT_TRUE(tracker.Held());

  auto box = RunOneClick(s.panel);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kAppCaption);
  EXPECT_EQ(box->text, "An invalid file handle was associated with " + s.dir.File("users.vexa") + ".");
  // No restart, no administrator dialog: the installation ends here, after
  // only the stop that came before the clearing, and may be started again.
  EXPECT_TRUE(NoBoxFor(s.panel, 1500));
  EXPECT_EQ(s.dir.StandInCalls(),
            std::vector<std::string>{"\"" + s.dir.File("vexa.exe") + "\" -stop"});
  EXPECT_TRUE(WaitUntil(
      [&] { return ItemText(s.panel.Page(kServiceTab), 1074) == "一键安装服务器"; }, 5000));
  tracker.Release();

  EXPECT_TRUE(s.dir.Read("users.vexa") == s.before["users.vexa"]);
  EXPECT_EQ(s.dir.Read("vexa.cfg"), s.before["vexa.cfg"]);
  ExpectNoDataLost(s, OnlyBackupDir(s.dir));
}

TEST(FileFaults, RestartWithAConsoleThatIgnoresCloseNamesItAndGoesOn) {
  Installed s;
  ASSERT_TRUE(s.Start());
  ASSERT_TRUE(s.dir.SetStandInIgnoresClose(true));
  HWND service = s.panel.Page(kServiceTab);
  e2e::ClickItem(service, kConsoleStart);
  ASSERT_TRUE(WaitUntil([] { return e2e::WindowsOfClass("ConsoleWindowClass").size() == 1; }, 10000));
  std::vector<DWORD> console = e2e::ProcessesInside(s.dir.Path());
  console.erase(std::remove(console.begin(), console.end(), s.panel.Pid()), console.end());
  ASSERT_EQ(console.size(), 1u);

  DWORD start = GetTickCount();
  e2e::ClickItem(service, kRestart);
  auto box = e2e::WaitForMessageBox(s.panel.Pid(), s.panel.Main(), 10000);
  DWORD elapsed = GetTickCount() - start;
  ASSERT_TRUE(box);
  EXPECT_LE(elapsed, 5000u);
  EXPECT_EQ(box->caption, "提示");
  EXPECT_EQ(box->text, "以下控制台窗口未能关闭：\nvexa (PID " + std::to_string(console[0]) + ")");
  // The service commands wait behind the box, then all four run.
  EXPECT_EQ(s.dir.StandInCalls().size(), 1u);
  ASSERT_TRUE(e2e::PressButton(*box, IDOK));
  const std::string q = "\"" + s.dir.File("vexa.exe") + "\"";
  ASSERT_TRUE(WaitUntil([&] { return s.dir.StandInCalls().size() == 5; }, 15000));
  EXPECT_EQ(s.dir.StandInCalls(),
            (std::vector<std::string>{q, q + " -stop", q + " -U", q + " -i", q + " -start"}));
  EXPECT_TRUE(NoBoxFor(s.panel, 1000));
  EXPECT_TRUE(s.dir.Remove("ignore-close"));
  EXPECT_TRUE(s.dir.Remove("vexa-calls.log"));
  EXPECT_TRUE(s.dir.Remove("vexa-cwd.log"));  // every start ran in the program directory
  EXPECT_EQ(s.Changes(), "");
  // The panel itself still answers.
  EXPECT_TRUE(s.panel.Close(5000));
}

}  // namespace
}  // namespace vexa::faults
