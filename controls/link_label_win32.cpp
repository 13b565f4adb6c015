#include "controls/link_label_win32.h"

#include <commctrl.h>

#include "base/process_win32.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"
#include "controls/link_label_logic.h"
#include "shell/shell_open_win32.h"
#include "ui/message_box_win32.h"
#include "ui/window_geometry.h"

namespace vexa {

namespace {

constexpr UINT_PTR kToolId = 1;
constexpr int kHelpViewerHandCursor = 106;
constexpr int kLeaveInvalidateExtra = 10;  // at 96 DPI; the underline may reach below the client area

RECT ClientRect(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return r;
}

// The label's one tool, covering its client area.
TOOLINFOW LabelTool(HWND hwnd) {
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd;
  tool.uId = kToolId;
  tool.rect = ClientRect(hwnd);
  return tool;
}

class SystemLinkOpener : public LinkOpener {
 public:
  Status ShellOpen(const std::string& target) override { return vexa::ShellOpen(target); }

  bool ReadClassDefault(const std::string& subKey, std::string* value) override {
    ScopedRegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Wide(subKey).c_str(), 0, KEY_QUERY_VALUE, key.Receive()) !=
        ERROR_SUCCESS) {
      return false;
    }
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH * sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS) {
      return false;
    }
    *value = Narrow(buffer);
    return true;
  }

  Status Run(const std::string& commandLine) override {
    ProcessLaunch launch;
    launch.commandLine = commandLine;
    launch.showCommand = SW_SHOWNORMAL;
    const StartedProcess started = StartProcess(launch);
    if (started.process) return Status::Ok();
    return Status::Error(SystemMessage(started.error, commandLine));
  }
};

}  // namespace

CLinkLabel::~CLinkLabel() {
  if (Handle()) KillTimer(Handle(), kHoverTimerId);
}

COLORREF CLinkLabel::CurrentColor() const {
  if (isHovering_) return colorHover_;
  return isVisited_ ? colorVisited_ : colorNormal_;
}

