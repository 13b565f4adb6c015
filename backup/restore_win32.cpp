#include "backup/restore.h"

#include <windows.h>

#include <algorithm>

#include "backup/backup_names.h"
#include "backup/file_copy_win32.h"
#include "backup/file_error_win32.h"
#include "base/ascii.h"
#include "base/folder_entries_win32.h"
#include "base/path_exists.h"
#include "base/wide_text.h"

namespace vexa {

namespace {

// Another program (a virus scanner, an indexer) may hold a file for a
// moment; Windows then answers a replace with a sharing violation or, while
// the holder's delete is pending, with access denied.
constexpr DWORD kMoveRetryTotalMs = 1000;
constexpr DWORD kMoveRetryPauseMs = 50;

struct FoundFile {
  std::string name;
  std::uint64_t size;
};

// The plain files of a folder that a restore takes back.
std::vector<FoundFile> RestorableFiles(const std::string& folderPath) {
  std::vector<FoundFile> files;
  for (const FolderEntry& entry : ListFolder(folderPath).entries) {
    if (!entry.IsFolder() && IsRestorableFileName(entry.name)) {
      files.push_back({entry.name, entry.size});
    }
  }
  return files;
}

// Writes source to target byte for byte; the target counts only once it is
// flushed, closed and as long as the source: otherwise it is removed.
Status CopyToTemporary(const std::string& source, const std::string& target, std::uint64_t* bytes,
                       BackupProgress* progress = nullptr) {
  CopyRequest request;
  request.source = source;
  request.target = target;
  request.sourceShare = FILE_SHARE_READ;
  // It replaces the live file: it must be on the disk first.
  request.flush = CopyFlush::kAtEnd;
  request.bytesDone = progress ? &progress->bytesDone : nullptr;
  std::uint64_t copied = 0;
  Status status = CopyFileVerified(request, &copied);
  if (status.ok) *bytes += copied;
  return status;
}

// One step: the live file is either the old one or the new one.
DWORD MoveOver(const std::string& temporary, const std::string& live) {
  for (DWORD waited = 0;; waited += kMoveRetryPauseMs) {
    if (MoveFileExW(Wide(temporary).c_str(), Wide(live).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
    if (!held || waited >= kMoveRetryTotalMs) return error;
    Sleep(kMoveRetryPauseMs);
  }
}

void RemoveTemporaries(const std::string& programDirectory, const std::vector<FoundFile>& files,
                       std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    DeleteFileW(Wide(programDirectory + RestoreTemporaryName(files[i].name)).c_str());
  }
}

// Puts a replaced live file back as it was before the restore; false when
// that failed.
bool Undo(const std::string& programDirectory, const std::string& name, bool existed,
          const std::string& preRestoreFolder) {
  const std::string live = programDirectory + name;
  if (!existed) return DeleteFileW(Wide(live).c_str()) != 0;
  const std::string temporary = programDirectory + RestoreTemporaryName(name);
  std::uint64_t ignored = 0;
  if (!CopyToTemporary(preRestoreFolder + name, temporary, &ignored).ok) return false;
  if (MoveOver(temporary, live) == ERROR_SUCCESS) return true;
  DeleteFileW(Wide(temporary).c_str());
  return false;
}

// Signalled while no restore replaces files; made once, never closed.
HANDLE FilesSettled() {
  static HANDLE settled = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  return settled;
}

// From the first replaced file to the last one put back after a failure.
class ReplacingFiles {
 public:
  ReplacingFiles() { ResetEvent(FilesSettled()); }
  ~ReplacingFiles() { SetEvent(FilesSettled()); }
  ReplacingFiles(const ReplacingFiles&) = delete;
  ReplacingFiles& operator=(const ReplacingFiles&) = delete;
};

}  // namespace

bool WaitForFilesReplaced(unsigned long timeoutMs) {
  HANDLE settled = FilesSettled();
  return !settled || WaitForSingleObject(settled, timeoutMs) == WAIT_OBJECT_0;
}

namespace {

// Everything a folder holds, sorted into what a restore takes back and the rest.
void ReadFolderContents(const std::string& folderPath, BackupFolder* folder) {
  for (const FolderEntry& entry : ListFolder(folderPath).entries) {
    if (entry.IsFolder()) {
      ++folder->subfolders;
      continue;
    }
    folder->newestFileTime = std::max(folder->newestFileTime, entry.lastWriteTime);
    if (IsRestorableFileName(entry.name)) {
      ++folder->fileCount;
      folder->totalBytes += entry.size;
      folder->fileNames.push_back(entry.name);
    } else {
      folder->otherBytes += entry.size;
      if (EqualsIgnoringAsciiCase(entry.name, kPreRestoreNoteName)) {
        folder->beforeRestore = true;
      } else {
        ++folder->otherFiles;
      }
    }
  }
}

}  // namespace

std::vector<BackupFolder> ListBackupFolders(const std::string& programDirectory) {
  std::vector<BackupFolder> folders;
  const std::string root = programDirectory + kBackupRootName;
  for (const FolderEntry& entry : ListFolder(root).entries) {
    if (!entry.IsFolder() || IsUnfinishedFolderName(entry.name)) continue;
    BackupFolder folder;
    folder.name = entry.name;
    folder.isLink = entry.IsLink();
    folder.createdTime = entry.createdTime;
    // Never read through a link: what it points to is not ours.
    if (!folder.isLink) ReadFolderContents(root + entry.name + "\\", &folder);
    folders.push_back(folder);
  }
  return folders;
}

RestoreOutcome RestoreBackupFiles(const std::string& programDirectory,
                                  const std::string& folderPath,
                                  const std::string& preRestoreFolder,
                                  BackupProgress* progress,
                                  const std::function<Status()>& beforeReplace) {
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

  if (beforeReplace) {
    outcome.status = beforeReplace();
    if (!outcome.status.ok) {
      RemoveTemporaries(programDirectory, files, 0, files.size());
      outcome.stoppedBeforeReplace = true;
      return outcome;
    }
  }
  const ReplacingFiles replacing;
  std::vector<bool> existed;
  existed.reserve(files.size());
  for (const FoundFile& file : files) existed.push_back(PathExists(programDirectory + file.name));
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
  for (const FoundFile& file : files) outcome.restoredNames.push_back(file.name);
  return outcome;
}

}  // namespace vexa
