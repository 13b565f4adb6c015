#include "shell/shell_open_win32.h"

#include <shellapi.h>

#include "base/system_error_win32.h"
#include "base/wide_text.h"

namespace vexa {

Status ShellOpen(const std::string& target, HWND owner) {
  const std::wstring file = Wide(target);
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

}  // namespace vexa
