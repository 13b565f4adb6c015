#include "app/main_dlg.h"

#include <type_traits>

#include "base/descramble.h"
#include "base/system_error.h"
#include "config/program_directory.h"
#include "log/action_log_win32.h"
#include "pages/bt_system_page.h"
#include "pages/file_and_dir_page.h"
#include "pages/option_page.h"
#include "tracker/busy_panel.h"
#include "tracker/setting_page.h"
#include "ui/message_box.h"

namespace vexa {

namespace {
constexpr unsigned char kCaptionKey = 0x6B;
constexpr auto kStoredCaption = ScrambleLiteral(kMainWindowCaption, kCaptionKey);
const char kPageNotCreated[] = "无法创建页面：";
}  // namespace

CMainDlg::CMainDlg(ConfigStore& store)
    : CDialog(kTemplateId),
      store_(store),
      icon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))) {
  BindControl(IDC_TABS, &tabs);
}

// The store outlives the window.
CMainDlg::~CMainDlg() { store_.SetOutsideChangeListener(nullptr); }

template <typename Page>
void CMainDlg::AddPage(const std::string& caption) {
  auto page = std::make_unique<Page>(store_);
  if (!page->Create(tabs.Handle())) {
    // A tab without its page would show nothing and switch to nothing.
    DWORD error = GetLastError();
    AppMessageBox(kPageNotCreated + caption + "\n" + SystemMessage(error), MB_OK | MB_ICONERROR);
    return;
  }
  tabs.AddPage(caption, page->Handle());
  if constexpr (std::is_base_of_v<StoreView, Page>) storeViews_.push_back(page.get());
  pages_.push_back(std::move(page));
}

void CMainDlg::RefreshPages() {
  for (StoreView* view : storeViews_) view->ShowStoreValues();
}

bool CMainDlg::OnInit() {
  CDialog::OnInit();  // attaches the tab strip to control 1003
  SetAppMainWindow(Handle());
  SetProgramDirectory(GetProgramDirectory());
  StartActionLog(ProgramDirectory());
  // Every page reads its values from the store; it is read again only after
  // another program changed vexa.cfg, and then the pages are refreshed.
  store_.Load();
  store_.SetOutsideChangeListener([this] { RefreshPages(); });
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  AddPage<CSetting>("管理服务");
  AddPage<CFileAndDir>("目录设置");
  AddPage<Coption>("选项设置");
  AddPage<CBTsystem>("系统设置");
  SetText(DescrambleText(kStoredCaption, kCaptionKey));
  return true;
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
      SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, TRUE);
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
  SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT rect;
  GetClientRect(Handle(), &rect);
  int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon);
  EndPaint(Handle(), &ps);
}

}  // namespace vexa
