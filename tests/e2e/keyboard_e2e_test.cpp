// The keyboard in the real panel: Enter and Escape never close the window,
// Tab walks from the tab strip through the page and back, Ctrl+Tab and
// Ctrl+PgDn switch tabs, and Enter presses the button that shows the
// default frame. Keys that need Shift or Ctrl held are real X keystrokes.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/driver.h"

namespace vexa::e2e {
namespace {

constexpr int kServiceTabStops[] = {
    IDC_SVC_INSTALL,       IDC_SVC_START,     IDC_SVC_STOP,      IDC_SVC_REMOVE,
    IDC_SVC_CONSOLE_START, IDC_SVC_CONSOLE_CLOSE, IDC_SVC_ONE_CLICK, IDC_SVC_RESTART,
    IDC_SVC_BACKUP,        IDC_SVC_RESTORE,   IDC_SVC_WEB_MAIN,  IDC_SVC_WEB_FILES,
    IDC_SVC_LINK1,         IDC_SVC_LINK2};

bool ShowsDefaultFrame(HWND button) {
  return (StyleOf(button) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// The push buttons of a page that show the default frame.
std::vector<int> FramedButtons(HWND page) {
  std::vector<int> framed;
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == "Button" && ShowsDefaultFrame(child)) framed.push_back(GetDlgCtrlID(child));
  }
  return framed;
}

// Real keystrokes arrive a little later than xdotool returns: these wait
// for what the keys should lead to, then for the rest of their handling
// (the default frame, the end of a job, during which keys are dropped).
int FocusAfter(const Panel& panel, const std::string& keys, int expected) {
  if (!keys.empty() && !PressKeys(panel, keys)) return -1;
  WaitUntil([&] { return FocusedId(panel) == expected; }, 3000);
  panel.WaitForIdle();
  return FocusedId(panel);
}

// After PostKey, which returns once the panel has handled the key.
bool StillOpen(const Panel& panel) { return panel.Running() && IsVisible(panel.Main()); }

TEST(Keyboard, EnterAndEscapeNeverCloseTheMainWindow) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  ASSERT_TRUE(dir.Write("vexa.cfg", "port = 7000\r\n"));
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND tabs = panel.Tabs();

  // At start-up the strip has the focus.
  EXPECT_EQ(FocusOf(panel), tabs);
  for (UINT key : {VK_ESCAPE, VK_RETURN}) {
    ASSERT_TRUE(PostKey(panel, key, tabs));
    ASSERT_TRUE(StillOpen(panel)) << "key " << key << " at start-up";
  }
  // After a tab was picked, and after the window came back from the taskbar.
  SelectTab(tabs, kOptionsTab);
  PostMessageA(panel.Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(panel.Main()) != 0; }, 3000));
  PostMessageA(panel.Main(), WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(panel.Main()) == 0; }, 3000));
  for (UINT key : {VK_ESCAPE, VK_RETURN}) {
    ASSERT_TRUE(PostKey(panel, key, tabs));
    ASSERT_TRUE(StillOpen(panel)) << "key " << key << " after restore";
  }

  // In a page's field Escape does nothing and Enter presses the page's save.
  HWND options = panel.Page(kOptionsTab);
  HWND field = Item(options, IDC_OPT_SHOW_ADDED);
  ASSERT_TRUE(SetText(field, "3"));
  ASSERT_TRUE(PostKey(panel, VK_ESCAPE, field));
  ASSERT_TRUE(StillOpen(panel));
  EXPECT_FALSE(FindMessageBox(panel.Pid(), panel.Main()));
  ASSERT_TRUE(PostKey(panel, VK_RETURN, field));
  auto box = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "保存设置成功");
  ASSERT_TRUE(PressButton(*box, IDOK));
  EXPECT_NE(dir.Read("vexa.cfg").find("vexa_show_added = 3\r\n"), std::string::npos);

  // The system menu's close still closes.
  PostMessageA(panel.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(panel.WaitForExit(10000));
}

