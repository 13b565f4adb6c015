#include "backup/backup.h"

#include <windows.h>

#include <vector>

#include "backup/backup_shelf.h"
#include "backup/backup_shelf_win32.h"
#include "backup/file_copy_win32.h"
#include "backup/file_error_win32.h"
#include "base/create_new_file.h"
#include "base/folder_entries_win32.h"
#include "base/path_exists.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"
#include "log/action_log.h"

namespace vexa {

namespace {

// How many working folders of one second are tried before giving up: each
// taken name is a folder someone else made.
constexpr int kMostWorkingNames = 1000;
// Wine's server unlinks a file itself and answers no Wine program until it
// is done, about 50 ms a 128 MB file: a pause between the data files lets
// the window's messages through.
constexpr DWORD kPauseBetweenDeletionsMs = 30;

Status CopyIntoBackup(const std::string& source, const std::string& copy,
                      BackupProgress* progress) {
  CopyRequest request;
  request.source = source;
  request.target = copy;
  // The tracker may hold its data files open while it runs.
  request.sourceShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  request.createNew = true;
  // A backup counts only once it is on the disk: a restore or a clearing
  // may rely on it right away.
  request.flush = CopyFlush::kInSlices;
  request.bytesDone = progress ? &progress->bytesDone : nullptr;
  std::uint64_t copied = 0;
  return CopyFileVerified(request, &copied);
}

// A folder the backup made itself: a name already taken (a folder, a file,
// a junction planted there) is never written into; the next one is tried.
Status MakeWorkingFolder(const std::string& root, const std::string& stamp, std::string* folder) {
  const std::string first = root + kWorkingFolderPrefix + stamp;
  for (int next = 0; next < kMostWorkingNames; ++next) {
    *folder = first + (next ? " " + std::to_string(next) : "");
    if (CreateDirectoryW(Wide(*folder).c_str(), nullptr)) return Status::Ok();
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) {
      return Status::Error(BackupFolderFailedText(*folder + "\\", SystemMessage(error)));
    }
  }
  return Status::Error(BackupFolderFailedText(first + "\\", SystemMessage(ERROR_ALREADY_EXISTS)));
}

// Renames the complete working folder to the first free name of the stamp;
// the backup's full path with a backslash.
Status NameBackup(const std::string& working, const std::string& stamped, std::string* directory) {
  std::string candidate = stamped;
  for (int tried = 0;; ++tried) {
    if (MoveFileExW(Wide(working).c_str(), Wide(candidate).c_str(), MOVEFILE_WRITE_THROUGH)) {
      *directory = candidate + "\\";
      return Status::Ok();
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) ||
        tried == kMostWorkingNames) {
      return FileError(candidate + "\\", error);
    }
    candidate = NextBackupName(stamped, candidate);
  }
}

// Half a backup must never list as one: the failure removes it and says so.
void AbandonWorkingFolder(const std::string& working, Status* failure) {
  const Status removed = RemoveFolderOfFiles(working + "\\");
  failure->message += removed.ok ? "\n\n备份没有完成，已删除未完成的备份目录。"
                                 : "\n\n备份没有完成，未完成的备份目录未能删除：\n" + removed.message;
}

// The backup root, made when missing; a reason naming it when it cannot be.
Status MakeBackupRoot(const std::string& root) {
  if (CreateDirectoryW(Wide(root).c_str(), nullptr)) return Status::Ok();
  const DWORD error = GetLastError();
  if (error != ERROR_ALREADY_EXISTS) return Status::Error(BackupFolderFailedText(root, SystemMessage(error)));
  if (DirectoryExists(root)) return Status::Ok();
  return Status::Error(BackupFolderFailedText(root, "那里已有一个同名的文件。"));
}

// Names of the plain files matching *.vexa, in the order the file system
// gives them, read before anything is deleted.
std::vector<std::string> DataFileNames(const std::string& programDirectory) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : ListFolder(programDirectory, kDataFilePattern).entries) {
    if (!entry.IsFolder()) names.push_back(entry.name);
  }
  return names;
}

}  // namespace

BackupTime LocalBackupTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

