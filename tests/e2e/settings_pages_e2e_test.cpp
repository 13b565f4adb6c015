// The three settings pages and the desktop icon button of the real panel,
// driven from outside: defaults shown, bytes saved, digits-only fields,
// directories and home page, shortcut states, a locked vexa.cfg.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include <gtest/gtest.h>

#include "base/wide_text.h"
#include "pages/directories_page.h"
#include "pages/display_options_page.h"
#include "pages/system_limits_page.h"
#include "resources/resource.h"
#include "tests/e2e/driver.h"
#include "tests/shell/link_contents_win32.h"

namespace vexa::e2e {
namespace {

// The six lines the system limits page adds to a file without its keys.
const char kLimitsAdded[] =
    "vexa_max_conns = 64\r\n"
    "vexa_max_torrents = 1000\r\n"
    "vexa_guest_access = 0\r\n"
    "vexa_member_access = 0\r\n"
    "socket_timeout = 15\r\n"
    "vexa_refresh_static_interval = 1\r\n";

// Which icon a message box shows, told by the colour of its SS_ICON static
// on screen: icon handles do not compare across processes under Wine.
enum class BoxIcon { None, Red, Blue, Other };

BoxIcon IconOf(const MessageBoxInfo& box) {
  HWND icon = nullptr;
  for (HWND child = GetWindow(box.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == "Static" && (StyleOf(child) & SS_TYPEMASK) == SS_ICON && IsVisible(child)) {
      icon = child;
    }
  }
  if (icon == nullptr) return BoxIcon::None;
  // Another test's box may cover this one (boxes sit at the middle of their
  // owners): read only while every corner of the icon is the box's own,
  // until its colours show (an orange one never does and stays Other).
  BoxIcon seen = BoxIcon::Other;
  auto shown = [&] {
    SetForegroundWindow(box.window);
    PaintNow(box.window);
    RECT rect = RectIn(icon, nullptr);
    for (POINT corner : {POINT{rect.left, rect.top}, POINT{rect.right - 1, rect.top},
                         POINT{rect.left, rect.bottom - 1}, POINT{rect.right - 1, rect.bottom - 1}}) {
      if (GetAncestor(WindowFromPoint(corner), GA_ROOT) != box.window) return false;
    }
    HDC screen = GetDC(nullptr);
    int red = 0, blue = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) {
        COLORREF c = GetPixel(screen, x, y);
        int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
        if (r > 150 && g < 110 && b < 110) ++red;
        if (b > 150 && r < 120) ++blue;
      }
    }
    ReleaseDC(nullptr, screen);
    seen = red > 40 && red > 2 * blue ? BoxIcon::Red : BoxIcon::Other;
    if (blue > 40 && blue > 2 * red) seen = BoxIcon::Blue;
    return seen != BoxIcon::Other;
  };
  WaitUntil(shown, 3000, 50);
  return seen;
}

// Clicks the save button and returns the box it brings up, with the colour
// of its icon, closed again.
struct ShownBox {
  MessageBoxInfo info;
  BoxIcon icon;
};

std::optional<ShownBox> SaveAndConfirm(const Panel& panel, HWND page) {
  ClickItem(page, IDC_SAVE);
  auto box = WaitForMessageBox(panel.Pid(), panel.Main());
  if (!box) return std::nullopt;
  ShownBox shown{*box, IconOf(*box)};
  PressButton(*box, IDOK);
  return shown;
}

void ExpectShowsDefaults(HWND page, const SettingsPage& table) {
  for (const FieldSpec& field : table.Fields()) {
    if (field.control == 0) continue;
    EXPECT_EQ(ItemText(page, field.control), field.defaultValue) << field.key;
    bool digitsOnly = (StyleOf(Item(page, field.control)) & ES_NUMBER) != 0;
    EXPECT_EQ(digitsOnly, field.kind == FieldKind::Digits) << field.key;
  }
}

// Only for reading the directories page's table.
struct NoDisk : DirectorySystem, HomePageFile {
  bool Exists(const std::string&) override { return true; }
  bool IsDirectory(const std::string&) override { return true; }
  bool CreateDirectory(const std::string&) override { return false; }
  Status Create(const std::string&, const std::string&) override { return Status::Ok(); }
};

