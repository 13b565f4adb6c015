#include "pages/page_dialog_win32.h"

#include "ui/outside_change_win32.h"
#include "ui/message_box_win32.h"

namespace vexa {

void BindFields(CDialog& dialog, SettingsPage& page) {
  for (std::size_t row = 0; row < page.Fields().size(); ++row) {
    if (page.Fields()[row].control != 0) dialog.BindText(page.Fields()[row].control, &page.Value(row));
  }
}

namespace {

// The page's own box: information icon after a good save, error icon when
// something failed, and then the focus goes to the field the message names;
// nothing for an empty text.
void ShowPageMessage(HWND page, const PageMessage& message) {
  if (message.text.empty()) return;
  UINT icon = message.icon == PageMessage::Icon::Error ? MB_ICONERROR : MB_ICONINFORMATION;
  PageMessageBox(page, message.text, kServerCaption, MB_OK | icon);
  // After the box: closing it gives the focus back to where it was.
  HWND field = message.focusControl != 0 ? GetDlgItem(page, message.focusControl) : nullptr;
  if (field) SendMessageW(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
}

}  // namespace

bool SavePage(CDialog& dialog, SettingsPage& page, ConfigStore& store, bool showSaved) {
  dialog.UpdateData(true);
  HWND owner = dialog.Handle();
  PageMessage message = page.SaveChanges(
      store, [owner](OutsideChangeKind kind) { return AskReloadChangedConfig(owner, kind); });
  if (showSaved) dialog.UpdateData(false);
  ShowPageMessage(owner, message);
  return message.written;
}

}  // namespace vexa