void CLinkLabel::SetLinkTarget(const std::string& target) {
  target_ = target;
  if (!Handle()) return;
  FitToText();
  if (tooltip_) {
    TOOLINFOW tool = LabelTool(Handle());
    std::wstring tip = Wide(target_);
    tool.lpszText = &tip[0];
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CLinkLabel::OnAttach() {
  HWND hwnd = Handle();
  SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | SS_NOTIFY);

  wchar_t text[1024] = L"";
  GetWindowTextW(hwnd, text, 1024);
  if (target_.empty()) target_ = Narrow(text);
  if (text[0] == L'\0') SetWindowTextW(hwnd, Wide(target_).c_str());

  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!font) font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
  LOGFONTW logFont;
  // Without any font there is nothing to draw the link with: stay a plain static.
  if (!font || !GetObjectW(font, sizeof logFont, &logFont)) return;
  plainFont_.Reset(CreateFontIndirectW(&logFont));
  logFont.lfUnderline = TRUE;
  underlinedFont_.Reset(CreateFontIndirectW(&logFont));

  FitToText();
  LoadHandCursor();

  tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (tooltip_) {
    TOOLINFOW tool = LabelTool(hwnd);
    std::wstring tip = Wide(target_);
    tool.lpszText = &tip[0];
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CLinkLabel::FitToText() {
  HWND hwnd = Handle();
  if (!hwnd) return;
  HWND parent = GetParent(hwnd);
  RECT window;
  GetWindowRect(hwnd, &window);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
  RECT client = ClientRect(hwnd);

  wchar_t text[1024] = L"";
  int length = GetWindowTextW(hwnd, text, 1024);
  SIZE extent = {0, 0};
  {
    ScopedGetDC dc(hwnd);
    ScopedSelectObject select(dc.Get(), underlinedFont_ ? underlinedFont_.Get()
                                                        : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32W(dc.Get(), text, length, &extent);
  }

  LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  LabelAlign align = LabelAlign::Left;
  if ((style & SS_TYPEMASK) == SS_CENTER) align = LabelAlign::Center;
  if ((style & SS_TYPEMASK) == SS_RIGHT) align = LabelAlign::Right;
  LabelRect fitted = FitLabelRect({window.left, window.top, window.right, window.bottom},
                                  client.right - client.left, client.bottom - client.top,
                                  extent.cx, extent.cy, align, (style & SS_CENTERIMAGE) != 0);
  SetWindowPos(hwnd, nullptr, fitted.left, fitted.top, fitted.right - fitted.left,
               fitted.bottom - fitted.top, SWP_NOZORDER | SWP_NOACTIVATE);

  // Keep the tooltip's area on the label when a caption set later refits it.
  if (tooltip_) {
    TOOLINFOW tool = LabelTool(hwnd);
    SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CLinkLabel::LoadHandCursor() {
  if (handCursor_) return;
  wchar_t windows[MAX_PATH] = L"";
  GetWindowsDirectoryW(windows, MAX_PATH);
  ScopedModule helpViewer(LoadLibraryExW((std::wstring(windows) + L"\\winhlp32.exe").c_str(),
                                         nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (helpViewer) {
    HCURSOR hand = LoadCursorW(helpViewer.Get(), MAKEINTRESOURCEW(kHelpViewerHandCursor));
    if (hand) handCursor_.Reset(CopyIcon(hand));
  }
  // Current systems ship no help viewer with that cursor; theirs is the same hand.
  if (!handCursor_) {
    HCURSOR systemHand = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));  // IDC_HAND
    if (systemHand) handCursor_.Reset(CopyIcon(systemHand));
  }
}

void CLinkLabel::EnterHover() {
  if (isHovering_) return;
  isHovering_ = TRUE;
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(underlinedFont_.Get()), TRUE);
  InvalidateRect(Handle(), nullptr, TRUE);
  SetTimer(Handle(), kHoverTimerId, kHoverTimerMs, nullptr);
}

void CLinkLabel::LeaveCheck() {
  DWORD position = GetMessagePos();
  POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  ScreenToClient(Handle(), &point);
  RECT client = ClientRect(Handle());
  if (PtInRect(&client, point)) return;
  isHovering_ = FALSE;
  KillTimer(Handle(), kHoverTimerId);
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(plainFont_.Get()), TRUE);
  client.bottom += ScaleToDpi(kLeaveInvalidateExtra, ScreenDpi());
  InvalidateRect(Handle(), &client, TRUE);
}

void CLinkLabel::FollowLink() {
  isHovering_ = FALSE;
  SystemLinkOpener system;
  const std::string error = OpenLink(target_, system);
  isVisited_ = error.empty();
  if (isVisited_) {
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
  } else {
    MessageBeep(MB_ICONEXCLAMATION);
    AppMessageBox(error, MB_ICONEXCLAMATION | MB_OK);
  }
}

bool CLinkLabel::OnReflect(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
  if (message == WM_CTLCOLORSTATIC) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, CurrentColor());
    SetBkMode(dc, TRANSPARENT);
    *result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    return true;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
    FollowLink();
    *result = 0;
    return true;
  }
  return false;
}

bool CLinkLabel::PreTranslateKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_SPACE)) {
    return false;
  }
  FollowLink();
  return true;
}

// The page's own brush (a skinned page is not button-face grey): the parent
// answers WM_CTLCOLORDLG with the brush it paints itself with.
void CLinkLabel::EraseWithParentBackground(HDC dc) {
  HWND parent = GetParent(Handle());
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
      parent, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(parent)));
  if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
  RECT client = ClientRect(Handle());
  FillRect(dc, &client, brush);
}

LRESULT CLinkLabel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (tooltip_ && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
    MSG relayed = {Handle(), message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    DWORD position = GetMessagePos();
    relayed.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  switch (message) {
    case WM_SETCURSOR:
      if (handCursor_) {
        SetCursor(handCursor_.Get());
        return TRUE;
      }
      return FALSE;
    case WM_MOUSEMOVE:
      EnterHover();
      break;
    case WM_TIMER:
      if (wParam == kHoverTimerId) LeaveCheck();
      break;
    case WM_ERASEBKGND:
      EraseWithParentBackground(reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_PAINT: {
      // A static draws no focus: the label shows it with the usual dotted frame.
      LRESULT painted = DefaultProc(message, wParam, lParam);
      if (GetFocus() == Handle()) {
        ScopedGetDC dc(Handle());
        RECT client = ClientRect(Handle());
        DrawFocusRect(dc.Get(), &client);
      }
      return painted;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(Handle(), nullptr, TRUE);
      break;
    case WM_DESTROY:
      KillTimer(Handle(), kHoverTimerId);
      tooltip_ = nullptr;
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace vexa
