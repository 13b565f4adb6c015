#include "backup/file_copy_win32.h"

#include <vector>

#include "backup/file_error.h"
#include "backup/file_error_win32.h"
#include "base/path_exists.h"
#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"

namespace vexa {

namespace {

constexpr DWORD kCopyChunk = 64 * 1024;
// Under Wine a flush is an fsync inside the one wineserver, which holds up
// every Wine process (the panel's own window too) until it returns.
constexpr std::uint64_t kFlushSlice = 8ULL * 1024 * 1024;

}  // namespace

Status CopyFileVerified(const CopyRequest& request, std::uint64_t* copied) {
  const std::wstring source = Wide(request.source);
  const std::wstring target = Wide(request.target);
  ScopedHandle in(CreateFileW(source.c_str(), GENERIC_READ, request.sourceShare, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in) return FileError(request.source, GetLastError());
  ScopedHandle out(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr,
                               request.createNew ? CREATE_NEW : CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  // Not removed by the guard below: a file that was there is not ours.
  if (!out) return FileError(request.target, GetLastError());
  // A copy cut short (a full disk, a read error) must not pass for a whole
  // one later: it goes unless the copy turns out complete.
  struct PartialCopy {
    ScopedHandle& out;
    const std::wstring& path;
    bool complete = false;
    ~PartialCopy() {
      // cppcheck-suppress knownConditionTrueFalse ; set at the end of a good copy
      if (complete) return;
      out.Reset();
      DeleteFileW(path.c_str());
    }
  } partial{out, target};

  std::vector<char> buffer(kCopyChunk);
  std::uint64_t done = 0;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(in.Get(), buffer.data(), kCopyChunk, &read, nullptr)) {
      return FileError(request.source, GetLastError());
    }
    if (read == 0) break;
    DWORD written = 0;
    if (!WriteFile(out.Get(), buffer.data(), read, &written, nullptr)) {
      return FileError(request.target, GetLastError());
    }
    if (written != read) return FileError(request.target, ERROR_DISK_FULL);
    done += read;
    if (request.bytesDone) *request.bytesDone += read;
    if (request.flush == CopyFlush::kInSlices && done % kFlushSlice == 0 &&
        !FlushFileBuffers(out.Get())) {
      return FileError(request.target, GetLastError());
    }
  }
  if (request.flush != CopyFlush::kNone && !FlushFileBuffers(out.Get())) {
    return FileError(request.target, GetLastError());
  }
  if (!out.Close()) return FileError(request.target, GetLastError());

  LARGE_INTEGER sourceSize;
  if (!GetFileSizeEx(in.Get(), &sourceSize)) return FileError(request.source, GetLastError());
  std::uint64_t targetSize = 0;
  if (!FileSizeOnDisk(request.target, &targetSize)) {
    return FileError(request.target, GetLastError());
  }
  if (targetSize != done || done != static_cast<std::uint64_t>(sourceSize.QuadPart)) {
    return Status::Error(FileErrorText(FileErrorCause::Incomplete, request.target, ""));
  }
  // cppcheck-suppress unreadVariable ; read by the destructor
  partial.complete = true;
  *copied = done;
  return Status::Ok();
}

}  // namespace vexa
