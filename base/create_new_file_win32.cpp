#include <windows.h>

#include "base/create_new_file.h"
#include "base/scoped_handles_win32.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"

namespace vexa {

Status CreateNewFile(const std::string& path, const std::string& bytes) {
  ScopedHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS) return Status::Ok();
    return Status::Error(SystemMessage(error, path));
  }
  DWORD written = 0;
  BOOL ok =
      WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  DWORD error = GetLastError();
  if (ok && written != bytes.size()) {
    ok = FALSE;
    error = ERROR_DISK_FULL;
  }
  if (ok && !file.Close()) {
    ok = FALSE;
    error = GetLastError();
  }
  if (!ok) {
    // A cut-off file would count as existing and never be written again.
    file.Close();
    DeleteFileW(Wide(path).c_str());
    return Status::Error(SystemMessage(error, path));
  }
  return Status::Ok();
}

}  // namespace vexa
