// The dialog layer against real windows: dialogs built from the program's
// own templates, data exchange, reflected notifications, modal and modeless
// closing, and keyboard routing to the innermost page.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "config/config_store.h"
#include "resources/resource.h"
#include "service_page/admin_dialog_win32.h"
#include "ui/control_win32.h"
#include "ui/dialog_win32.h"

namespace vexa {
namespace {

std::string WindowText(HWND hwnd) {
  wchar_t buffer[512] = {};
  GetWindowTextW(hwnd, buffer, 512);
  return Narrow(buffer);
}

std::string ClassOf(HWND hwnd) {
  wchar_t buffer[64] = {};
  GetClassNameW(hwnd, buffer, 64);
  return Narrow(buffer);
}

RECT RectIn(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The main window's template as a plain host for pages.
class Host : public CDialog {
 public:
  Host() : CDialog(IDD_MAIN) {}
};

TEST(DialogTemplates, MainWindowHasItsCaptionStylesAndTabControl) {
  Host host;
  ASSERT_TRUE(host.Create(nullptr));
  HWND hwnd = host.Handle();
  EXPECT_EQ(ClassOf(hwnd), "#32770");
  EXPECT_EQ(WindowText(hwnd), "Vexa服务器 3.0 ");
  LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  HWND tabs = host.Item(IDC_TABS);
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(ClassOf(tabs), "SysTabControl32");
  EXPECT_EQ(GetWindow(tabs, GW_HWNDNEXT), nullptr);  // the only control
}

TEST(DialogTemplates, AdminDialogShowsItsTexts) {
  CDialog dialog(IDD_ADMIN_ACCOUNT);
  ASSERT_TRUE(dialog.Create(nullptr));
  EXPECT_EQ(WindowText(dialog.Handle()), "创建管理员");
  EXPECT_EQ(dialog.GetItemText(IDOK), "确定");
  EXPECT_EQ(dialog.GetItemText(IDCANCEL), "取消");
  EXPECT_EQ(dialog.GetItemText(IDC_ADMIN_ACCOUNT), "");
  EXPECT_TRUE(GetWindowLongA(dialog.Item(IDC_ADMIN_PASSWORD), GWL_STYLE) & ES_PASSWORD);
  EXPECT_EQ(GetWindowLongA(dialog.Item(IDOK), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
}

TEST(DialogTemplates, PagesShowTheirCaptionsAndDigitsOnlyFieldsTakeOnlyDigits) {
  Host host;
  ASSERT_TRUE(host.Create(nullptr));
  CDialog service(IDD_SERVICE_PAGE), dirs(IDD_DIRECTORIES_PAGE), options(IDD_OPTIONS_PAGE),
      limits(IDD_LIMITS_PAGE);
  for (CDialog* page : {&service, &dirs, &options, &limits}) {
    ASSERT_TRUE(page->Create(host.Handle())) << page->TemplateId();
    EXPECT_TRUE(GetWindowLongA(page->Handle(), GWL_STYLE) & WS_CHILD);
    EXPECT_FALSE(GetWindowLongA(page->Handle(), GWL_STYLE) & WS_CAPTION);
  }
  EXPECT_EQ(service.GetItemText(IDC_SVC_CONSOLE_START), "启动  控制台窗口");
  EXPECT_EQ(service.GetItemText(IDC_SVC_BACKUP), "备份Vexa配置数据");
  // The status line: one line in the band below the button grid, as wide as the grid.
  auto rect = [&service](int id) {
    RECT r = {};
    GetWindowRect(service.Item(id), &r);
    return r;
  };
  const RECT status = rect(IDC_SVC_STATUS), webMain = rect(IDC_SVC_WEB_MAIN),
             webFiles = rect(IDC_SVC_WEB_FILES), credits = rect(IDC_SVC_CREDITS);
  EXPECT_EQ(status.left, webMain.left);
  EXPECT_EQ(status.right, webFiles.right);
  EXPECT_GT(status.top, webFiles.bottom);
  EXPECT_LT(status.bottom, credits.top);
  EXPECT_TRUE(GetWindowLongA(service.Item(IDC_SVC_STATUS), GWL_STYLE) & SS_ENDELLIPSIS);
  EXPECT_EQ(dirs.GetItemText(IDC_SAVE), "保 存 修 改 ");
  EXPECT_EQ(options.GetItemText(IDC_SAVE), "保 存 修 改");
  EXPECT_EQ(limits.GetItemText(IDC_SAVE), "保 存 修 改");
  EXPECT_EQ(limits.GetItemText(IDC_SYS_DESKTOP_ICON), "添加桌面图标");
  EXPECT_EQ(limits.GetItemText(IDC_SYS_OPEN_README), "打开说明文档");

  // Every field of the settings pages is an edit; the digits-only ones take
  // only 0 to 9 as they are typed, the rest any text.
  const struct {
    const CDialog& page;
    std::vector<int> fields;
    std::set<int> digitsOnly;
  } pages[] = {
      {dirs,
       {1015, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1016, 1031,
        1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1046},
       {1028, 1029}},
      {options,  // all digits-only but 1028
       {1015, 1018, 1019, 1020, 1021, 1022, 1047, 1023, 1024, 1025, 1026, 1027,
        1028, 1029, 1043, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038},
       {1015, 1018, 1019, 1020, 1021, 1022, 1047, 1023, 1024, 1025, 1026,
        1027, 1029, 1043, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038}},
      {limits,
       {1015, 1018, 1021, 1022, 1023, 1024, 1025, 1026, 1027},
       {1015, 1018, 1021, 1022, 1023, 1024, 1025, 1026, 1027}},
  };
  const std::string typed = "1a-2.3 x";
  for (const auto& p : pages) {
    for (int id : p.fields) {
      SCOPED_TRACE("page " + std::to_string(p.page.TemplateId()) + ", field " + std::to_string(id));
      HWND edit = p.page.Item(id);
      ASSERT_EQ(ClassOf(edit), "Edit");
      SetWindowTextW(edit, L"");
      for (char c : typed) SendMessageW(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
      EXPECT_EQ(WindowText(edit), p.digitsOnly.count(id) ? "123" : typed);
    }
  }
}

TEST(DialogTemplates, RightsRowsRunFromSignUpToAdminWithMembersAboveGuests) {
  Host host;
  ASSERT_TRUE(host.Create(nullptr));
  CDialog limits(IDD_LIMITS_PAGE);
  ASSERT_TRUE(limits.Create(host.Handle()));
  const char* captions[] = {"注册", "浏览", "下载", "留言", "上传", "编辑", "管理"};
  const int member[] = {1072, 1066, 1067, 1068, 1069, 1070, 1071};
  const int guest[] = {1065, 1059, 1060, 1061, 1062, 1063, 1064};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(limits.GetItemText(member[i]), captions[i]);
    EXPECT_EQ(limits.GetItemText(guest[i]), captions[i]);
    RECT m = RectIn(limits.Handle(), limits.Item(member[i]));
    RECT g = RectIn(limits.Handle(), limits.Item(guest[i]));
    EXPECT_LT(m.bottom, g.top + 1) << "member row above guest row";
    EXPECT_EQ(m.left, g.left);
    if (i > 0) {
      RECT prev = RectIn(limits.Handle(), limits.Item(member[i - 1]));
      EXPECT_LT(prev.left, m.left) << captions[i];
    }
  }
}

class Page : public CDialog {
 public:
  Page() : CDialog(IDD_LIMITS_PAGE) {
    BindText(IDC_SYS_MAX_CONNS, &maxConns);
    BindText(IDC_SYS_MAX_TORRENTS, &maxTorrents);
    BindCheck(IDC_SYS_MEMBER_SIGNUP, &signup);
    BindCheck(IDC_SYS_GUEST_VIEW, &view);
  }
  std::string maxConns = "64";
  std::string maxTorrents = "1000";
  int signup = 1;
  int view = 0;
  std::vector<int> commands;  // clicks that reached the page

 protected:
  bool OnCommand(int id, int code, HWND control) override {
    if (code == BN_CLICKED) commands.push_back(id);  // edits report focus and changes too
    return CDialog::OnCommand(id, code, control);
  }
};

TEST(DialogDataExchange, ShowsMembersAtInitAndReadsControlsBack) {
  Host host;
  ASSERT_TRUE(host.Create(nullptr));
  Page page;
  ASSERT_TRUE(page.Create(host.Handle()));
  EXPECT_EQ(page.GetItemText(IDC_SYS_MAX_CONNS), "64");
  EXPECT_EQ(page.GetItemText(IDC_SYS_MAX_TORRENTS), "1000");
  EXPECT_TRUE(page.IsButtonChecked(IDC_SYS_MEMBER_SIGNUP));
  EXPECT_FALSE(page.IsButtonChecked(IDC_SYS_GUEST_VIEW));

  page.SetItemText(IDC_SYS_MAX_CONNS, "");
  page.SetItemText(IDC_SYS_MAX_TORRENTS, "备份 & 007");
  page.CheckButton(IDC_SYS_MEMBER_SIGNUP, false);
  page.CheckButton(IDC_SYS_GUEST_VIEW, true);
  page.UpdateData(true);
  EXPECT_EQ(page.maxConns, "");
  // Read back through the wide functions, as UTF-8 whatever the code page.
  EXPECT_EQ(page.maxTorrents, "\xE5\xA4\x87\xE4\xBB\xBD & 007");
  EXPECT_EQ(page.signup, 0);
  EXPECT_EQ(page.view, 1);

  page.maxConns = std::string(3000, '9');  // longer than any fixed buffer
  page.UpdateData(false);
  page.UpdateData(true);
  EXPECT_EQ(page.maxConns.size(), 3000u);
}

// Records what reaches it; handles only what it is told to.
class Recorder : public CControl {
 public:
  explicit Recorder(bool handles) : handles_(handles) {}
  bool OnReflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    messages.push_back(message);
    if (message == WM_NOTIFY) codes.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
    if (message == WM_COMMAND) codes.push_back(HIWORD(wParam));
    *result = message == WM_CTLCOLORSTATIC ? reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)) : 0;
    return handles_;
  }
  std::vector<UINT> messages;
  std::vector<UINT> codes;

 private:
  bool handles_;
};

TEST(DialogReflection, ControlNotificationsReachTheAttachedObjectFirst) {
  Host host;
  ASSERT_TRUE(host.Create(nullptr));
  Page page;
  Recorder button(true), label(true), ignoring(false);
  page.BindControl(IDC_SYS_DESKTOP_ICON, &button);
  page.BindControl(IDC_SYS_OPEN_README, &ignoring);
  ASSERT_TRUE(page.Create(host.Handle()));
  ASSERT_EQ(button.Handle(), page.Item(IDC_SYS_DESKTOP_ICON));
  EXPECT_EQ(CControl::FromHandle(page.Item(IDC_SYS_DESKTOP_ICON)), &button);
  EXPECT_EQ(CControl::FromHandle(page.Item(IDC_SAVE)), nullptr);

  // A handled click stays with the control; an unhandled one reaches the page.
  SendMessageA(page.Item(IDC_SYS_DESKTOP_ICON), BM_CLICK, 0, 0);
  SendMessageA(page.Item(IDC_SYS_OPEN_README), BM_CLICK, 0, 0);
  ASSERT_EQ(button.codes, std::vector<UINT>{BN_CLICKED});
  EXPECT_EQ(ignoring.codes, std::vector<UINT>{BN_CLICKED});
  EXPECT_EQ(page.commands, std::vector<int>{IDC_SYS_OPEN_README});

  // The colour request of a static returns the attached object's brush.
  HWND staticControl = nullptr;
  for (HWND c = GetWindow(page.Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(c) == -1 || GetDlgCtrlID(c) == 0xFFFF) {
      char cls[16] = {};
      GetClassNameA(c, cls, sizeof cls);
      if (lstrcmpiA(cls, "Static") == 0) {
        staticControl = c;
        break;
      }
    }
  }
  ASSERT_NE(staticControl, nullptr);
  ASSERT_TRUE(label.Attach(staticControl));
  HDC dc = GetDC(staticControl);
  LRESULT brush = SendMessageA(page.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(staticControl));
  ReleaseDC(staticControl, dc);
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
  EXPECT_EQ(label.messages, std::vector<UINT>{WM_CTLCOLORSTATIC});
}

TEST(DialogReflection, TabNotificationsReachTheStripObject) {
  Host host;
  Recorder strip(true);
  host.BindControl(IDC_TABS, &strip);
  ASSERT_TRUE(host.Create(nullptr));
  ASSERT_EQ(strip.Handle(), host.Item(IDC_TABS));
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>("a");
  SendMessageA(strip.Handle(), TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SendMessageA(strip.Handle(), TCM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&item));
  SendMessageA(strip.Handle(), TCM_SETCURFOCUS, 1, 0);
  EXPECT_EQ(strip.codes, (std::vector<UINT>{static_cast<UINT>(TCN_SELCHANGING),
                                            static_cast<UINT>(TCN_SELCHANGE)}));
  EXPECT_EQ(SendMessageA(strip.Handle(), TCM_GETCURSEL, 0, 0), 1);
}

TEST(DialogReflection, AnObjectLetsGoWhenItsWindowIsDestroyed) {
  Recorder recorder(true);
  {
    Host host;
    host.BindControl(IDC_TABS, &recorder);
    ASSERT_TRUE(host.Create(nullptr));
    ASSERT_NE(recorder.Handle(), nullptr);
  }
  EXPECT_EQ(recorder.Handle(), nullptr);
}

// Ends itself from inside its modal loop, after Enter in a page's field.
class ModalHost : public CDialog {
 public:
  ModalHost() : CDialog(IDD_MAIN) {}
  Page page;
  bool closedAfterEnter = false;