BackupOutcome BackupFiles(const std::string& programDirectory, BackupKind kind,
                          const BackupTime& time, BackupProgress* progress) {
  BackupOutcome outcome;
  const std::vector<std::string> dataFiles = DataFileNames(programDirectory);
  BackupProgress unused;
  if (!progress) progress = &unused;
  // A lost vexa.cfg is just what a user may want back from a backup: the
  // restore's own backup must not stop at it. One that cannot be looked up
  // for another reason is copied and fails with that reason.
  outcome.configMissing = PathMissing(programDirectory + kConfigFileName);
  if (dataFiles.empty() && outcome.configMissing) {
    outcome.nothing = true;
    outcome.status = Status::Error(NothingToBackUpText(programDirectory));
    return outcome;
  }
  std::vector<std::string> files = dataFiles;
  if (!outcome.configMissing) files.push_back(kConfigFileName);
  progress->filesTotal = static_cast<unsigned>(files.size());
  std::uint64_t total = 0;
  for (const std::string& file : files) {
    std::uint64_t size = 0;
    if (FileSizeOnDisk(programDirectory + file, &size)) total += size;
  }
  progress->bytesTotal = total;

  // A copy that cannot fit would only fill the drive under the tracker.
  const std::string root = programDirectory + kBackupRootName;
  const std::optional<std::uint64_t> freeBytes =
      FreeDiskBytes(DirectoryExists(root) ? root : programDirectory);
  if (freeBytes && !BackupFits(total, *freeBytes)) {
    outcome.spaceShort = true;
    outcome.status = Status::Error(DiskSpaceShortText(total, *freeBytes));
    return outcome;
  }

  outcome.status = MakeBackupRoot(root);
  if (!outcome.status.ok) return outcome;
  RemoveUnfinishedFolders(root);
  const std::string stamp = BackupTimeStamp(time);
  std::string working;
  outcome.status = MakeWorkingFolder(root, stamp, &working);
  if (!outcome.status.ok) return outcome;

  const std::string into = working + '\\';
  for (const std::string& file : files) {
    const unsigned long long before = progress->bytesDone;
    outcome.status = CopyIntoBackup(programDirectory + file, into + file, progress);
    if (!outcome.status.ok) {
      AbandonWorkingFolder(working, &outcome.status);
      return outcome;
    }
    ++progress->filesDone;
    ++outcome.files;
    outcome.bytes += progress->bytesDone - before;
  }
  if (kind == BackupKind::kBeforeRestore) {
    outcome.status = CreateNewFile(into + kPreRestoreNoteName, kPreRestoreNoteText);
  }
  if (outcome.status.ok) outcome.status = NameBackup(working, root + stamp, &outcome.directory);
  if (!outcome.status.ok) {
    AbandonWorkingFolder(working, &outcome.status);
    return outcome;
  }

  // Only now that every copy is there under its name: the data files go.
  bool first = true;
  for (const std::string& file : kind == BackupKind::kClearing ? dataFiles : std::vector<std::string>()) {
    if (!first) Sleep(kPauseBetweenDeletionsMs);
    first = false;
    if (!DeleteFileW(Wide(programDirectory + file).c_str())) {
      const Status error = FileError(programDirectory + file, GetLastError());
      if (outcome.notCleared.empty()) outcome.status = error;
      outcome.notCleared.push_back(file);
    }
  }
  if (!outcome.notCleared.empty()) {
    outcome.status.message += "\n\n备份已完成：" + outcome.directory + "\n以下数据文件未能清空：";
    for (const std::string& file : outcome.notCleared) outcome.status.message += "\n" + file;
  }
  return outcome;
}

BackupOutcome GuardedBackup(const std::string& programDirectory, BackupKind kind,
                            BackupProgress* progress) {
  // A second panel of this directory, or the command-line backup, may be
  // copying the same files or replacing them.
  const DataJobLock lock(programDirectory);
  if (!lock.Held()) {
    BackupOutcome busy;
    busy.status = Status::Error(kDataJobBusyText);
    LogAction(std::string("备份数据已拒绝：") + kDataJobBusyText);
    return busy;
  }
  const ULONGLONG start = GetTickCount64();
  BackupOutcome outcome = BackupFiles(programDirectory, kind, LocalBackupTime(), progress);
  LogAction(BackupLogLine(kind == BackupKind::kClearing, outcome, GetTickCount64() - start));
  return outcome;
}

}  // namespace vexa
