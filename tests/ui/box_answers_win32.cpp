#include "tests/ui/box_answers_win32.h"

#include "base/wide_text.h"

namespace vexa::test {

namespace {

// Enter presses the focused push button, else the default one. Under Wine
// the focus of a new box can come and go with the X server's activation
// events, and a box without focus takes Enter as OK; the default button is
// drawn from the box's creation on, so the tests press that one.
int DefaultButton(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (lstrcmpiW(name, L"Button") == 0 &&
        (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return GetDlgCtrlID(child);
    }
  }
  return IDOK;
}

}  // namespace

HWND WaitForBox(DWORD thread, HWND except) {
  struct Search {
    HWND except;
    HWND box;
  } search{except, nullptr};
  for (int i = 0; i < 1000 && !search.box; ++i) {
    Sleep(10);
    EnumThreadWindows(thread, [](HWND w, LPARAM data) -> BOOL {
      auto* found = reinterpret_cast<Search*>(data);
      if (w == found->except || !IsWindowVisible(w)) return TRUE;
      found->box = w;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
  }
  return search.box;
}

std::string AnswerBox(HWND box, int button) {
  wchar_t text[2048] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 2048);
  PostMessageW(box, WM_COMMAND, button ? button : DefaultButton(box), 0);
  for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
  if (IsWindow(box)) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
    return Narrow(text) + " (still open)";
  }
  return Narrow(text);
}

}  // namespace vexa::test
