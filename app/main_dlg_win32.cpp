#include "app/main_dlg_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <type_traits>

#include "app/panel_claim_win32.h"
#include "backup/restore.h"
#include "base/descramble.h"
#include "base/system_error_win32.h"
#include "config/program_directory.h"
#include "log/action_log.h"
#include "log/action_log_win32.h"
#include "pages/bt_system_page_win32.h"
#include "pages/file_and_dir_page_win32.h"
#include "pages/option_page_win32.h"
#include "pages/page_dialog_win32.h"
#include "service_page/service_page_win32.h"
#include "ui/busy_panel_win32.h"
#include "ui/message_box_win32.h"

namespace vexa {

namespace {
constexpr unsigned char kCaptionKey = 0x6B;
constexpr auto kStoredCaption = ScrambleLiteral(kMainWindowCaption, kCaptionKey);
const char kServicePageName[] = "管理服务";
const char kPageNotCreated[] = "无法创建页面：";
const char kPanelStartedLog[] = "控制面板启动：";
const char kUnsavedPages[] = "以下页面有未保存的修改：";
const char kUnsavedChoices[] =
    "选择“是”：保存这些页面，然后关闭。\n"
    "选择“否”：不保存，直接关闭。\n"
    "选择“取消”：不关闭。";
// Posted at initialisation, so that its box comes after the window shows.
constexpr UINT kReportUnreadableConfig = WM_APP + 1;
// Windows ends a program that takes longer over WM_ENDSESSION anyway.
constexpr unsigned long kEndSessionWaitMs = 4000;
}  // namespace

CMainDlg::CMainDlg(ConfigStore& store)
    : CDialog(kTemplateId),
      store_(store),
      icon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP))) {
  BindControl(IDC_TABS, &tabs);
}

// The store outlives the window.
CMainDlg::~CMainDlg() { store_.SetOutsideChangeListener(nullptr); }

template <typename Page>
HWND CMainDlg::BuildPage(const std::string& caption, int tab) {
  auto page = std::make_unique<Page>(store_, ProgramDirectory());
  if (!page->Create(tabs.Handle())) {
    DWORD error = GetLastError();
    AppMessageBox(kPageNotCreated + caption + "\n" + SystemMessage(error), MB_OK | MB_ICONERROR);
    return nullptr;
  }
  if constexpr (std::is_base_of_v<StoreView, Page>) {
    // The close question names the pages and saves them in tab order.
    auto later = std::find_if(storeViews_.begin(), storeViews_.end(),
                              [tab](const SettingsTab& built) { return built.tab > tab; });
    storeViews_.insert(later, SettingsTab{page.get(), tab});
  }
  HWND window = page->Handle();
  pages_.push_back(std::move(page));
  return window;
}

template <typename Page>
void CMainDlg::AddPageBuiltLater(const std::string& caption) {
  const int tab = static_cast<int>(SendMessageW(tabs.Handle(), TCM_GETITEMCOUNT, 0, 0));
  tabs.AddPage(caption, [this, caption, tab] { return BuildPage<Page>(caption, tab); });
}

void CMainDlg::RefreshPages() {
  for (const SettingsTab& page : storeViews_) page.view->ShowStoreValues();
}

