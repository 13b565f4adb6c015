// Faults of vexa.cfg, end to end in the real panel: a read-only or
// outside-edited vexa.cfg. Each test shows the box the user gets and that
// vexa.cfg and the data files are byte for byte what they were. A vexa.cfg
// held open at start-up is in settings_pages_e2e_test.cpp; one held open
// at a save is the file layer's (config_file_win32_test.cpp).
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "base/wide_text.h"
#include "resources/resource.h"
#include "tests/faults/fault_support.h"

namespace vexa::faults {
namespace {

using e2e::ItemText;
using e2e::SetItemText;

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
  ExpectSaveRefused(ClickAndRead(s.panel, limits, IDC_SAVE, "fault-read-only-cfg"),
                    ERROR_ACCESS_DENIED);

  HWND options = ShowTab(s.panel, kOptionsTab);
  ASSERT_TRUE(SetItemText(options, IDC_OPT_SHOW_ADDED, "5"));
  ExpectSaveRefused(ClickAndRead(s.panel, options, IDC_SAVE), ERROR_ACCESS_DENIED);

  HWND directories = ShowTab(s.panel, kDirectoriesTab);
  // Keep the absolute defaults off the prefix's C: drive.
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_ALLOWED_DIR, "pub"));
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_UPLOAD_DIR, "upload"));
  auto box = ClickAndRead(s.panel, directories, IDC_SAVE);
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
  ASSERT_TRUE(question->HasButton(IDYES) && question->HasButton(IDNO)) << question->text;
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
  ASSERT_TRUE(question->HasButton(IDYES)) << question->text;
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

}  // namespace
}  // namespace vexa::faults