TEST(SettingsPagesE2e, PagesShowTheirDefaultsAndSavesAppendExactlyTheExpectedLines) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  std::string file = "foo = bar\r\n";
  ASSERT_TRUE(dir.Write("vexa.cfg", file));
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));

  HWND limits = ShowTab(panel, kLimitsTab);
  ExpectShowsDefaults(limits, SystemLimitsPage());
  for (int bit = 0; bit < kAccessRightCount; ++bit) {
    EXPECT_FALSE(IsChecked(Item(limits, kMemberFirstBox + bit)));
    EXPECT_FALSE(IsChecked(Item(limits, kGuestFirstBox + bit)));
  }
  EXPECT_FALSE(SaveScreenshot(panel.Main(), "page-system-limits").empty());
  EXPECT_EQ(dir.Read("vexa.cfg"), file);  // showing defaults writes nothing

  auto box = SaveAndConfirm(panel, limits);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->info.caption, kPageCaption);
  EXPECT_EQ(box->info.text, "保存设置成功");
  EXPECT_EQ(box->icon, BoxIcon::Blue);
  file += kLimitsAdded;
  EXPECT_EQ(dir.Read("vexa.cfg"), file);

  HWND options = ShowTab(panel, kOptionsTab);
  DisplayOptionsPage optionTable;
  ExpectShowsDefaults(options, optionTable);
  EXPECT_FALSE(SaveScreenshot(panel.Main(), "page-display-options").empty());
  box = SaveAndConfirm(panel, options);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->info.text, "保存设置成功");
  for (const FieldSpec& field : optionTable.Fields()) file += std::string(field.key) + " = 0\r\n";
  EXPECT_EQ(dir.Read("vexa.cfg"), file);

  HWND directories = ShowTab(panel, kDirectoriesTab);
  NoDisk noDisk;
  DirectoriesPage directoryTable("", noDisk, noDisk);
  ExpectShowsDefaults(directories, directoryTable);
  EXPECT_FALSE(SaveScreenshot(panel.Main(), "page-directories").empty());
  // Keep the two absolute defaults off the prefix's C: drive.
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_ALLOWED_DIR, "pub"));
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_UPLOAD_DIR, "upload\\"));
  box = SaveAndConfirm(panel, directories);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->info.caption, kPageCaption);
  EXPECT_EQ(box->info.text, "自动校验设置目录完毕!\n保存设置成功");
  EXPECT_EQ(box->icon, BoxIcon::Blue);
  EXPECT_EQ(ItemText(directories, IDC_DIR_UPLOAD_DIR), "upload");
  // The rows with a value, in the table's order (pinned byte for byte by
  // the page's own test).
  for (const FieldSpec& field : directoryTable.Fields()) {
    std::string value = field.defaultValue;
    if (field.control == IDC_DIR_ALLOWED_DIR) value = "pub";
    if (field.control == IDC_DIR_UPLOAD_DIR) value = "upload";
    if (!value.empty()) file += std::string(field.key) + " = " + value + "\r\n";
  }
  EXPECT_EQ(dir.Read("vexa.cfg"), file);
  for (const char* folder : {"pub", "upload", "file", "log"}) {
    DWORD attributes = GetFileAttributesW(Wide(dir.File(folder)).c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << folder;
  }
  EXPECT_EQ(dir.Read("file\\index.html"), HomePageBytes());

  // Saving once more changes nothing, also not an edited home page.
  ASSERT_TRUE(dir.Write("file\\index.html", "mine"));
  box = SaveAndConfirm(panel, directories);
  ASSERT_TRUE(box);
  EXPECT_EQ(dir.Read("vexa.cfg"), file);
  EXPECT_EQ(dir.Read("file\\index.html"), "mine");
}

