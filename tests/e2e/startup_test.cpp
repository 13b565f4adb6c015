// Start-up, main window and sliding tab strip of the real VexaPanel.exe.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/wide_text.h"
#include "resources/resource.h"
#include "tests/e2e/driver.h"

namespace vexa::e2e {
namespace {

constexpr int kTabCount = 4;
const char* const kTabCaptions[kTabCount] = {"管理服务", "目录设置", "选项设置", "系统设置"};

TEST(Startup, MainWindowShowsFourTabsWithOnlyTheServicePageInPlace) {
  // Blanks, and 嘰 whose GBK trail byte is the backslash, in the program's path.
  ProgramDir dir(" 面板 嘰");
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));

  // The only window of the program, in the middle of the work area.
  EXPECT_EQ(TopLevelWindows(panel.Pid()), std::vector<HWND>{panel.Main()});
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT main = RectIn(panel.Main(), nullptr);
  EXPECT_LE(std::abs((main.left + main.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((main.top + main.bottom) - (work.top + work.bottom)), 1);
  HWND tabs = panel.Tabs();
  ASSERT_TRUE(tabs);
  EXPECT_EQ(ClassOf(tabs), "SysTabControl32");
  ASSERT_EQ(TabCount(tabs), kTabCount);
  EXPECT_EQ(TabSelection(tabs), 0);
  for (int i = 0; i < kTabCount; ++i) {
    SCOPED_TRACE("tab " + std::to_string(i));
    EXPECT_EQ(TabCaption(tabs, i), kTabCaptions[i]);
    HWND page = panel.Page(i);
    ASSERT_TRUE(page);
    EXPECT_EQ(GetParent(page), tabs);
    EXPECT_EQ(IsVisible(page), i == 0);
    RECT rect = RectIn(page, tabs);
    EXPECT_EQ(rect.left, kPageX);
    EXPECT_EQ(rect.top, kPageY);
  }
  // Tab 0 carries the service page.
  EXPECT_EQ(ItemText(panel.Page(0), IDC_SVC_INSTALL), "安装后台服务");
  EXPECT_NE(SaveScreenshot(panel.Main(), "startup"), "");
}

TEST(Startup, SelectingATabHidesTheOldPageAtOnceAndBringsTheNewOneToItsPlace) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND tabs = panel.Tabs();
  ASSERT_EQ(TabCount(tabs), kTabCount);

  // Every tab once, then back to the first.
  for (int tab : {1, 2, 3, 0}) {
    SCOPED_TRACE("to tab " + std::to_string(tab));
    HWND old = panel.Page(TabSelection(tabs));
    HWND page = panel.Page(tab);
    ASSERT_TRUE(old && page);
    RECT before = RectIn(page, tabs);
    LONG width = before.right - before.left;

    SelectTab(tabs, tab);
    EXPECT_FALSE(IsVisible(old));
    EXPECT_EQ(TabSelection(tabs), tab);

    // How it slides is the tab strip's own test and the looks test's.
    EXPECT_TRUE(WaitForPageAtRest(panel, tab));
    RECT after = RectIn(page, tabs);
    EXPECT_EQ(after.left, kPageX);
    EXPECT_EQ(after.top, kPageY);
    EXPECT_EQ(after.right - after.left, width);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    for (int other = 0; other < kTabCount; ++other)
      EXPECT_EQ(IsVisible(panel.Page(other)), other == tab) << "page " << other;
    EXPECT_NE(SaveScreenshot(panel.Main(), "tab-" + std::to_string(tab)), "");
  }
}

TEST(Startup, ClosingTheMainWindowEndsTheProcess) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND main = panel.Main();

  EXPECT_TRUE(dir.WaitForLogLine("控制面板启动：" + dir.Path()));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(panel.WaitForExit(10000));
  EXPECT_EQ(panel.ExitCode(), 0u);
  EXPECT_TRUE(dir.WaitForLogLine("控制面板退出", 1, 0));
  EXPECT_FALSE(IsWindow(main));
  EXPECT_TRUE(ProcessesInside(dir.Path()).empty());
}

