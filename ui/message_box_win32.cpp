#include "ui/message_box_win32.h"

#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"
#include "ui/box_text.h"
#include "ui/control_win32.h"
#include "ui/message_box_flags.h"
#include "ui/window_geometry.h"

namespace vexa {

namespace {
HWND g_mainWindow = nullptr;

static_assert(kBoxTypeMask == MB_TYPEMASK && kIconMask == MB_ICONMASK);
static_assert(kBoxOk == MB_OK && kBoxOkCancel == MB_OKCANCEL && kBoxYesNo == MB_YESNO &&
              kBoxYesNoCancel == MB_YESNOCANCEL);
static_assert(kIconHand == MB_ICONHAND && kIconQuestion == MB_ICONQUESTION &&
              kIconExclamation == MB_ICONEXCLAMATION && kIconInformation == MB_ICONINFORMATION);
// How many columns (average characters of the box's font) a word may take
// so that the box, its icon and margins stay inside the work area.
int BoxColumns() {
  RECT work = {0, 0, 800, 600};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ScopedGetDC screen(nullptr);
  if (!screen.Get()) return 40;
  int average = 7;
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    ScopedGdiObject<HFONT> font(CreateFontIndirectW(&metrics.lfMessageFont));
    if (font) {
      ScopedSelectObject select(screen.Get(), font.Get());
      TEXTMETRICW text = {};
      if (GetTextMetricsW(screen.Get(), &text) && text.tmAveCharWidth > 0) {
        average = text.tmAveCharWidth;
      }
    }
  }
  // The icon, the margins and the frame take about 120 pixels at 96 DPI.
  int margins = ScaleToDpi(120, ScreenDpi());
  int columns = static_cast<int>((work.right - work.left - margins) / average);
  return columns < 40 ? 40 : columns;
}

std::wstring BoxText(const std::string& text) { return Wide(BreakLongWords(text, BoxColumns())); }

}  // namespace

int PageMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner, BoxText(text).c_str(), Wide(caption).c_str(), flags);
}

int PageMessageBox(HWND owner, const std::string& text, UINT flags) {
  return MessageBoxW(owner, BoxText(text).c_str(), nullptr, flags);
}

int AppMessageBox(const std::string& text, UINT flags) {
  HWND owner = g_mainWindow && IsWindow(g_mainWindow) ? g_mainWindow : GetActiveWindow();
  return MessageBoxW(owner, BoxText(text).c_str(), Wide(kAppTitle).c_str(),
                     AppMessageBoxFlags(flags));
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
