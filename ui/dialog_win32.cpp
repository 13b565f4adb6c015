#include "ui/dialog_win32.h"

#include <commctrl.h>

#include "ui/control_win32.h"
#include "ui/window_geometry.h"

namespace vexa {

CDialog::~CDialog() {
  if (hwnd_) {
    // The window must not call back into a destroyed object.
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

INT_PTR CDialog::DoModal(HWND owner) {
  modal_ = true;
  ended_ = false;
  result_ = IDCANCEL;
  HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                 Trampoline, reinterpret_cast<LPARAM>(this));
  if (!hwnd) return -1;
  disabledOwner_ = owner && IsWindowEnabled(owner) ? owner : nullptr;
  if (disabledOwner_) EnableWindow(disabledOwner_, FALSE);
  ShowWindow(hwnd, SW_SHOW);

  MSG msg;
  HWND lastFocus = nullptr;
  while (!ended_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
    // A message box or a click may have moved the frame since the last key.
    if (key) KeepDefaultWithFocus(GetFocus());
    if (!PreTranslate(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    HWND focus = GetFocus();
    if (key || focus != lastFocus) KeepDefaultWithFocus(focus);
    lastFocus = focus;
  }
  ReenableOwner();
  if (hwnd_) DestroyWindow(hwnd_);
  modal_ = false;
  return result_;
}

bool CDialog::Create(HWND parent) {
  if (hwnd_) return false;
  modal_ = false;
  ended_ = false;
  HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent,
                                 Trampoline, reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
  result_ = result;
  if (modal_) {
    ended_ = true;
    // The owner is enabled before the dialog is hidden, so that the
    // activation goes back to it and not to another application's window.
    ReenableOwner();
    ShowWindow(hwnd_, SW_HIDE);
    PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the modal loop
  } else if (hwnd_) {
    DestroyWindow(hwnd_);
  }
}

void CDialog::ReenableOwner() {
  if (disabledOwner_) EnableWindow(disabledOwner_, TRUE);
  disabledOwner_ = nullptr;
}

CDialog* CDialog::FromHandle(HWND hwnd) {
  if (!hwnd || GetWindowLongPtrW(hwnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(Trampoline)) {
    return nullptr;
  }
  return reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
}

std::string CDialog::GetItemText(int id) const {
  HWND item = Item(id);
  if (!item) return {};
  int length = GetWindowTextLengthW(item);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(item, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return Narrow(text);
}

void CDialog::CentreOnOwner() {
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  RECT ownerRect;
  if (owner && GetWindowRect(owner, &ownerRect)) CentreOver(ownerRect, owner);
}

void CDialog::CentreOnWorkArea() {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) {
    CentreOver(monitor.rcWork, hwnd_);
  }
}

// Over the middle of area, inside the work area of the monitor nearest to
// onMonitor.
void CDialog::CentreOver(const RECT& area, HWND onMonitor) {
  RECT own;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetWindowRect(hwnd_, &own) ||
      !GetMonitorInfoW(MonitorFromWindow(onMonitor, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return;
  }
  const RECT& work = monitor.rcWork;
  ScreenPoint origin = CenteredOrigin({area.left, area.top, area.right, area.bottom},
                                      own.right - own.left, own.bottom - own.top,
                                      {work.left, work.top, work.right, work.bottom});
  SetWindowPos(hwnd_, nullptr, origin.x, origin.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDialog::BindText(int id, std::string* member) {
  bindings_.push_back({Binding::Kind::Text, id, member, nullptr, nullptr});
}

void CDialog::BindCheck(int id, int* flag) {
  bindings_.push_back({Binding::Kind::Check, id, nullptr, flag, nullptr});
}

void CDialog::BindControl(int id, CControl* control) {
  bindings_.push_back({Binding::Kind::Control, id, nullptr, nullptr, control});
}

void CDialog::UpdateData(bool saveAndValidate) {
  for (const Binding& b : bindings_) {
    switch (b.kind) {
      case Binding::Kind::Text:
        if (saveAndValidate) {
          *b.text = GetItemText(b.id);
        } else {
          SetItemText(b.id, *b.text);
        }
        break;
      case Binding::Kind::Check:
        if (saveAndValidate) {
          *b.flag = IsButtonChecked(b.id) ? 1 : 0;
        } else {
          CheckButton(b.id, *b.flag != 0);
        }
        break;
      case Binding::Kind::Control:
        if (!b.control->Handle()) b.control->Attach(Item(b.id));
        break;
    }
  }
}

bool CDialog::OnInit() {
  UpdateData(false);
  return true;
}

bool CDialog::OnCommand(int id, int, HWND) {
  if (id == IDOK || id == IDCANCEL) {
    // A modeless page stays open: Enter and Escape do not end it.
    if (modal_) EndDialog(id);
    return true;
  }
  return false;
}

bool CDialog::OnNotify(int, NMHDR*, LRESULT*) { return false; }

bool CDialog::OnTimer(UINT_PTR) { return false; }

bool CDialog::Reflect(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  CControl* object = CControl::FromHandle(control);
  return object && object->OnReflect(message, wParam, lParam, result);
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      bool setFocus = OnInit();
      LRESULT defId = SendMessageW(hwnd_, DM_GETDEFID, 0, 0);
      homeDefault_ = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : 0;
      return setFocus ? TRUE : FALSE;
    }
    case WM_COMMAND: {
      LRESULT result = 0;
      HWND control = reinterpret_cast<HWND>(lParam);
      if (control && Reflect(control, message, wParam, lParam, &result)) return TRUE;
      return OnCommand(LOWORD(wParam), HIWORD(wParam), control) ? TRUE : FALSE;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      LRESULT result = 0;
      if (Reflect(header->hwndFrom, message, wParam, lParam, &result) ||
          OnNotify(static_cast<int>(header->idFrom), header, &result)) {
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      // These return the brush itself rather than through DWLP_MSGRESULT.
      LRESULT result = 0;
      if (Reflect(reinterpret_cast<HWND>(lParam), message, wParam, lParam, &result)) {
        return static_cast<INT_PTR>(result);
      }
      return FALSE;
    }
    case WM_TIMER:
      return OnTimer(wParam) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

// Keyboard navigation belongs to the innermost dialog of ours around the
// focus: a page inside the main window gets Tab, Enter (its default button)
// and Escape before the main window does.
bool CDialog::PreTranslate(MSG* msg) {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) {
    return IsDialogMessageW(hwnd_, msg) != FALSE;
  }
  if (PreTranslateKey(msg)) return true;
  CControl* control = CControl::FromHandle(msg->hwnd);
  if (control && control->PreTranslateKey(*msg)) return true;
  for (HWND h = msg->hwnd; h; h = GetParent(h)) {
    if (FromHandle(h) && IsDialogMessageW(h, msg)) return true;
    if (h == hwnd_) break;
  }
  return false;
}

bool CDialog::PreTranslateKey(MSG*) { return false; }

namespace {

bool IsPushButton(HWND window) {
  wchar_t cls[16] = L"";
  GetClassNameW(window, cls, 16);
  if (lstrcmpiW(cls, L"Button") != 0) return false;
  LONG_PTR type = GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

}  // namespace

void CDialog::KeepDefaultWithFocus(HWND focus) {
  CDialog* dialog = nullptr;
  for (HWND h = focus; h && !dialog; h = GetParent(h)) dialog = FromHandle(h);
  if (!dialog || !dialog->hwnd_) return;
  HWND hwnd = dialog->hwnd_;
  HWND target = nullptr;
  if (focus != hwnd && GetParent(focus) == hwnd && IsPushButton(focus)) {
    target = focus;
  } else if (dialog->homeDefault_ != 0) {
    target = GetDlgItem(hwnd, dialog->homeDefault_);
  }
  int targetId = target ? GetDlgCtrlID(target) : 0;
  LRESULT defId = SendMessageW(hwnd, DM_GETDEFID, 0, 0);
  int currentId = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : 0;
  if (currentId != targetId) SendMessageW(hwnd, DM_SETDEFID, static_cast<WPARAM>(targetId), 0);
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsPushButton(child)) continue;
    LONG_PTR want = child == target ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK) != want) {
      SendMessageW(child, BM_SETSTYLE, static_cast<WPARAM>(want), TRUE);
    }
  }
}

INT_PTR CALLBACK CDialog::Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  INT_PTR r = self->DialogProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    self->ended_ = true;
  }
  return r;
}

}  // namespace vexa