bool CMainDlg::ConfirmClose() {
  std::vector<SettingsTab> unsaved;
  std::string text = kUnsavedPages;
  for (const SettingsTab& page : storeViews_) {
    if (!page.view->HasUnsavedChanges()) continue;
    unsaved.push_back(page);
    text += "\n    " + page.view->PageName();
  }
  if (unsaved.empty()) return true;
  text += "\n\n" + std::string(kUnsavedChoices);
  const int answer = PageMessageBox(Handle(), text, kServerCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
  LogAction("关闭窗口时有未保存的页面，回答：" +
            std::string(answer == IDYES ? "保存" : answer == IDNO ? "不保存" : "取消"));
  if (answer != IDYES) return answer == IDNO;
  for (const SettingsTab& page : unsaved) {
    // The page's own boxes and a refused field's focus belong on screen.
    HWND strip = tabs.Handle();
    if (SendMessageW(strip, TCM_GETCURSEL, 0, 0) != page.tab) {
      SendMessageW(strip, TCM_SETCURFOCUS, static_cast<WPARAM>(page.tab), 0);
    }
    if (!page.view->Save()) return false;
  }
  return true;
}

bool CMainDlg::OnInit() {
  CDialog::OnInit();  // attaches the tab strip to control 1003
  SetAppMainWindow(Handle());
  PublishPanelWindow(Handle());
  SetProgramDirectory(GetProgramDirectory());
  StartActionLog(ProgramDirectory());
  LogAction(kPanelStartedLog + ProgramDirectory());
  // Every page reads its values from the store; it is read again only after
  // another program changed vexa.cfg, and then the pages are refreshed.
  store_.Load();
  store_.SetOutsideChangeListener([this] { RefreshPages(); });
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  // A tab without its page would show nothing and switch to nothing.
  if (HWND service = BuildPage<CSetting>(kServicePageName, 0)) {
    tabs.AddPage(kServicePageName, service);
  }
  AddPageBuiltLater<CFileAndDir>(kDirectoriesPageName);
  AddPageBuiltLater<Coption>(kDisplayOptionsPageName);
  AddPageBuiltLater<CBTsystem>(kSystemLimitsPageName);
  SetText(DescrambleText(kStoredCaption, kCaptionKey));
  CentreOnWorkArea();
  if (!store_.LoadStatus().ok) PostMessageW(Handle(), kReportUnreadableConfig, 0, 0);
  return true;
}

bool CMainDlg::OnCommand(int id, int code, HWND control) {
  // Enter and Escape reach the window from the strip: neither may close it
  // and lose what the pages hold. It closes through WM_CLOSE only.
  if (id == IDOK || id == IDCANCEL) return true;
  return CDialog::OnCommand(id, code, control);
}

bool CMainDlg::PreTranslateKey(MSG* msg) {
  if (msg->message != WM_KEYDOWN) return false;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (msg->wParam) {
    case VK_TAB:
      if (ctrl) {
        SwitchTab(shift ? -1 : 1);
      } else {
        MoveFocus(shift);
      }
      return true;
    case VK_NEXT:
    case VK_PRIOR:
      if (!ctrl) return false;
      SwitchTab(msg->wParam == VK_NEXT ? 1 : -1);
      return true;
    default:
      return false;
  }
}

// The strip and the current page's tab stops form one cycle. The strip is a
// control parent (so the pages belong to the window's navigation), which
// makes the dialog manager step over the strip itself: the cycle is ours.
void CMainDlg::MoveFocus(bool backwards) {
  HWND strip = tabs.Handle();
  tabs.FinishSlide();
  HWND page = tabs.PageAt(static_cast<int>(SendMessageW(strip, TCM_GETCURSEL, 0, 0)));
  HWND focus = GetFocus();
  HWND next = nullptr;
  if (page && IsWindowVisible(page)) {
    HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
    // Backwards from the first stop wraps to the last one (Wine answers
    // nothing for a backward search without a start).
    HWND last = first ? GetNextDlgTabItem(page, first, TRUE) : nullptr;
    bool inPage = focus && IsChild(page, focus);
    if (!inPage) {
      next = backwards ? last : first;
    } else if (focus != (backwards ? first : last)) {
      next = GetNextDlgTabItem(page, focus, backwards ? TRUE : FALSE);
    }
  }
  if (next && next != strip) {
    SendMessageW(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
  } else {
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(strip), TRUE);
  }
}

void CMainDlg::SwitchTab(int delta) {
  HWND strip = tabs.Handle();
  int count = static_cast<int>(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0));
  if (count <= 0) return;
  int current = static_cast<int>(SendMessageW(strip, TCM_GETCURSEL, 0, 0));
  int next = ((current + delta) % count + count) % count;
  HWND focus = GetFocus();
  bool inPage = focus && focus != strip && IsChild(strip, focus);
  // As a click does: the strip sends its own selection notifications.
  SendMessageW(strip, TCM_SETCURFOCUS, static_cast<WPARAM>(next), 0);
  // The old page took the focus away with it: give it to the new one.
  HWND page = tabs.PageAt(next);
  HWND first = page && inPage ? GetNextDlgTabItem(page, nullptr, FALSE) : nullptr;
  if (first) {
    SendMessageW(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
  } else if (GetFocus() != strip) {
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(strip), TRUE);
  }
}

void CMainDlg::ReportUnreadableConfig() {
  Status loaded = store_.LoadStatus();
  if (!loaded.ok) PageMessageBox(Handle(), loaded.message, kServerCaption, MB_OK | MB_ICONERROR);
}

INT_PTR CMainDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      if (!IsIconic(Handle())) break;
      OnPaint();
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon);
    case WM_SETCURSOR:
      // The pages ask here first: one answer for the whole window.
      if (!SetBusyCursor()) break;
      SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_CLOSE:
      // The close box, Alt+F4, the system menu, the taskbar; the dialog
      // manager would turn this into IDCANCEL, which the window ignores.
      // Closing during a job would hide the window while the job goes on.
      // End task's second WM_CLOSE may come while the question or a save's
      // box is open.
      if (confirmingClose_ || DeferWhileBusy(Handle(), WM_CLOSE)) return TRUE;
      confirmingClose_ = true;
      if (ConfirmClose()) EndDialog(IDCANCEL);
      confirmingClose_ = false;
      return TRUE;
    case WM_QUERYENDSESSION:
      SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, AllowSessionEnd(Handle()) ? TRUE : FALSE);
      return TRUE;
    case WM_ENDSESSION:
      // The session ends anyway (a forced logoff, a user who chose to go
      // on): the process goes once this returns, so a restore that is
      // replacing files finishes that first.
      if (wParam && !WaitForFilesReplaced(kEndSessionWaitMs)) {
        LogAction("会话结束时恢复备份仍在替换文件，未能等到它完成");
      }
      return TRUE;
    case kReportUnreadableConfig:
      ReportUnreadableConfig();
      return TRUE;
    default:
      break;
  }
  return CDialog::DialogProc(message, wParam, lParam);
}

// Minimised: the icon, centred in the client area.
void CMainDlg::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT rect;
  GetClientRect(Handle(), &rect);
  int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon);
  EndPaint(Handle(), &ps);
}

}  // namespace vexa
