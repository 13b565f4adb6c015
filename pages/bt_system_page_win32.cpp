#include "pages/bt_system_page_win32.h"

#include <string>

#include "shell/desktop_shortcut.h"
#include "shell/shell_open_win32.h"
#include "ui/message_box_win32.h"

namespace vexa {

namespace {

const char kShortcutName[] = "Vexa管理服务器";
const char kShortcutDescription[] = "Vexa服务端管理工具";
const char kDesktopIconCaption[] = "添加桌面图标";
const char kDesktopIconBusy[] = "请稍候......";
const char kDesktopIconDone[] = "桌面图标已创建";
const char kShortcutFailed[] = "向桌面上添加快捷方式失败";
const char kReadme[] = "Readme.txt";

}  // namespace

CBTsystem::CBTsystem(ConfigStore& store, std::string programDirectory)
    : CPageDialog(IDD_LIMITS_PAGE, store), directory_(std::move(programDirectory)) {
  for (int bit = 0; bit < kAccessRightCount; ++bit) {
    BindCheck(kMemberFirstBox + bit, &page_.memberBoxes[bit]);
    BindCheck(kGuestFirstBox + bit, &page_.guestBoxes[bit]);
  }
}

bool CBTsystem::OnCommand(int id, int code, HWND control) {
  if (code == BN_CLICKED) {
    switch (id) {
      case IDC_SYS_DESKTOP_ICON:
        OnDesktopIcon();
        return true;
      case IDC_SYS_OPEN_README:
        OnOpenReadme();
        return true;
      default:
        break;
    }
  }
  return CPageDialog::OnCommand(id, code, control);
}

void CBTsystem::OnDesktopIcon() {
  SetItemText(IDC_SYS_DESKTOP_ICON, kDesktopIconBusy);
  UpdateWindow(Item(IDC_SYS_DESKTOP_ICON));
  Status made = CreateDesktopShortcut(kShortcutName, kShortcutDescription);
  if (made.ok) {
    SetItemText(IDC_SYS_DESKTOP_ICON, kDesktopIconDone);
    // A disabled button cannot keep the focus: it goes on as Tab would take it.
    if (GetFocus() == Item(IDC_SYS_DESKTOP_ICON)) SendMessageW(Handle(), WM_NEXTDLGCTL, 0, FALSE);
    EnableItem(IDC_SYS_DESKTOP_ICON, false);
    return;
  }
  // The system's default caption, as for any shell failure; owned by the page
  // so that the button cannot be clicked again while the box is open.
  PageMessageBox(Handle(), std::string(kShortcutFailed) + "\n" + made.message,
                 MB_OK | MB_ICONINFORMATION);
  // The user may fix the desktop folder and try again.
  SetItemText(IDC_SYS_DESKTOP_ICON, kDesktopIconCaption);
}

void CBTsystem::OnOpenReadme() {
  const std::string readme = directory_ + kReadme;
  const Status opened = ShellOpen(readme, Handle());
  if (opened.ok) return;
  PageMessageBox(Handle(), ReadmeOpenErrorText(readme, opened.message), kServerCaption,
                 MB_OK | MB_ICONERROR);
}

}  // namespace vexa
