#include "shell/shell_open_win32.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "base/ascii.h"
#include "base/process_win32.h"
#include "base/scoped_handles_win32.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"

namespace vexa {

namespace {

// The desktop's shell runs with the logged-on user's own rights: asked
// through its window, it starts the program as that user. Fails when no
// shell owns the desktop.
HRESULT OpenThroughDesktopShell(const std::wstring& file) {
  ScopedCoInitialize com;
  ScopedComPtr<IShellWindows> windows;
  HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                IID_IShellWindows, reinterpret_cast<void**>(windows.Receive()));
  if (FAILED(hr)) return hr;
  VARIANT desktop, empty;
  VariantInit(&desktop);
  VariantInit(&empty);
  desktop.vt = VT_I4;
  desktop.lVal = CSIDL_DESKTOP;
  long window = 0;
  ScopedComPtr<IDispatch> found;
  hr = windows->FindWindowSW(&desktop, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                             found.Receive());
  if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;  // S_FALSE: no desktop window
  ScopedComPtr<IServiceProvider> services;
  ScopedComPtr<IShellBrowser> browser;
  ScopedComPtr<IShellView> view;
  ScopedComPtr<IDispatch> background;
  ScopedComPtr<IShellFolderViewDual> folderView;
  ScopedComPtr<IDispatch> application;
  ScopedComPtr<IShellDispatch2> shell;
  if (!found.As(&services)) return E_NOINTERFACE;
  hr = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                              reinterpret_cast<void**>(browser.Receive()));
  if (SUCCEEDED(hr)) hr = browser->QueryActiveShellView(view.Receive());
  if (SUCCEEDED(hr)) {
    hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch,
                             reinterpret_cast<void**>(background.Receive()));
  }
  if (SUCCEEDED(hr) && !background.As(&folderView)) hr = E_NOINTERFACE;
  if (SUCCEEDED(hr)) hr = folderView->get_Application(application.Receive());
  if (SUCCEEDED(hr) && !application.As(&shell)) hr = E_NOINTERFACE;
  if (FAILED(hr)) return hr;

  BSTR name = SysAllocString(file.c_str());
  if (!name) return E_OUTOFMEMORY;
  VARIANT show;
  VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  hr = shell->ShellExecute(name, empty, empty, empty, show);
  SysFreeString(name);
  return hr;
}

bool IsWebAddress(const std::string& target) {
  const std::string start = AsciiUpper(target.substr(0, 8));
  return start.rfind("HTTP://", 0) == 0 || start.rfind("HTTPS://", 0) == 0;
}

Status OpenHere(const std::wstring& file, const std::string& target, HWND owner) {
  SHELLEXECUTEINFOW open = {};
  open.cbSize = sizeof open;
  open.fMask = SEE_MASK_FLAG_NO_UI;
  open.hwnd = owner;
  open.lpFile = file.c_str();
  open.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&open)) return Status::Ok();
  DWORD error = GetLastError();
  // The shell's own code (file not found, no association) when it set none.
  if (error == ERROR_SUCCESS) error = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(open.hInstApp));
  return Status::Error(SystemMessage(error, target));
}

}  // namespace

Status ShellOpen(const std::string& target, HWND owner) {
  const std::wstring file = Wide(target);
  if (!ProcessRunsElevated()) return OpenHere(file, target, owner);
  // The desktop's shell opens it out of sight of the panel: a missing file
  // is reported here, as the panel's own open would.
  if (!IsWebAddress(target) && GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return Status::Error(SystemMessage(GetLastError(), target));
  }
  if (OpenThroughDesktopShell(file) == S_OK) return Status::Ok();  // S_FALSE: it failed
  // No shell owns the desktop (another shell, or none has started): there
  // is no user's process to ask, and the user did ask for the page.
  return OpenHere(file, target, owner);
}

}  // namespace vexa
