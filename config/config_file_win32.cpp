#include <windows.h>

#include "config/config_file_win32.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "base/system_error.h"

namespace vexa {

namespace {

// Virus scanners and indexers open a freshly written file for a moment; these
// errors usually clear within a second.
const DWORD kRetryTotalMs = 1000;
const DWORD kRetryPauseMs = 50;

bool IsTransient(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION;
}

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  // Closing a written file can report a failed write; callers check it.
  bool Close() {
    if (!Valid()) return true;
    BOOL closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }

 private:
  HANDLE handle_;
};

// Runs attempt until it succeeds, fails for good, or the retry time is used
// up. attempt returns ERROR_SUCCESS or the error it met.
template <typename Attempt>
DWORD WithRetries(Attempt attempt) {
  DWORD waited = 0;
  for (;;) {
    DWORD error = attempt();
    if (error == ERROR_SUCCESS || !IsTransient(error) || waited >= kRetryTotalMs) return error;
    Sleep(kRetryPauseMs);
    waited += kRetryPauseMs;
  }
}

// A name beside the target that no file has yet: same directory, hence same
// volume, so the final rename cannot turn into a copy.
std::string FreeSiblingName(const std::string& target, const char* suffix) {
  for (unsigned n = 0;; ++n) {
    char tail[64];
    std::snprintf(tail, sizeof tail, ".%lu-%u.%s", static_cast<unsigned long>(GetCurrentProcessId()),
                  n, suffix);
    std::string name = target + tail;
    // A name that cannot be looked up at all is left for CreateFileA to
    // report.
    if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES || n >= 100) return name;
  }
}

DWORD WriteNewFile(const std::string& name, const std::string& bytes) {
  ScopedHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return GetLastError();
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  if (!FlushFileBuffers(file.Get())) return GetLastError();
  if (!file.Close()) return GetLastError();
  return ERROR_SUCCESS;
}

bool FileExists(const std::string& name) {
  return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Puts replacement in the place of the existing target. ReplaceFileA keeps
// the target's attributes and permissions on Windows. It gets a backup name
// because Wine's ReplaceFileA, given none, deletes the target before moving
// the replacement in and loses it when that move fails; with a backup the old
// file survives every failure and is put back here. Wine also leaves the
// attributes of the replacement, so the replacement carries the target's
// attributes already.
DWORD ReplaceExisting(const std::string& target, const std::string& replacement) {
  DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesA(replacement.c_str(), attributes);
  }
  std::string backup = FreeSiblingName(target, "old");
  if (ReplaceFileA(target.c_str(), replacement.c_str(), backup.c_str(),
                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    DeleteFileA(backup.c_str());
    return ERROR_SUCCESS;
  }
  DWORD error = GetLastError();
  if (FileExists(backup)) {
    if (FileExists(target)) {
      DeleteFileA(backup.c_str());
    } else {
      MoveFileExA(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    }
  }
  // The replacement may have lost the attributes it was given; the caller
  // deletes it anyway.
  SetFileAttributesA(replacement.c_str(), FILE_ATTRIBUTE_NORMAL);
  return error;
}

DWORD MoveIntoPlace(const std::string& target, const std::string& replacement) {
  if (FileExists(target)) return ReplaceExisting(target, replacement);
  if (MoveFileExA(replacement.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return ERROR_SUCCESS;
  }
  return GetLastError();
}

}  // namespace

CWinConfigFile::CWinConfigFile(std::string fileName) : fileName_(std::move(fileName)) {}

ConfigFile::ReadOutcome CWinConfigFile::Read(std::string* bytes, std::string* reason) {
  bytes->clear();
  HANDLE opened = INVALID_HANDLE_VALUE;
  DWORD error = WithRetries([&] {
    opened = CreateFileA(fileName_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return opened == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  });
  ScopedHandle file(opened);
  if (!file.Valid()) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return ReadOutcome::Missing;
    *reason = SystemMessage(error);
    return ReadOutcome::Unreadable;
  }

  LARGE_INTEGER size;
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0) {
    bytes->reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buffer[1 << 16];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) {
      *reason = SystemMessage(GetLastError());
      bytes->clear();
      return ReadOutcome::Unreadable;
    }
    if (got == 0) break;
    bytes->append(buffer, got);
  }
  return ReadOutcome::Read;
}

Status CWinConfigFile::Write(const std::string& bytes) {
  std::string temporary = FreeSiblingName(fileName_, "new");
  DWORD error = WriteNewFile(temporary, bytes);
  if (error == ERROR_SUCCESS) {
    error = WithRetries([&] { return MoveIntoPlace(fileName_, temporary); });
  }
  if (error == ERROR_SUCCESS) return Status::Ok();

  DeleteFileA(temporary.c_str());
  return Status::Error("无法保存 " + fileName_ + "：" + SystemMessage(error) + "\r\n" + fileName_ +
                       " 保持原样，没有被改动。");
}

}  // namespace vexa