// WM_SETTEXT gets past ES_NUMBER as a paste does.
TEST(SettingsPagesE2e, DigitsOnlyFieldHoldingPastedTextRefusesTheSaveAndTakesTheFocus) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  const std::string original = "port = 7000\r\n";
  ASSERT_TRUE(dir.Write("vexa.cfg", original));
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));

  struct Pasted {
    int tab;
    int control;
    const char* text;
    const char* message;
  } const cases[] = {
      {kDirectoriesTab, IDC_DIR_PORT, "7001http://localhost:7001/", "“BT服务端口”只能填写数字。"},
      {kOptionsTab, IDC_OPT_SHOW_ADDED, "1 ", "“显示最后更新?”只能填写数字。"},
      {kLimitsTab, IDC_SYS_MAX_HOPS, "-1", "“允许Track共享连接数”只能填写数字。"},
  };
  for (const Pasted& c : cases) {
    SCOPED_TRACE(c.text);
    HWND page = ShowTab(panel, c.tab);
    ASSERT_TRUE(SetItemText(page, c.control, c.text));
    auto box = SaveAndConfirm(panel, page);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->info.caption, kPageCaption);
    EXPECT_EQ(box->info.text, c.message);
    EXPECT_EQ(box->icon, BoxIcon::Red);
    EXPECT_TRUE(WaitUntil([&] { return FocusedId(panel) == c.control; }, 3000))
        << "focus on " << FocusedId(panel);
    EXPECT_EQ(ItemText(page, c.control), c.text);
    EXPECT_EQ(dir.Read("vexa.cfg"), original);
  }
  // The directories page created nothing either.
  EXPECT_FALSE(dir.Exists("file"));
  EXPECT_FALSE(dir.Exists("log"));
}

TEST(SettingsPagesE2e, AccessMasksShowAsBoxesAndAreSavedFromThem) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  ASSERT_TRUE(dir.Write("vexa.cfg",
                        "vexa_guest_access = 5\r\nvexa_member_access = -1\r\nvexa_max_hops = 3\r\n"));
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND limits = ShowTab(panel, kLimitsTab);
  for (int bit = 0; bit < kAccessRightCount; ++bit) {
    EXPECT_TRUE(IsChecked(Item(limits, kMemberFirstBox + bit))) << bit;
    EXPECT_EQ(IsChecked(Item(limits, kGuestFirstBox + bit)), bit == 0 || bit == 2) << bit;
  }
  EXPECT_EQ(ItemText(limits, IDC_SYS_MAX_HOPS), "3");

  // untick member "注册" (64), tick guest "注册"; clear the hops field
  Click(Item(limits, kMemberFirstBox + 6));
  Click(Item(limits, kGuestFirstBox + 6));
  ASSERT_TRUE(WaitUntil([&] { return IsChecked(Item(limits, kGuestFirstBox + 6)); }, 3000));
  ASSERT_TRUE(SetItemText(limits, IDC_SYS_MAX_HOPS, ""));
  auto box = SaveAndConfirm(panel, limits);
  ASSERT_TRUE(box);
  EXPECT_EQ(dir.Read("vexa.cfg"),
            "vexa_guest_access = 69\r\n"
            "vexa_member_access = 63\r\n"
            "vexa_max_conns = 64\r\n"
            "vexa_max_torrents = 1000\r\n"
            "socket_timeout = 15\r\n"
            "vexa_refresh_static_interval = 1\r\n");
}

TEST(SettingsPagesE2e, DirectoriesThatCannotBeCreatedAreNamedAndTheSaveGoesOn) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  // Q: is no drive of the prefix; the web directory is a file already.
  ASSERT_TRUE(dir.Write("vexa.cfg", "allowed_dir = Q:\\gone\r\nvexa_upload_dir = up\r\nvexa_file_dir = web\r\n"));
  ASSERT_TRUE(dir.Write("web", "a file"));
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND directories = ShowTab(panel, kDirectoriesTab);
  ClickItem(directories, IDC_SAVE);
  auto box = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kPageCaption);
  EXPECT_EQ(IconOf(*box), BoxIcon::Red);
  EXPECT_NE(box->text.find("Q:\\gone"), std::string::npos) << box->text;
  EXPECT_NE(box->text.find("默认首页无法写入"), std::string::npos) << box->text;
  EXPECT_NE(box->text.find("保存设置成功"), std::string::npos) << box->text;
  EXPECT_EQ(box->text.find("自动校验设置目录完毕"), std::string::npos) << box->text;
  // Each directory with the system's reason; the file in the web
  // directory's place among them.
  EXPECT_NE(box->text.find("\n  Q:\\gone："), std::string::npos) << box->text;
  EXPECT_NE(box->text.find("\n  " + dir.File("web") + "：已有同名的文件\n"), std::string::npos)
      << box->text;
  PressButton(*box, IDOK);
  EXPECT_EQ(dir.Read("vexa.cfg").rfind("allowed_dir = Q:\\gone\r\nvexa_upload_dir = up\r\n", 0), 0u);
  EXPECT_EQ(dir.Read("web"), "a file");
}