// A second start for the same directory spelt otherwise (short name, other
// letter case) opens no window: it restores the first one, brings it to the
// front and exits.
TEST(Startup, ASecondStartShowsTheFirstWindowInsteadOfOpeningAnother) {
  ProgramDir dir(" 第二次启动");
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND main = panel.Main();
  EXPECT_TRUE(dir.WaitForLogLine("控制面板启动：" + dir.Path()));

  PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != 0; }, 5000));
  wchar_t shortPath[MAX_PATH] = L"";
  ASSERT_GT(GetShortPathNameW(Wide(dir.Path()).c_str(), shortPath, MAX_PATH), 0u);
  ASSERT_NE(Lower(dir.Path()), Lower(Narrow(shortPath)));
  ScopedHandle second = StartProcess("\"" + Lower(Narrow(shortPath)) + "VexaPanel.exe\"");
  ASSERT_TRUE(second);
  bool windowSeen = false;
  const bool ended = WaitUntil(
      [&] {
        windowSeen = windowSeen || !TopLevelWindows(GetProcessId(second.Get())).empty();
        return WaitForSingleObject(second.Get(), 0) == WAIT_OBJECT_0;
      },
      20000);
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(second.Get(), &exitCode);
  if (!ended) TerminateProcess(second.Get(), 1);
  EXPECT_TRUE(ended);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(windowSeen);
  EXPECT_TRUE(dir.WaitForLogLine("另一个控制面板已打开此目录，已切换到它"));
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(main) && GetForegroundWindow() == main; }, 5000));
}

TEST(Startup, SkinEntriesRunOneFourEightAtStartAndTwoAtExitOnceEach) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  ASSERT_NE(SkinRecorderDll(), "") << "the build has no recording skin DLL";
  ASSERT_TRUE(dir.CopyIn(SkinRecorderDll(), "VexaAdmin.dll"));
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));

  // While the window is up, the start-up calls have run and the exit call not.
  EXPECT_EQ(dir.Read("skin-calls.log"), "1\r\n4\r\n8\r\n");
  ASSERT_TRUE(panel.Close());
  EXPECT_EQ(dir.Read("skin-calls.log"), "1\r\n4\r\n8\r\n2\r\n");
}

// The pages take their values from the store when they are created, so a
// value from vexa.cfg on a page proves the load came first. Started from
// another folder, the panel still reads and writes the vexa.cfg beside it,
// the one the tracker reads, and runs vexa.exe in that folder.
TEST(Startup, VexaCfgOfTheProgramDirectoryIsLoadedBeforeThePagesWhateverTheWorkingDirectory) {
  ProgramDir dir(" 程序");
  ASSERT_TRUE(dir.Ready());
  ProgramDir work(" 工作", ProgramDir::Contents::kStandInOnly);
  ASSERT_TRUE(work.Ready());
  // vexa.cfg in code page 936: 数据\文件.
  ASSERT_TRUE(dir.Write("vexa.cfg",
                        "vexa_file_dir = \xCA\xFD\xBE\xDD\\\xCE\xC4\xBC\xFE\r\nport = 7123\r\n"));
  ASSERT_TRUE(work.Write("vexa.cfg", "port = 1111\r\n"));
  Panel panel;
  PanelOptions options;
  options.workingDir = work.Path();
  ASSERT_TRUE(panel.Start(dir, options));

  HWND page = panel.Page(kDirectoriesTab);
  ASSERT_TRUE(page);
  EXPECT_EQ(ItemText(page, IDC_DIR_PORT), "7123");
  EXPECT_EQ(ItemText(page, IDC_DIR_FILE_DIR), "数据\\文件");

  ASSERT_TRUE(SetItemText(page, IDC_DIR_PORT, "7124"));
  ClickItem(page, IDC_SAVE);
  auto saved = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(saved);
  PressButton(*saved, IDOK);
  EXPECT_NE(dir.Read("vexa.cfg").find("port = 7124\r\n"), std::string::npos);
  EXPECT_EQ(work.Read("vexa.cfg"), "port = 1111\r\n");
  EXPECT_TRUE(dir.Exists("数据\\文件"));
  EXPECT_FALSE(work.Exists("数据"));

  ClickItem(panel.Page(0), IDC_SVC_INSTALL);
  auto installed = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(installed);
  PressButton(*installed, IDOK);
  std::string directory = dir.Path().substr(0, dir.Path().size() - 1);
  EXPECT_EQ(dir.Read("vexa-cwd.log"), directory + "\r\n");
}

// Three of the four pages are not seen until their tab is chosen: they are
// built then, before their slide, and read vexa.cfg as the first one did.
TEST(Startup, OnlyTheServicePageIsBuiltAtStartTheOthersWhenTheirTabIsFirstChosen) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  ASSERT_TRUE(dir.Write("vexa.cfg", "port = 7123\r\nvexa_max_conns = 77\r\n"));
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND tabs = panel.Tabs();
  EXPECT_EQ(PagesBuilt(tabs), 1);

  SelectTab(tabs, kLimitsTab);
  EXPECT_EQ(PagesBuilt(tabs), 2);
  ASSERT_TRUE(WaitForPageAtRest(panel, kLimitsTab));
  EXPECT_EQ(ItemText(panel.Page(kLimitsTab), IDC_SYS_MAX_CONNS), "77");
  EXPECT_EQ(ItemText(ShowTab(panel, kDirectoriesTab), IDC_DIR_PORT), "7123");
  EXPECT_EQ(PagesBuilt(tabs), 3);
}

}  // namespace
}  // namespace vexa::e2e