TEST(Keyboard, TabWalksFromTheStripThroughThePageAndCtrlTabSwitchesTabs) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND tabs = panel.Tabs();
  HWND service = panel.Page(0);

  // Forward through every tab stop of the service page, then back to the strip.
  ASSERT_EQ(FocusOf(panel), tabs);
  std::vector<int> expected(std::begin(kServiceTabStops), std::end(kServiceTabStops));
  expected.push_back(IDC_TABS);
  std::vector<int> walked;
  for (int id : expected) {
    walked.push_back(FocusAfter(panel, "Tab", id));
    HWND focus = FocusOf(panel);
    // cppcheck takes FocusOf for a pure function; each key moves the focus.
    // cppcheck-suppress knownConditionTrueFalse
    if (focus != tabs) {
      EXPECT_EQ(GetParent(focus), service);
    }
  }
  EXPECT_EQ(walked, expected);

  // Backwards from the strip into the page's last stop and out again.
  EXPECT_EQ(FocusAfter(panel, "shift+Tab", IDC_SVC_LINK2), IDC_SVC_LINK2);
  EXPECT_EQ(FocusAfter(panel, "shift+Tab", IDC_SVC_LINK1), IDC_SVC_LINK1);
  EXPECT_EQ(FocusAfter(panel, "Tab Tab", IDC_TABS), IDC_TABS);
  EXPECT_EQ(FocusAfter(panel, "Tab", IDC_SVC_INSTALL), IDC_SVC_INSTALL);
  EXPECT_EQ(FocusAfter(panel, "shift+Tab", IDC_TABS), IDC_TABS);

  // Ctrl+Tab and friends pick the next or previous tab from anywhere, and the
  // page slides in as after a click.
  ASSERT_EQ(FocusAfter(panel, "Tab", IDC_SVC_INSTALL), IDC_SVC_INSTALL);
  struct Switch {
    const char* keys;
    int tab;
  } const switches[] = {{"ctrl+Tab", 1}, {"ctrl+Next", 2}, {"ctrl+shift+Tab", 1},
                        {"ctrl+Prior", 0}, {"ctrl+Prior", 3}, {"ctrl+Tab", 0}};
  for (const Switch& s : switches) {
    SCOPED_TRACE(s.keys);
    ASSERT_TRUE(PressKeys(panel, s.keys));
    EXPECT_TRUE(WaitUntil([&] { return TabSelection(tabs) == s.tab; }, 3000));
    HWND page = panel.Page(s.tab);
    EXPECT_TRUE(WaitForPageAtRest(panel, s.tab));
    for (int other = 0; other < 4; ++other) EXPECT_EQ(IsVisible(panel.Page(other)), other == s.tab);
    // The focus came along into the new page.
    EXPECT_TRUE(WaitUntil([&] { return GetParent(FocusOf(panel)) == page; }, 3000))
        << "focus " << FocusedId(panel);
  }
  // From the strip it stays on the strip.
  ASSERT_EQ(FocusedId(panel), IDC_SVC_INSTALL);
  ASSERT_EQ(FocusAfter(panel, "shift+Tab", IDC_TABS), IDC_TABS);
  ASSERT_TRUE(PressKeys(panel, "ctrl+Tab"));
  EXPECT_TRUE(WaitUntil([&] { return TabSelection(tabs) == 1; }, 3000));
  EXPECT_EQ(FocusOf(panel), tabs);
  // Into the directories page: its first field.
  EXPECT_EQ(FocusAfter(panel, "Tab", IDC_DIR_ALLOWED_DIR), IDC_DIR_ALLOWED_DIR);
  SaveScreenshot(panel.Main(), "keyboard-directories-first-field");
}

TEST(Keyboard, EnterPressesTheButtonThatShowsTheDefaultFrame) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND service = panel.Page(0);

  // A click runs the install button and leaves the focus on it; Enter
  // closes its box, Enter again: the focused, framed button runs again.
  for (size_t run = 1; run <= 3; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    if (run == 1) {
      ClickItem(service, IDC_SVC_INSTALL);
    } else {
      ASSERT_TRUE(PressKeys(panel, "Return"));
    }
    auto box = WaitForMessageBox(panel.Pid(), panel.Main());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Vexa后台服务");
    ASSERT_TRUE(PressKeys(panel, "Return"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->window) || !IsVisible(box->window); }, 5000));
    EXPECT_EQ(dir.StandInCalls().size(), run);
    EXPECT_EQ(FocusAfter(panel, "", IDC_SVC_INSTALL), IDC_SVC_INSTALL);
    EXPECT_EQ(FramedButtons(service), std::vector<int>{IDC_SVC_INSTALL});
  }
  // The frame follows Tab and leaves no stale frame behind.
  ASSERT_EQ(FocusAfter(panel, "Tab Tab", IDC_SVC_STOP), IDC_SVC_STOP);
  EXPECT_EQ(FramedButtons(service), std::vector<int>{IDC_SVC_STOP});
  // Past the buttons (on a link) no button is framed on the service page.
  ASSERT_EQ(FocusAfter(panel, "Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab", IDC_SVC_LINK1),
            IDC_SVC_LINK1);
  EXPECT_EQ(FramedButtons(service), std::vector<int>{});

  // On a settings page the frame rests on the save button while a field has
  // the focus, moves to a focused button and comes back.
  ASSERT_EQ(FocusAfter(panel, "ctrl+Prior", IDC_SYS_MAX_CONNS), IDC_SYS_MAX_CONNS);
  HWND limits = panel.Page(3);
  EXPECT_EQ(FramedButtons(limits), std::vector<int>{IDC_SAVE});
  ASSERT_EQ(FocusAfter(panel, "shift+Tab shift+Tab shift+Tab", IDC_SYS_OPEN_README),
            IDC_SYS_OPEN_README);  // strip, save, readme
  EXPECT_EQ(FramedButtons(limits), std::vector<int>{IDC_SYS_OPEN_README});
  SaveScreenshot(panel.Main(), "keyboard-default-frame-on-readme");
  ASSERT_EQ(FocusAfter(panel, "Tab", IDC_SAVE), IDC_SAVE);
  EXPECT_EQ(FramedButtons(limits), std::vector<int>{IDC_SAVE});
  EXPECT_EQ(FocusAfter(panel, "Tab Tab", IDC_SYS_MAX_CONNS), IDC_SYS_MAX_CONNS);
  EXPECT_EQ(FramedButtons(limits), std::vector<int>{IDC_SAVE});
}

}  // namespace
}  // namespace vexa::e2e
