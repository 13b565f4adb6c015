// The yardstick for the panel's start-up: the least a Win32 dialog program
// does to show a window, a modal dialog from an in-memory template with one
// button. Started by vexa_win32_bench; closes on WM_CLOSE like the panel.
//
// Built a second time with VEXA_PANEL_LOAD: then it also loads what the
// panel loads before its window shows (the same system DLLs, the common
// controls 6 manifest, COM, the dialog font), which tells how much of the
// panel's start-up is Wine loading those. A number on the command line gives
// the dialog that many buttons, as many windows as the panel creates.
#include <windows.h>

#include <cstdlib>
#include <string>

#ifdef VEXA_PANEL_LOAD
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#endif

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}

void Put(std::string& t, const void* data, size_t size) {
  t.append(static_cast<const char*>(data), size);
}
void PutWord(std::string& t, WORD w) { Put(t, &w, sizeof w); }
void AlignDword(std::string& t) {
  while (t.size() % 4) t += '\0';
}

// DLGTEMPLATE, menu, class, title, [font], then the push buttons.
std::string MakeTemplate(bool withFont, int buttons) {
  std::string t;
  DLGTEMPLATE dialog = {};
  dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER;
  if (withFont) dialog.style |= DS_SETFONT;
  dialog.cdit = static_cast<WORD>(buttons);
  dialog.cx = 200;
  dialog.cy = 100;
  Put(t, &dialog, sizeof dialog);
  PutWord(t, 0);  // no menu
  PutWord(t, 0);  // the dialog class
  PutWord(t, 0);  // no title
  if (withFont) {
    PutWord(t, 9);
    for (char c : std::string("MS Shell Dlg")) PutWord(t, static_cast<WORD>(c));
    PutWord(t, 0);
  }
  AlignDword(t);
  for (int i = 0; i < buttons; ++i) {
    DLGITEMTEMPLATE button = {};
    button.style = WS_CHILD | WS_VISIBLE | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    button.x = static_cast<short>(5 + (i % 10) * 19);
    button.y = static_cast<short>(5 + (i / 10 % 9) * 10);
    button.cx = 18;
    button.cy = 9;
    button.id = static_cast<WORD>(i == 0 ? IDOK : 1000 + i);
    Put(t, &button, sizeof button);
    PutWord(t, 0xFFFF);
    PutWord(t, 0x0080);  // Button
    PutWord(t, 0);       // no text
    PutWord(t, 0);       // no creation data
    AlignDword(t);
  }
  return t;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  bool withFont = false;
#ifdef VEXA_PANEL_LOAD
  withFont = true;
  INITCOMMONCONTROLSEX controls = {sizeof controls,
                                    ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  CoInitialize(nullptr);
  // Imported, as by the panel, though not called before the window shows.
  volatile auto text = &SysAllocString;
  volatile auto shell = &ShellExecuteA;
  volatile auto registry = &RegOpenKeyExA;
  (void)text;
  (void)shell;
  (void)registry;
#endif
  int buttons = __argc > 1 ? atoi(__argv[1]) : 1;
  if (buttons < 1 || buttons > 1000) buttons = 1;
  std::string t = MakeTemplate(withFont, buttons);
  INT_PTR result = DialogBoxIndirectParamA(
      instance, reinterpret_cast<const DLGTEMPLATE*>(t.data()), nullptr, DialogProc, 0);
#ifdef VEXA_PANEL_LOAD
  CoUninitialize();
#endif
  return static_cast<int>(result);
}
