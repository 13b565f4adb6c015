#include "base/directory_mutex_win32.h"

#include <cstdint>

#include "base/wide_text.h"

namespace vexa {

std::wstring DirectoryMutexName(const wchar_t* prefix, const std::string& directory) {
  std::wstring path = Wide(directory);
  CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
  for (wchar_t c : path) {
    hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ULL;
  }
  std::wstring name = prefix;
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  return name;
}

MutexHold::MutexHold(HANDLE mutex, DWORD waitMs) : mutex_(mutex) {
  const DWORD waited = mutex_ ? WaitForSingleObject(mutex_, waitMs) : WAIT_FAILED;
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

MutexHold::~MutexHold() {
  if (held_) ReleaseMutex(mutex_);
}

}  // namespace vexa