 protected:
  bool OnInit() override {
    CDialog::OnInit();
    page.Create(Handle());
    ShowWindow(page.Handle(), SW_SHOW);
    HWND edit = page.Item(IDC_SYS_MAX_CONNS);
    SetFocus(edit);
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(edit, WM_KEYUP, VK_RETURN, 0);
    PostMessageA(Handle(), WM_APP, 0, 0);
    return false;
  }
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_APP) {
      closedAfterEnter = true;
      PostMessageA(Handle(), WM_COMMAND, IDCANCEL, 0);
      return TRUE;
    }
    return CDialog::DialogProc(message, wParam, lParam);
  }
};

TEST(DialogModal, EnterGoesToThePageAndTheModalLoopEndsWithTheResult) {
  ModalHost host;
  INT_PTR result = host.DoModal(nullptr);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(host.closedAfterEnter);
  EXPECT_EQ(host.Handle(), nullptr);  // modal: destroyed when DoModal returns
  // Enter in the page's field pressed the page's default button, and did not
  // end the main window.
  EXPECT_EQ(host.page.commands, std::vector<int>{IDC_SAVE});
}

// Records whether its owner was enabled again when it was hidden.
class OwnedModal : public CDialog {
 public:
  explicit OwnedModal(HWND owner) : CDialog(IDD_ADMIN_ACCOUNT), owner_(owner) {}
  bool ownerDisabledWhileShown = false;
  bool ownerEnabledWhenHidden = false;

