#pragma once
// A C++ object attached to an existing control window by subclassing. The
// parent dialog offers the notifications a control sends (WM_COMMAND,
// WM_NOTIFY, WM_CTLCOLOR*) to the attached object first, so that controls
// such as the tab strip and the link labels handle their own.
#include <windows.h>

namespace vexa {

class CControl {
 public:
  CControl() = default;
  virtual ~CControl();
  CControl(const CControl&) = delete;
  CControl& operator=(const CControl&) = delete;

  // Subclasses the window; false when it is null or already attached.
  bool Attach(HWND hwnd);
  void Detach();
  HWND Handle() const { return hwnd_; }

  // The object attached to a window, or null.
  static CControl* FromHandle(HWND hwnd);

  // A notification the control sent to its parent, reflected back. Return
  // true when handled; *result is then what the parent answers (the brush
  // for WM_CTLCOLOR*, the notification's result for WM_NOTIFY).
  virtual bool OnReflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // A keyboard message for the control while it has the focus, offered
  // before the dialog manager sees it: return true when handled.
  virtual bool PreTranslateKey(const MSG& msg);

 protected:
  // Every message of the window; the default passes it on to the control.
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Runs once the window is attached, before it handles any message of ours.
  virtual void OnAttach() {}

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR refData);
  HWND hwnd_ = nullptr;
};

// The screen's DPI, by which dialogs are laid out (96 when it cannot be read).
int ScreenDpi();

}  // namespace vexa
