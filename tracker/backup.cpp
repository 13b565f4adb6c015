#include "tracker/backup.h"

#include <windows.h>

#include <vector>

#include "tracker/file_error_win32.h"
#include "ui/scoped.h"

namespace vexa {

namespace {

constexpr DWORD kCopyChunk = 64 * 1024;
// A copy that replaces its source is flushed in slices of this size: under
// Wine a flush is an fsync inside the one wineserver, which holds up every
// Wine process (the panel's own window too) until it returns.
constexpr ULONGLONG kFlushSlice = 8ULL * 1024 * 1024;

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SizeOnDisk(const std::string& path, ULONGLONG* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  *size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

// Copies source to copy byte for byte. With removeSource the source is
// deleted only once the copy is written, flushed, closed and as long as the
// source, so a failure never loses the only copy of the data.
Status CopyFileBytes(const std::string& source, const std::string& copy, bool removeSource,
                     BackupProgress* progress) {
  // The tracker may hold its data files open while it runs.
  ScopedHandle in(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in) return NotOpened(source);
  ScopedHandle out(CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return NotOpened(copy);
  // A copy cut short (a full disk, a read error) must not pass for a backup
  // of the file later: it goes unless the copy turns out complete.
  struct PartialCopy {
    ScopedHandle& out;
    const std::string& path;
    bool complete = false;
    ~PartialCopy() {
      // cppcheck-suppress knownConditionTrueFalse ; set at the end of a good copy
      if (complete) return;
      out.Reset();
      DeleteFileA(path.c_str());
    }
  } partial{out, copy};

  std::vector<char> buffer(kCopyChunk);
  ULONGLONG copied = 0;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(in.Get(), buffer.data(), kCopyChunk, &read, nullptr)) {
      return FileError(source, GetLastError());
    }
    if (read == 0) break;
    DWORD written = 0;
    if (!WriteFile(out.Get(), buffer.data(), read, &written, nullptr)) {
      return FileError(copy, GetLastError());
    }
    if (written != read) return FileError(copy, ERROR_DISK_FULL);
    copied += read;
    if (progress) progress->bytesDone += read;
    if (removeSource && copied % kFlushSlice == 0 && !FlushFileBuffers(out.Get())) {
      return FileError(copy, GetLastError());
    }
  }
  // Only a copy that replaces its source must be on the disk before the
  // source goes; waiting for that on a plain backup made it several times
  // slower than CopyFileA, which does not wait either.
  if (removeSource && !FlushFileBuffers(out.Get())) return FileError(copy, GetLastError());
  // The last bytes may only reach the disk on closing.
  if (!CloseHandle(out.Release())) return FileError(copy, GetLastError());

  LARGE_INTEGER sourceSize;
  if (!GetFileSizeEx(in.Get(), &sourceSize)) return FileError(source, GetLastError());
  ULONGLONG copySize = 0;
  if (!SizeOnDisk(copy, &copySize)) return FileError(copy, GetLastError());
  if (copySize != copied || copied != static_cast<ULONGLONG>(sourceSize.QuadPart)) {
    return Status::Error(FileErrorText(FileErrorCause::Incomplete, copy, ""));
  }
  // cppcheck-suppress unreadVariable ; read by the destructor
  partial.complete = true;
  in.Reset();

  if (removeSource && !DeleteFileA(source.c_str())) return FileError(source, GetLastError());
  return Status::Ok();
}

// Names of the plain files matching *.vexa, in the order the file system
// gives them, read before anything is deleted.
std::vector<std::string> DataFileNames(const std::string& programDirectory) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  ScopedFindHandle search(FindFirstFileA((programDirectory + kDataFilePattern).c_str(), &found));
  if (!search) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search.Get(), &found));
  return names;
}

}  // namespace

BackupTime LocalBackupTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

BackupOutcome BackupFiles(const std::string& programDirectory, bool clearing,
                          const BackupTime& time, BackupProgress* progress) {
  BackupOutcome outcome;
  const std::string root = programDirectory + kBackupRootName;
  if (!Exists(root)) CreateDirectoryA(root.c_str(), nullptr);

  const std::string name = UniqueBackupName(
      root + BackupTimeStamp(time), [](const std::string& candidate) { return Exists(candidate + "\\"); });
  // A directory that could not be made shows up as the first copy failing.
  CreateDirectoryA(name.c_str(), nullptr);
  outcome.directory = name + "\\";

  const std::vector<std::string> dataFiles = DataFileNames(programDirectory);
  BackupProgress unused;
  if (!progress) progress = &unused;
  progress->filesTotal = static_cast<unsigned>(dataFiles.size() + 1);
  ULONGLONG total = 0;
  for (const std::string& file : dataFiles) {
    ULONGLONG size = 0;
    if (SizeOnDisk(programDirectory + file, &size)) total += size;
  }
  ULONGLONG configSize = 0;
  if (SizeOnDisk(programDirectory + kConfigFileName, &configSize)) total += configSize;
  progress->bytesTotal = total;

  auto copyOne = [&](const std::string& file, bool removeSource) {
    const ULONGLONG before = progress->bytesDone;
    outcome.status = CopyFileBytes(programDirectory + file, outcome.directory + file,
                                   removeSource, progress);
    if (!outcome.status.ok) return false;
    ++progress->filesDone;
    ++outcome.files;
    outcome.bytes += progress->bytesDone - before;
    return true;
  };
  for (const std::string& file : dataFiles) {
    if (!copyOne(file, clearing)) return outcome;
  }
  // vexa.cfg is copied but always kept: the installation has just written it.
  copyOne(kConfigFileName, false);
  return outcome;
}

}  // namespace vexa
