#include "pages/home_page_file_win32.h"

#include <windows.h>

#include "base/system_error.h"

namespace vexa {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  BOOL Close() {
    BOOL closed = TRUE;
    if (valid()) closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace

bool Win32HomePageFile::Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Status Win32HomePageFile::Create(const std::string& path, const std::string& bytes) {
  // CREATE_NEW: a file that appeared since the existence test stays as it is.
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS) return Status::Ok();
    return Status::Error(SystemMessage(error));
  }
  DWORD written = 0;
  BOOL ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
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
    // A cut-off page would count as existing and never be written again.
    file.Close();
    DeleteFileA(path.c_str());
    return Status::Error(SystemMessage(error));
  }
  return Status::Ok();
}

}  // namespace vexa
