#include "tracker/restore.h"

#include <windows.h>

#include "tracker/backup_names.h"
#include "tracker/file_error_win32.h"
#include "ui/scoped.h"

namespace vexa {

namespace {

constexpr DWORD kCopyChunk = 64 * 1024;
// Another program (a virus scanner, an indexer) may hold a file for a moment.
constexpr DWORD kMoveRetryTotalMs = 1000;
constexpr DWORD kMoveRetryPauseMs = 50;

std::uint64_t SizeOf(const WIN32_FIND_DATAA& found) {
  return (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

struct FoundFile {
  std::string name;
  std::uint64_t size;
};

// The plain files of a folder that a restore takes back.
std::vector<FoundFile> RestorableFiles(const std::string& folderPath) {
  std::vector<FoundFile> files;
  WIN32_FIND_DATAA found;
  ScopedFindHandle search(FindFirstFileA((folderPath + "*").c_str(), &found));
  if (!search) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsRestorableFileName(found.cFileName)) {
      files.push_back({found.cFileName, SizeOf(found)});
    }
  } while (FindNextFileA(search.Get(), &found));
  return files;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes source to target byte for byte; the target counts only once it is
// flushed, closed and as long as the source: otherwise it is removed.
Status CopyToTemporary(const std::string& source, const std::string& target, std::uint64_t* bytes,
                       BackupProgress* progress = nullptr) {
  ScopedHandle in(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in) return NotOpened(source);
  ScopedHandle out(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) return NotOpened(target);
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
  } partial{out, target};

  std::vector<char> buffer(kCopyChunk);
  std::uint64_t copied = 0;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(in.Get(), buffer.data(), kCopyChunk, &read, nullptr)) {
      return FileError(source, GetLastError());
    }
    if (read == 0) break;
    DWORD written = 0;
    if (!WriteFile(out.Get(), buffer.data(), read, &written, nullptr)) {
      return FileError(target, GetLastError());
    }
    if (written != read) return FileError(target, ERROR_DISK_FULL);
    copied += read;
    if (progress) progress->bytesDone += read;
  }
  // It replaces the live file: it must be on the disk first.
  if (!FlushFileBuffers(out.Get())) return FileError(target, GetLastError());
  if (!CloseHandle(out.Release())) return FileError(target, GetLastError());

  LARGE_INTEGER sourceSize;
  if (!GetFileSizeEx(in.Get(), &sourceSize)) return FileError(source, GetLastError());
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data)) {
    return FileError(target, GetLastError());
  }
  const std::uint64_t targetSize =
      (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (targetSize != copied || copied != static_cast<std::uint64_t>(sourceSize.QuadPart)) {
    return Status::Error(FileErrorText(FileErrorCause::Incomplete, target, ""));
  }
  // cppcheck-suppress unreadVariable ; read by the destructor
  partial.complete = true;
  *bytes += copied;
  return Status::Ok();
}

// One step: the live file is either the old one or the new one.
DWORD MoveOver(const std::string& temporary, const std::string& live) {
  for (DWORD waited = 0;; waited += kMoveRetryPauseMs) {
    if (MoveFileExA(temporary.c_str(), live.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION || waited >= kMoveRetryTotalMs) return error;
    Sleep(kMoveRetryPauseMs);
  }
}

void RemoveTemporaries(const std::string& programDirectory, const std::vector<FoundFile>& files,
                       std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    DeleteFileA((programDirectory + RestoreTemporaryName(files[i].name)).c_str());
  }
}

// Puts a replaced live file back as it was before the restore; false when
// that failed.
bool Undo(const std::string& programDirectory, const std::string& name, bool existed,
          const std::string& preRestoreFolder) {
  const std::string live = programDirectory + name;
  if (!existed) return DeleteFileA(live.c_str()) != 0;
  const std::string temporary = programDirectory + RestoreTemporaryName(name);
  std::uint64_t ignored = 0;
  if (!CopyToTemporary(preRestoreFolder + name, temporary, &ignored).ok) return false;
  if (MoveOver(temporary, live) == ERROR_SUCCESS) return true;
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace

std::vector<BackupFolder> ListBackupFolders(const std::string& programDirectory) {
  std::vector<BackupFolder> folders;
  const std::string root = programDirectory + kBackupRootName;
  WIN32_FIND_DATAA found;
  ScopedFindHandle search(FindFirstFileA((root + "*").c_str(), &found));
  if (!search) return folders;
  do {
    const std::string name = found.cFileName;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..") continue;
    BackupFolder folder;
    folder.name = name;
    folder.createdTime = (static_cast<std::uint64_t>(found.ftCreationTime.dwHighDateTime) << 32) |
                         found.ftCreationTime.dwLowDateTime;
    for (const FoundFile& file : RestorableFiles(root + name + "\\")) {
      ++folder.fileCount;
      folder.totalBytes += file.size;
    }
    folders.push_back(folder);
  } while (FindNextFileA(search.Get(), &found));
  return folders;
}

RestoreOutcome RestoreBackupFiles(const std::string& programDirectory,
                                  const std::string& folderPath,
                                  const std::string& preRestoreFolder,
                                  BackupProgress* progress) {
  RestoreOutcome outcome;
  const std::vector<FoundFile> files = RestorableFiles(folderPath);
  if (progress) {
    std::uint64_t total = 0;
    for (const FoundFile& file : files) total += file.size;
    progress->filesTotal = static_cast<unsigned>(files.size());
    progress->bytesTotal = total;
  }

  // Every copy complete beside its live file before any live file changes.
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    outcome.status = CopyToTemporary(folderPath + files[i].name,
                                     programDirectory + RestoreTemporaryName(files[i].name), &bytes,
                                     progress);
    if (!outcome.status.ok) {
      RemoveTemporaries(programDirectory, files, 0, i);
      return outcome;
    }
    if (progress) ++progress->filesDone;
  }

  std::vector<bool> existed;
  existed.reserve(files.size());
  for (const FoundFile& file : files) existed.push_back(Exists(programDirectory + file.name));
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string live = programDirectory + files[i].name;
    const DWORD error = MoveOver(programDirectory + RestoreTemporaryName(files[i].name), live);
    if (error == ERROR_SUCCESS) continue;
    outcome.status = FileError(live, error);
    RemoveTemporaries(programDirectory, files, i, files.size());
    for (std::size_t done = 0; done < i; ++done) {
      if (!Undo(programDirectory, files[done].name, existed[done], preRestoreFolder)) {
        outcome.notUndone.push_back(files[done].name);
      }
    }
    return outcome;
  }
  outcome.files = static_cast<int>(files.size());
  outcome.bytes = bytes;
  return outcome;
}

}  // namespace vexa