 protected:
  bool OnInit() override {
    PostMessageA(Handle(), WM_COMMAND, IDOK, 0);
    return CDialog::OnInit();
  }
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
      ownerDisabledWhileShown = !IsWindowEnabled(owner_);
    }
    if (message == WM_SHOWWINDOW && !wParam) ownerEnabledWhenHidden = IsWindowEnabled(owner_);
    return CDialog::DialogProc(message, wParam, lParam);
  }

 private:
  HWND owner_;
};

TEST(DialogModal, OwnerIsEnabledAgainBeforeTheDialogIsHidden) {
  Host owner;
  ASSERT_TRUE(owner.Create(nullptr));
  OwnedModal dialog(owner.Handle());
  EXPECT_EQ(dialog.DoModal(owner.Handle()), IDOK);
  EXPECT_TRUE(dialog.ownerDisabledWhileShown);
  // Hidden with its owner still disabled, the system would activate another
  // application's window.
  EXPECT_TRUE(dialog.ownerEnabledWhenHidden);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST(DialogModeless, OkAndCancelLeaveAPageOpenAndEndDialogDestroysIt) {
  Host host;
  ASSERT_TRUE(host.Create(nullptr));
  Page page;
  ASSERT_TRUE(page.Create(host.Handle()));
  HWND hwnd = page.Handle();
  SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
  SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindow(hwnd));
  page.EndDialog(IDOK);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(page.Handle(), nullptr);
}

