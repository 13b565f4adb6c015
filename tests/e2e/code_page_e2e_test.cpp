// The real panel under whatever ANSI code page the run gives it: 936 in the
// usual run, 1252 in the second run (VEXA_WINE_LANG=C.UTF-8, as on an English
// Windows). Texts read back through the wide messages are the Chinese ones,
// the names made on disk are Chinese, and vexa.cfg keeps the code page's bytes.
// The shortcut's part is in settings_pages_e2e_test.cpp, beside its helpers.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "base/wide_text.h"
#include "config/config_store.h"
#include "resources/resource.h"
#include "tests/e2e/driver.h"

namespace vexa::e2e {
namespace {


std::string CodePageName() { return "cp" + std::to_string(GetACP()); }

TEST(CodePageE2e, TitleTabsButtonsAndBoxesAreChineseUnderTheAnsiCodePage) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  // A port typed in full-width digits, in the code page's bytes (６９: A3 B6 A3 B9 in
  // GBK; 1252 has no such characters, "69é" there).
  const bool western = GetACP() == 1252;
  const std::string portText = western ? "69é" : "６９";
  ASSERT_TRUE(dir.Write("vexa.cfg", western ? "port = 69\xE9\r\n" : "port = \xA3\xB6\xA3\xB9\r\n"));
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  EXPECT_EQ(Text(panel.Main()), "Vexa服务器 控制面板 3.0");
  const char* const tabs[] = {"管理服务", "目录设置", "选项设置", "系统设置"};
  ASSERT_EQ(TabCount(panel.Tabs()), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(TabCaption(panel.Tabs(), i), tabs[i]) << i;
  HWND service = panel.Page(0);
  EXPECT_EQ(ItemText(service, 1091), "恢复备份数据");
  EXPECT_EQ(ItemText(service, IDC_SVC_ONE_CLICK), "一键安装服务器");
  EXPECT_EQ(ItemText(panel.Page(kDirectoriesTab), IDC_SAVE), "保 存 修 改 ");
  // The status line is written while the panel runs, the port as typed.
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::string line = ItemText(service, 1090);
        return line.rfind("服务：未安装 | 控制台：", 0) == 0 &&
               line.find(" | 端口 " + portText + "：") != std::string::npos;
      },
      5000))
      << ItemText(service, 1090);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NE(SaveScreenshot(panel.Main(), CodePageName() + "-tab-" + std::to_string(i)), "");
    if (i < 3) ShowTab(panel, i + 1);
  }

  // The backup's folder and its box.
  ASSERT_TRUE(dir.Write("vexa.cfg", "port = 6969\r\n"));
  ShowTab(panel, 0);
  ClickItem(service, IDC_SVC_BACKUP);
  auto box = WaitForMessageBox(panel.Pid(), panel.Main(), 20000);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text.rfind("配置与数据文件已备份到目录：", 0), 0u) << box->text;
  EXPECT_NE(box->text.find(dir.Path() + "备份\\"), std::string::npos) << box->text;
  EXPECT_TRUE(PressButton(*box, IDOK));
  EXPECT_TRUE(dir.Exists("备份"));
  EXPECT_TRUE(dir.Exists("备份\\") && !dir.Exists("\xB1\xB8\xB7\xDD"));
}

TEST(CodePageE2e, VexaCfgKeepsTheCodePagesBytesAndRefusesWhatItCannotHold) {
  // A folder name the run's code page can hold, in that code page's bytes,
  // and one it cannot.
  const bool western = GetACP() == 1252;
  const std::string held = western ? "Donn\xE9"
                                     "es"
                                   : "\xCA\xFD\xBE\xDD";  // Données / 数据
  const std::string heldText = western ? "Données" : "数据";
  const std::string foreign = western ? "数据" : "한국";
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  const std::string cfg = "vexa_file_dir = " + held + "\r\nport = 6969\r\n";
  ASSERT_TRUE(dir.Write("vexa.cfg", cfg));
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND page = ShowTab(panel, kDirectoriesTab);
  EXPECT_EQ(ItemText(page, IDC_DIR_FILE_DIR), heldText);

  // Refused, naming the field; nothing written, no directory made.
  ASSERT_TRUE(SetItemText(page, IDC_DIR_ACCESS_LOG_DIR, foreign));
  ClickItem(page, IDC_SAVE);
  auto refused = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, NotInCodePageText("日志文件目录"));
  EXPECT_TRUE(PressButton(*refused, IDOK));
  EXPECT_EQ(dir.Read("vexa.cfg"), cfg);
  EXPECT_FALSE(dir.Exists(foreign));

  // What the code page holds round-trips byte for byte.
  ASSERT_TRUE(SetItemText(page, IDC_DIR_ACCESS_LOG_DIR, ""));
  ClickItem(page, IDC_SAVE);
  auto saved = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(saved);
  EXPECT_TRUE(PressButton(*saved, IDOK));
  const std::string bytes = dir.Read("vexa.cfg");
  EXPECT_EQ(bytes.rfind("vexa_file_dir = " + held + "\r\nport = 6969\r\n", 0), 0u) << bytes;
  EXPECT_TRUE(dir.Exists(heldText + "\\index.html"));
}

}  // namespace
}  // namespace vexa::e2e
