// VexaAdmin.dll: colours every dialog created after SkinApplyToDialogs with
// the skin read from the program's resource. A thread CBT hook catches the
// dialogs as they are created; a subclass answers their colour requests.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <set>
#include <string>

#include "skin/skin_api_win32.h"
#include "skin/skin_data.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x534B494E;  // "SKIN"
constexpr wchar_t kDialogClass[] = L"#32770";

struct SkinState {
  bool started = false;
  vexa::SkinColours colours;
  bool loaded = false;
  HBRUSH dialogBrush = nullptr;
  HBRUSH editBrush = nullptr;
  HHOOK hook = nullptr;
  std::set<HWND> skinned;
};

SkinState& State() {
  static SkinState state;
  return state;
}

void DeleteBrushes(SkinState& s) {
  if (s.dialogBrush) DeleteObject(s.dialogBrush);
  if (s.editBrush) DeleteObject(s.editBrush);
  s.dialogBrush = s.editBrush = nullptr;
}

// The brushes the system answers with when nobody coloured the control; a
// dialog that gave its own brush (a link label, say) keeps it.
bool IsSystemBrush(LRESULT brush) {
  auto b = reinterpret_cast<HBRUSH>(brush);
  return b == nullptr || b == GetSysColorBrush(COLOR_BTNFACE) || b == GetSysColorBrush(COLOR_WINDOW) ||
         b == GetSysColorBrush(COLOR_3DFACE);
}

LRESULT CALLBACK DialogSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
  SkinState& s = State();
  switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      LRESULT own = DefSubclassProc(hwnd, message, wParam, lParam);
      if (!s.loaded || !IsSystemBrush(own)) return own;
      auto dc = reinterpret_cast<HDC>(wParam);
      bool edit = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
      SetTextColor(dc, edit ? s.colours.editText : s.colours.text);
      SetBkColor(dc, edit ? s.colours.edit : s.colours.dialog);
      return reinterpret_cast<LRESULT>(edit ? s.editBrush : s.dialogBrush);
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, DialogSubclass, kSubclassId);
      s.skinned.erase(hwnd);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Resource names and types are plain ASCII words.
std::wstring WideName(const char* name) {
  std::wstring wide;
  for (const char* c = name; *c; ++c) wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  return wide;
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    auto hwnd = reinterpret_cast<HWND>(wParam);
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, kDialogClass) == 0 &&
        SetWindowSubclass(hwnd, DialogSubclass, kSubclassId, 0)) {
      State().skinned.insert(hwnd);
    }
  }
  return CallNextHookEx(State().hook, code, wParam, lParam);
}

}  // namespace

extern "C" int SkinStartup(HINSTANCE, const char*, const char*, const char*) {
  State().started = true;
  return 1;
}

extern "C" int SkinLoadResource(HINSTANCE module, const char* name, const char* type) {
  SkinState& s = State();
  if (!name || !type) return 0;
  HRSRC res = FindResourceW(module, WideName(name).c_str(), WideName(type).c_str());
  HGLOBAL handle = res ? LoadResource(module, res) : nullptr;
  const void* bytes = handle ? LockResource(handle) : nullptr;
  if (!bytes) return 0;
  std::string data(static_cast<const char*>(bytes), SizeofResource(module, res));
  vexa::SkinColours colours;
  if (!vexa::ParseSkin(data, &colours)) return 0;
  DeleteBrushes(s);
  s.colours = colours;
  s.dialogBrush = CreateSolidBrush(colours.dialog);
  s.editBrush = CreateSolidBrush(colours.edit);
  s.loaded = true;
  return 1;
}

extern "C" int SkinApplyToDialogs(const char* selector) {
  SkinState& s = State();
  if (!s.started || !selector || std::strcmp(selector, "Dialog") != 0 || s.hook) return 0;
  s.hook = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
  return s.hook != nullptr;
}

extern "C" int SkinShutdown() {
  SkinState& s = State();
  if (s.hook) UnhookWindowsHookEx(s.hook);
  s.hook = nullptr;
  for (HWND hwnd : s.skinned) {
    RemoveWindowSubclass(hwnd, DialogSubclass, kSubclassId);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  s.skinned.clear();
  DeleteBrushes(s);
  s.loaded = false;
  s.started = false;
  return 1;
}
