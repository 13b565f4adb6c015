// Faults of vexa.cfg, end to end in the real panel: a read-only, locked or
// outside-edited vexa.cfg, a console that will not close. Each test shows
// the box the user gets and that vexa.cfg and the data files are byte for
// byte what they were.
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
  EXPECT_TRUE(NoBoxOnceOneClickStopped(s.panel));
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
  EXPECT_TRUE(NoBoxOnceOneClickStopped(s.panel));
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
  EXPECT_EQ(box->text.rfind("A sharing violation occurred while accessing " +
                                s.dir.File("vexa.cfg") + ".\n",
                            0),
            0u)
      << box->text;
  other.Release();
  EXPECT_EQ(s.Changes(), "");
}

// Another program edits vexa.cfg after the panel read it. The installation
// first saves port 6969, so it asks about the edit: No stops before anything
// is cleared; Yes goes on, and vexa.cfg keeps the edit with the new port.
TEST(FileFaults, OneClickAfterAnOutsideEditAsksBeforeAnythingIsCleared) {
  Installed s;
  ASSERT_TRUE(s.dir.SetStandInRealService());
  ASSERT_TRUE(s.Start());
  const std::string outside = "port = 7100\r\nvexa_max_conns = 80\r\nadded = x\r\n";
  ASSERT_TRUE(s.dir.Write("vexa.cfg", outside));
  s.before = TakeSnapshot(s.dir.Path());

  auto question = ConfirmOneClick(s.panel);
  ASSERT_TRUE(question);
  EXPECT_EQ(question->caption, kPageCaption);
  EXPECT_EQ(question->text.rfind("vexa.cfg 在本程序启动后已被其他程序修改", 0), 0u)
      << question->text;
  ASSERT_TRUE(question->HasButton(IDYES) && question->HasButton(IDNO));
  ASSERT_TRUE(e2e::PressButton(*question, IDNO));
  auto box = e2e::WaitForMessageBox(s.panel.Pid(), s.panel.Main());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kAppCaption);
  EXPECT_EQ(box->text, "vexa.cfg 已被其他程序修改，按您的选择没有保存。");
  ASSERT_TRUE(e2e::PressButton(*box, IDOK));
  EXPECT_TRUE(NoBoxOnceOneClickStopped(s.panel));
  EXPECT_EQ(s.Changes(), "");
  EXPECT_FALSE(s.dir.Exists("备份"));
  EXPECT_TRUE(s.dir.StandInCalls().empty());

  question = ConfirmOneClick(s.panel);
  ASSERT_TRUE(question);
  ASSERT_TRUE(question->HasButton(IDYES));
  ASSERT_TRUE(e2e::PressButton(*question, IDYES));
  box = e2e::WaitForMessageBox(s.panel.Pid(), s.panel.Main());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text.rfind("旧的配置与数据文件已全部清空\n", 0), 0u) << box->text;
  ASSERT_TRUE(e2e::PressButton(*box, IDOK));
  auto dialog = e2e::WaitForMessageBox(s.panel.Pid(), s.panel.Main(), 20000);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->caption, "创建管理员");
  ASSERT_TRUE(e2e::PressButton(*dialog, IDCANCEL));
  box = e2e::WaitForMessageBox(s.panel.Pid(), s.panel.Main());
  ASSERT_TRUE(box);
  ASSERT_TRUE(e2e::PressButton(*box, IDOK));
  EXPECT_EQ(s.dir.Read("vexa.cfg"), "port = 6969\r\nvexa_max_conns = 80\r\nadded = x\r\n");
  EXPECT_FALSE(s.dir.Exists("users.vexa"));
}

TEST(FileFaultsConsoles, RestartWithAConsoleThatIgnoresCloseNamesItAndGoesOn) {
  Installed s;
  // A free port: the console's start would ask about one held by another program.
  ASSERT_TRUE(s.dir.Write("vexa.cfg", "port = " + std::to_string(e2e::FreePort()) + "\r\n"));
  ASSERT_TRUE(s.dir.SetStandInRealService());
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
  EXPECT_TRUE(s.dir.WaitForLogLine(" -start：返回代码"));
  EXPECT_TRUE(s.panel.NoBoxOnceIdle());
  EXPECT_TRUE(s.dir.Remove("ignore-close"));
  EXPECT_TRUE(s.dir.Remove("vexa-calls.log"));
  EXPECT_TRUE(s.dir.Remove("vexa-cwd.log"));  // every start ran in the program directory
  EXPECT_EQ(s.Changes(), "");
  // The panel itself still answers.
  EXPECT_TRUE(s.panel.Close(5000));
}

}  // namespace
}  // namespace vexa::faults