TEST(SettingsPagesE2e, DirectoryTextsAreCreatedAsTyped) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND directories = ShowTab(panel, kDirectoriesTab);
  // Z: is the prefix's view of the Linux root: a drive root that exists.
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_ALLOWED_DIR, "Z:/"));
  // 運 ends in the byte of a backslash (DF 5C) and stays whole.
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_UPLOAD_DIR, "up/load/運"));
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_FILE_DIR, "web/files"));
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_ACCESS_LOG_DIR, dir.Path() + "logs/今天"));
  auto box = SaveAndConfirm(panel, directories);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->info.text, "自动校验设置目录完毕!\n保存设置成功");
  EXPECT_EQ(ItemText(directories, IDC_DIR_ALLOWED_DIR), "Z:\\");
  EXPECT_EQ(ItemText(directories, IDC_DIR_UPLOAD_DIR), "up\\load\\運");
  EXPECT_EQ(ItemText(directories, IDC_DIR_FILE_DIR), "web\\files");
  EXPECT_EQ(ItemText(directories, IDC_DIR_ACCESS_LOG_DIR), "logs\\今天");
  for (const char* folder : {"up\\load\\運", "web\\files", "logs\\今天"}) {
    DWORD attributes = GetFileAttributesW(Wide(dir.File(folder)).c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << folder;
  }
  EXPECT_EQ(dir.Read("web\\files\\index.html"), HomePageBytes());
  EXPECT_FALSE(dir.Exists("webfiles"));
  EXPECT_FALSE(dir.Exists("Z:"));
  EXPECT_EQ(dir.Read("vexa.cfg")
                .rfind("allowed_dir = Z:\\\r\nvexa_upload_dir = up\\load\\\xDF\\\r\n"
                       "vexa_file_dir = web\\files\r\n"
                       "vexa_access_log_dir = logs\\\xBD\xF1\xCC\xEC\r\n",  // 今天 in code page 936
                       0),
            0u);
}

// Another program edits vexa.cfg while the panel runs: the save asks, No
// leaves the file as the other program wrote it, Yes reads it again and
// saves the page into it, and the other pages show what was read.
TEST(SettingsPagesE2e, VexaCfgChangedByAnotherProgramIsNeverOverwrittenSilently) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  ASSERT_TRUE(dir.Write("vexa.cfg", "port = 6969\r\nvexa_allow_sort = 1\r\n"));
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND options = ShowTab(panel, kOptionsTab);
  DisplayOptionsPage table;
  const int sortField = table.Fields()[table.RowOf("vexa_allow_sort")].control;
  EXPECT_EQ(ItemText(options, sortField), "1");
  // Built, never shown; the limits page is not built until the end.
  HWND directories = panel.Page(kDirectoriesTab);

  const std::string outside =
      "port = 7100\r\nvexa_allow_sort = 2\r\nadded = x\r\nvexa_max_conns = 55\r\n";
  ASSERT_TRUE(dir.Write("vexa.cfg", outside));
  ASSERT_TRUE(SetItemText(options, sortField, "5"));
  ClickItem(options, IDC_SAVE);
  auto question = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(question);
  EXPECT_EQ(question->caption, kPageCaption);
  EXPECT_EQ(question->text.rfind("vexa.cfg 在本程序启动后已被其他程序修改", 0), 0u)
      << question->text;
  EXPECT_TRUE(question->HasButton(IDYES));
  EXPECT_TRUE(question->HasButton(IDNO));
  BoxIcon icon = IconOf(*question);  // the orange warning triangle
  EXPECT_TRUE(icon != BoxIcon::None && icon != BoxIcon::Blue);
  SaveScreenshot(question->window, "outside-change-question");
  ASSERT_TRUE(PressButton(*question, IDNO));
  EXPECT_TRUE(panel.NoBoxOnceIdle());
  EXPECT_EQ(dir.Read("vexa.cfg"), outside);
  EXPECT_EQ(ItemText(options, sortField), "5");

  ClickItem(options, IDC_SAVE);
  question = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(question);
  ASSERT_TRUE(PressButton(*question, IDYES));
  auto saved = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->text, "保存设置成功");
  PressButton(*saved, IDOK);
  // Only the changed field went over the other program's file.
  EXPECT_EQ(dir.Read("vexa.cfg"),
            "port = 7100\r\nvexa_allow_sort = 5\r\nadded = x\r\nvexa_max_conns = 55\r\n");
  EXPECT_EQ(ItemText(options, sortField), "5");
  EXPECT_EQ(ItemText(panel.Page(kDirectoriesTab), IDC_DIR_PORT), "7100");
  EXPECT_EQ(panel.Page(kDirectoriesTab), directories);
  EXPECT_EQ(PagesBuilt(panel.Tabs()), 3);
  EXPECT_EQ(ItemText(ShowTab(panel, kLimitsTab), IDC_SYS_MAX_CONNS), "55");
}