// The administrator dialog types an account the ANSI code page (936 here)
// cannot hold: OK shows the refusal naming the field and the dialog stays;
// nothing is handed on.
class RefusedAdminInput : public Cmyinput {
 protected:
  bool OnInit() override {
    bool focus = Cmyinput::OnInit();
    SetItemText(IDC_ADMIN_ACCOUNT, "관리자");
    SetItemText(IDC_ADMIN_PASSWORD, "secret");
    PostMessageW(Handle(), WM_COMMAND, IDOK, 0);
    return focus;
  }
};

TEST(AdminDialog, AnAccountTheCodePageCannotHoldIsRefusedAndTheDialogStays) {
  RefusedAdminInput dialog;
  std::string refusal;
  bool stayedOpen = false;
  std::thread closer([&] {
    HWND box = nullptr;
    for (int i = 0; i < 500 && !box; ++i) {
      Sleep(10);
      HWND owner = dialog.Handle();
      for (HWND w = FindWindowW(L"#32770", nullptr); w && owner; w = GetWindow(w, GW_HWNDNEXT)) {
        if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) box = w;
      }
    }
    if (!box) return;
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    refusal = Narrow(text);
    SendMessageW(box, WM_COMMAND, IDOK, 0);
    Sleep(50);
    stayedOpen = IsWindowVisible(dialog.Handle()) != FALSE;
    PostMessageW(dialog.Handle(), WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
  closer.join();
  EXPECT_EQ(refusal, NotInCodePageText("管理员账号"));
  EXPECT_TRUE(stayedOpen);
  EXPECT_FALSE(dialog.Answer());
}

}  // namespace
}  // namespace vexa
