#include "app/main_dlg.h"

#include "app/descramble.h"
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
}  // namespace

CMainDlg::CMainDlg(ConfigStore& store)
    : CDialog(kTemplateId),
      store_(store),
      icon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))) {
  BindControl(IDC_TABS, &tabs);
}

CMainDlg::~CMainDlg() = default;

template <typename Page>
void CMainDlg::AddPage(const std::string& caption) {
  auto page = std::make_unique<Page>(store_);
  page->Create(tabs.Handle());
  tabs.AddPage(caption, page->Handle());
  pages_.push_back(std::move(page));
}

bool CMainDlg::OnInit() {
  CDialog::OnInit();  // attaches the tab strip to control 1003
  SetAppMainWindow(Handle());
  SetProgramDirectory(GetProgramDirectory());
  StartActionLog(ProgramDirectory());
  // The only load of the run: every page reads its values from the store.
  store_.Load();
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
