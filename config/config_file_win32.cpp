#include <windows.h>

#include "config/config_file_win32.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "base/path_exists.h"
#include "base/scoped_handles_win32.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"
#include "config/safe_replace.h"

namespace vexa {

namespace {

// Virus scanners and indexers open a file for a moment: what clears by
// waiting is retried for about a second, access denied is not.
template <typename Attempt>
DWORD WithRetries(Attempt attempt) {
  DWORD waited = 0;
  for (;;) {
    DWORD error = attempt();
    if (error == ERROR_SUCCESS || !IsTransientReplaceError(error) ||
        waited >= kReplaceRetryTotalMs) {
      return error;
    }
    Sleep(kReplaceRetryPauseMs);
    waited += kReplaceRetryPauseMs;
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
    // A name that cannot be looked up at all is left for CreateFileW to
    // report.
    if (!PathExists(name) || n >= 100) return name;
  }
}

DWORD WriteNewFile(const std::string& name, const std::string& bytes) {
  ScopedHandle file(CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
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

// The file operations of the replace step on the real disk. ReplaceFileW
// keeps the target's attributes and permissions on Windows. It gets a backup
// name because Wine's, given none, deletes the target before
// moving the replacement in and loses it when that move fails. Wine also
// leaves the attributes of the replacement, hence CopyAttributes.
class WinReplaceSystem : public ReplaceSystem {
 public:
  bool Exists(const std::string& path) override { return PathExists(path); }
  unsigned long CopyAttributes(const std::string& from, const std::string& to) override {
    DWORD attributes = GetFileAttributesW(Wide(from).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    // A read-only replacement could not be removed after a failure.
    if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_SUCCESS;
    return Result(SetFileAttributesW(Wide(to).c_str(), attributes));
  }
  unsigned long ClearAttributes(const std::string& path) override {
    return Result(SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL));
  }
  unsigned long Replace(const std::string& target, const std::string& replacement,
                        const std::string& backup) override {
    return Result(ReplaceFileW(Wide(target).c_str(), Wide(replacement).c_str(),
                               Wide(backup).c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                               nullptr));
  }
  unsigned long Move(const std::string& from, const std::string& to,
                     bool replaceExisting) override {
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    return Result(MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags));
  }
  unsigned long Delete(const std::string& path) override {
    return Result(DeleteFileW(Wide(path).c_str()));
  }
  void Pause(unsigned milliseconds) override { Sleep(milliseconds); }

 private:
  static unsigned long Result(BOOL done) { return done ? ERROR_SUCCESS : GetLastError(); }
};

}  // namespace

CWinConfigFile::CWinConfigFile(std::string path) : fileName_(std::move(path)) {}

ConfigFile::ReadOutcome CWinConfigFile::Read(std::string* bytes, std::string* reason) {
  bytes->clear();
  HANDLE opened = INVALID_HANDLE_VALUE;
  DWORD error = WithRetries([&] {
    opened = CreateFileW(Wide(fileName_).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return opened == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  });
  ScopedHandle file(opened);
  if (!file) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return ReadOutcome::Missing;
    *reason = SystemMessage(error, fileName_);
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
      *reason = SystemMessage(GetLastError(), fileName_);
      bytes->clear();
      return ReadOutcome::Unreadable;
    }
    if (got == 0) break;
    bytes->append(buffer, got);
  }
  return ReadOutcome::Read;
}

std::uint64_t CWinConfigFile::LastWriteTime() {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(fileName_).c_str(), GetFileExInfoStandard, &data)) return 0;
  return JoinHalves(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
}

Status CWinConfigFile::Write(const std::string& bytes) {
  std::string temporary = FreeSiblingName(fileName_, "new");
  ReplaceOutcome outcome;
  outcome.error = WriteNewFile(temporary, bytes);
  WinReplaceSystem fs;
  if (outcome.error == ERROR_SUCCESS) {
    outcome = PutInPlace(fs, fileName_, temporary, FreeSiblingName(fileName_, "old"));
  } else if (fs.Delete(temporary) != ERROR_SUCCESS && fs.Exists(temporary)) {
    outcome.leftBehind.push_back(temporary);
  }
  // A backup name left behind after a good save costs the user nothing but
  // a stray file; the settings are saved.
  if (outcome.error == ERROR_SUCCESS) return Status::Ok();
  return Status::Error(ReplaceFailureText(fileName_, SystemMessage(outcome.error, fileName_), outcome));
}

}  // namespace vexa
