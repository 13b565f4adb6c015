#include "ui/message_box_win32.h"

#include "base/wide_text.h"
#include "ui/message_box_flags.h"

namespace vexa {

namespace {
HWND g_mainWindow = nullptr;

static_assert(kBoxTypeMask == MB_TYPEMASK && kIconMask == MB_ICONMASK);
static_assert(kBoxOk == MB_OK && kBoxOkCancel == MB_OKCANCEL && kBoxYesNo == MB_YESNO &&
              kBoxYesNoCancel == MB_YESNOCANCEL);
static_assert(kIconHand == MB_ICONHAND && kIconQuestion == MB_ICONQUESTION &&
              kIconExclamation == MB_ICONEXCLAMATION && kIconInformation == MB_ICONINFORMATION);
}  // namespace

int PageMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), flags);
}

int PageMessageBox(HWND owner, const std::string& text, UINT flags) {
  return MessageBoxW(owner, Wide(text).c_str(), nullptr, flags);
}

int AppMessageBox(const std::string& text, UINT flags) {
  HWND owner = g_mainWindow && IsWindow(g_mainWindow) ? g_mainWindow : GetActiveWindow();
  return MessageBoxW(owner, Wide(text).c_str(), Wide(kAppTitle).c_str(), AppMessageBoxFlags(flags));
}

bool PageConfirm(HWND owner, const std::string& text, const std::string& caption, UINT icon) {
  return PageMessageBox(owner, text, caption, MB_OKCANCEL | MB_DEFBUTTON2 | icon) == IDOK;
}

bool AppConfirm(const std::string& text) {
  return AppMessageBox(text, MB_OKCANCEL | MB_DEFBUTTON2) == IDOK;
}

void SetAppMainWindow(HWND hwnd) { g_mainWindow = hwnd; }

HWND AppMainWindow() { return g_mainWindow; }

}  // namespace vexa