// Unsaved edits are not lost to a close: the panel names the pages and asks;
// Cancel keeps the window, a refused save keeps it too, Yes saves page after
// page and closes, No closes and writes nothing.
TEST(SettingsPagesE2e, ClosingWithUnsavedChangesAsksAndSavesOnYes) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND limits = panel.Page(kLimitsTab);
  ASSERT_TRUE(SetItemText(panel.Page(kOptionsTab), IDC_OPT_SHOW_ADDED, "3"));
  ASSERT_TRUE(SetItemText(limits, IDC_SYS_MAX_CONNS, "9x"));  // a paste past the filter
  std::vector<std::string> boxes;  // the texts, in order
  auto closeAnswering = [&](Panel& panel, const std::vector<int>& buttons) {
    PostMessageA(panel.Main(), WM_CLOSE, 0, 0);
    for (int button : buttons) {
      auto box = WaitForMessageBox(panel.Pid(), panel.Main());
      ASSERT_TRUE(box);
      if (boxes.empty()) SaveScreenshot(box->window, "unsaved-changes-question");
      if (button == IDCANCEL) {
        EXPECT_EQ(IconOf(*box), BoxIcon::Blue);
      }
      boxes.push_back(box->caption + "|" + box->text);
      ASSERT_TRUE(PressButton(*box, button));
    }
  };
  const std::string question = std::string(kPageCaption) + "|以下页面有未保存的修改：\n    ";
  const std::string choices =
      "\n\n选择“是”：保存这些页面，然后关闭。\n选择“否”：不保存，直接关闭。\n选择“取消”：不关闭。";
  closeAnswering(panel, {IDCANCEL});
  EXPECT_TRUE(panel.NoBoxOnceIdle());
  EXPECT_EQ(PagesBuilt(panel.Tabs()), 3);  // the directories page was never needed
  closeAnswering(panel, {IDYES, IDOK, IDOK});
  EXPECT_TRUE(panel.NoBoxOnceIdle());
  EXPECT_EQ(TabSelection(panel.Tabs()), kLimitsTab);
  ASSERT_TRUE(SetItemText(limits, IDC_SYS_MAX_CONNS, "99"));
  closeAnswering(panel, {IDYES, IDOK});
  EXPECT_TRUE(panel.WaitForExit(10000));
  const std::string both = question + "选项设置\n    系统设置" + choices;
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       both, both, std::string(kPageCaption) + "|保存设置成功",
                       std::string(kPageCaption) + "|“最大并发连接”只能填写数字。",
                       question + "系统设置" + choices, std::string(kPageCaption) + "|保存设置成功"}));
  const std::string saved = dir.Read("vexa.cfg");
  EXPECT_NE(saved.find("vexa_show_added = 3\r\nvexa_show_info_hash"), std::string::npos);
  EXPECT_NE(saved.find("vexa_max_conns = 99\r\n"), std::string::npos) << saved;

  Panel again;
  ASSERT_TRUE(again.Start(dir));
  ASSERT_TRUE(SetItemText(again.Page(kDirectoriesTab), IDC_DIR_PORT, "7001"));
  closeAnswering(again, {IDNO});
  EXPECT_TRUE(again.WaitForExit(10000));
  // cppcheck takes Read for a pure function; the file is read afresh.
  // cppcheck-suppress knownConditionTrueFalse
  EXPECT_EQ(dir.Read("vexa.cfg"), saved);
}

// The user's desktop folder, where the shortcut goes.
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

using test::LinkContents;
using test::ReadLink;

