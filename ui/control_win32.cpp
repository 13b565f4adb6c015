#include "ui/control_win32.h"

#include <commctrl.h>

#include "base/scoped_handles_win32.h"

namespace vexa {

namespace {
// One subclass id for all our control objects; the object is the ref data
// and also a window property, so that a parent can find it.
constexpr UINT_PTR kSubclassId = 0x56455841;  // "VEXA"
constexpr wchar_t kObjectProperty[] = L"VexaPanel.CControl";
}  // namespace

CControl::~CControl() { Detach(); }

bool CControl::Attach(HWND hwnd) {
  if (!hwnd || hwnd_ || FromHandle(hwnd)) return false;
  if (!SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  SetPropW(hwnd, kObjectProperty, this);
  hwnd_ = hwnd;
  OnAttach();
  return true;
}

void CControl::Detach() {
  if (!hwnd_) return;
  RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
  RemovePropW(hwnd_, kObjectProperty);
  hwnd_ = nullptr;
}

CControl* CControl::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<CControl*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

bool CControl::OnReflect(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

bool CControl::PreTranslateKey(const MSG&) { return false; }

LRESULT CControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultProc(message, wParam, lParam);
}

LRESULT CControl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CControl::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR refData) {
  auto* self = reinterpret_cast<CControl*>(refData);
  if (message == WM_NCDESTROY) {
    // The window goes away before the object: the object lets go of it.
    LRESULT r = self->WndProc(message, wParam, lParam);
    RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    RemovePropW(hwnd, kObjectProperty);
    self->hwnd_ = nullptr;
    return r;
  }
  return self->WndProc(message, wParam, lParam);
}

int ScreenDpi() {
  ScopedGetDC screen(nullptr);
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : 96;
}

}  // namespace vexa
