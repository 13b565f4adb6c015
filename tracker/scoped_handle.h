#pragma once
// Owns a kernel handle; Close reports whether closing worked, which matters
// for a file whose last bytes are written on close.
#include <windows.h>

namespace vexa {

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

  bool Close() {
    if (!Valid()) return true;
    BOOL closed = CloseHandle(handle_);
    handle_ = nullptr;
    return closed != FALSE;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace vexa