// Both outcomes in one test: they share the Shell Folders value.
TEST(SettingsPagesE2e, DesktopIconButtonIsDisabledOnlyAfterASavedShortcut) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  ProgramDir desktop("-desktop", ProgramDir::Contents::kStandInOnly);
  ASSERT_TRUE(desktop.Ready());
  RegistryValueOverride desktopFolder(kShellFolders, "Desktop");

  {
    Panel panel;
    ASSERT_TRUE(panel.Start(dir));
    // After the start: Wine's shell writes the Shell Folders values afresh.
    desktopFolder.Set(desktop.File("missing"));
    HWND limits = ShowTab(panel, kLimitsTab);
    ClickItem(limits, IDC_SYS_DESKTOP_ICON);
    auto box = WaitForMessageBox(panel.Pid(), panel.Main());
    ASSERT_TRUE(box);
    // The system's default caption, not the page's.
    EXPECT_NE(box->caption, kPageCaption);
    EXPECT_FALSE(box->caption.empty());
    // The reason follows on its own line: the folder the shortcut went to is missing.
    EXPECT_EQ(box->text.rfind("向桌面上添加快捷方式失败\n无法保存快捷方式: ", 0), 0u) << box->text;
    EXPECT_EQ(IconOf(*box), BoxIcon::Blue);
    PressButton(*box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return ItemText(limits, IDC_SYS_DESKTOP_ICON) == "添加桌面图标"; }, 3000));
    EXPECT_TRUE(IsEnabled(Item(limits, IDC_SYS_DESKTOP_ICON)));

    // The same run can try again once the folder is there. The click
    // focuses the button; disabled, it cannot keep the focus, which goes on
    // (before, it stayed there and the keyboard reached nothing).
    desktopFolder.Set(desktop.Path().substr(0, desktop.Path().size() - 1));
    ClickItem(limits, IDC_SYS_DESKTOP_ICON);
    ASSERT_TRUE(WaitUntil([&] { return ItemText(limits, IDC_SYS_DESKTOP_ICON) == "桌面图标已创建"; }, 5000));
    EXPECT_FALSE(IsEnabled(Item(limits, IDC_SYS_DESKTOP_ICON)));
    EXPECT_TRUE(WaitUntil([&] { return FocusedId(panel) == IDC_SYS_OPEN_README; }, 3000))
        << "focus on " << FocusedId(panel);
    EXPECT_FALSE(FindMessageBox(panel.Pid(), panel.Main()));
    EXPECT_TRUE(dir.WaitForLogLine("添加桌面快捷方式：失败，无法保存快捷方式: "));
    EXPECT_TRUE(dir.WaitForLogLine("添加桌面快捷方式 " + desktop.File("Vexa管理服务器.lnk") + "：成功"));
  }

  LinkContents link = ReadLink(desktop.File("Vexa管理服务器.lnk"));
  EXPECT_EQ(link.path, dir.File("VexaPanel.exe"));
  EXPECT_EQ(link.workingDirectory, dir.Path());
  EXPECT_EQ(link.description, "Vexa服务端管理工具");
}

// Under every ANSI code page (the second run is 1252) the shortcut's file
// has its Chinese name and points at the panel.
TEST(CodePageE2e, ShortcutFileHasItsChineseName) {
  ProgramDir dir(" programme");
  ASSERT_TRUE(dir.Ready());
  ProgramDir desktop("-desktop", ProgramDir::Contents::kStandInOnly);
  ASSERT_TRUE(desktop.Ready());
  RegistryValueOverride desktopFolder(kShellFolders, "Desktop");
  {
    Panel panel;
    ASSERT_TRUE(panel.Start(dir));
    // After the start: Wine's shell writes the Shell Folders values afresh
    // while the panel starts up.
    desktopFolder.Set(desktop.Path().substr(0, desktop.Path().size() - 1));
    HWND limits = ShowTab(panel, kLimitsTab);
    ClickItem(limits, IDC_SYS_DESKTOP_ICON);
    ASSERT_TRUE(
        WaitUntil([&] { return ItemText(limits, IDC_SYS_DESKTOP_ICON) == "桌面图标已创建"; }, 5000));
  }
  ASSERT_TRUE(desktop.Exists("Vexa管理服务器.lnk"));
  LinkContents link = ReadLink(desktop.File("Vexa管理服务器.lnk"));
  EXPECT_EQ(link.path, dir.File("VexaPanel.exe"));
  EXPECT_EQ(link.description, "Vexa服务端管理工具");
}

// Nothing of vexa.cfg could be read: a page's save or the installation's
// "port = 6969" alone would wipe every other setting.
TEST(SettingsPagesE2e, VexaCfgUnreadableAtStartIsNeverOverwrittenByAPageOrTheInstallation) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  const std::string original = "port = 7000\r\nvexa_max_conns = 9\r\n";
  ASSERT_TRUE(dir.Write("vexa.cfg", original));
  ASSERT_TRUE(dir.Write("users.vexa", "users"));
  HANDLE lock = CreateFileW(Wide(dir.File("vexa.cfg")).c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  CloseHandle(lock);

  // Said once, right after the window shows, with the system's reason.
  auto told = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(told);
  EXPECT_EQ(told->caption, kPageCaption);
  EXPECT_EQ(told->owner, panel.Main());
  EXPECT_EQ(IconOf(*told), BoxIcon::Red);
  EXPECT_EQ(told->text.rfind("无法读取 vexa.cfg", 0), 0u) << told->text;
  EXPECT_NE(told->text.find("原因："), std::string::npos) << told->text;
  ASSERT_TRUE(PressButton(*told, IDOK));
  EXPECT_TRUE(panel.NoBoxOnceIdle());

  // Nothing could be read, so the page shows its default ...
  HWND limits = ShowTab(panel, kLimitsTab);
  EXPECT_EQ(ItemText(limits, IDC_SYS_MAX_CONNS), "64");
  // ... and saving it would erase the file's settings: refused.
  ClickItem(limits, IDC_SAVE);
  auto box = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kPageCaption);
  EXPECT_EQ(IconOf(*box), BoxIcon::Red);
  EXPECT_NE(box->text.find("vexa.cfg"), std::string::npos) << box->text;
  PressButton(*box, IDOK);

  // The installation stops at its save, before anything is cleared.
  HWND service = ShowTab(panel, kServiceTab);
  ClickItem(service, IDC_SVC_ONE_CLICK);
  auto confirm = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(confirm);
  ASSERT_TRUE(PressButton(*confirm, IDOK));
  box = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kAppCaption);
  EXPECT_NE(box->text.find("vexa.cfg"), std::string::npos) << box->text;
  EXPECT_NE(box->text.find("没有写入"), std::string::npos) << box->text;
  ASSERT_TRUE(PressButton(*box, IDOK));
  EXPECT_TRUE(
      WaitUntil([&] { return ItemText(service, IDC_SVC_ONE_CLICK) == "一键安装服务器"; }, 5000));
  EXPECT_TRUE(panel.NoBoxOnceIdle());
  EXPECT_EQ(dir.Read("vexa.cfg"), original);
  EXPECT_EQ(dir.Read("users.vexa"), "users");
  EXPECT_FALSE(dir.Exists("备份"));
  EXPECT_TRUE(dir.StandInCalls().empty());
}

TEST(SettingsPagesE2e, MissingReadmeIsReportedWithItsPathAndTheReason) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  ASSERT_TRUE(dir.Remove("Readme.txt"));
  ProgramDir elsewhere("-cwd 说明", ProgramDir::Contents::kStandInOnly);
  ASSERT_TRUE(elsewhere.Ready());
  PanelOptions options;
  options.workingDir = elsewhere.Path();  // the guide is looked for beside the program only
  Panel panel;
  ASSERT_TRUE(panel.Start(dir, options));
  HWND limits = ShowTab(panel, kLimitsTab);
  ClickItem(limits, IDC_SYS_OPEN_README);
  auto box = WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kPageCaption);
  EXPECT_EQ(box->owner, panel.Main());
  EXPECT_EQ(IconOf(*box), BoxIcon::Red);
  std::vector<std::string> lines = SplitLines(box->text);
  ASSERT_EQ(lines.size(), 3u) << box->text;
  EXPECT_EQ(lines[0], "无法打开说明文档：");
  EXPECT_EQ(Lower(lines[1]), Lower(dir.File("Readme.txt"))) << lines[1];
  EXPECT_FALSE(lines[2].empty());
  SaveScreenshot(box->window, "readme-missing");
  ASSERT_TRUE(PressButton(*box, IDOK));
  EXPECT_TRUE(panel.Running());
}

}  // namespace
}  // namespace vexa::e2e
