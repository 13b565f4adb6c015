#include "backup/backup_shelf_win32.h"

#include "backup/backup_names.h"
#include "backup/backup_shelf.h"
#include "backup/file_error_win32.h"
#include "backup/restore.h"
#include "base/folder_entries_win32.h"
#include "base/wide_text.h"
#include "log/action_log.h"

namespace vexa {

std::optional<std::uint64_t> FreeDiskBytes(const std::string& directory) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(Wide(directory).c_str(), &available, nullptr, nullptr)) {
    return std::nullopt;
  }
  return available.QuadPart;
}

namespace {

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// folderPath without its final backslash, as the system names a folder.
std::string FolderName(const std::string& folderPath) {
  return folderPath.substr(0, folderPath.size() - 1);
}

// The plain files of a folder; an error when it holds a folder or cannot be read.
Status FilesOfFolder(const std::string& folderPath, std::vector<std::string>* files) {
  const FolderEntries listed = ListFolder(folderPath);
  if (listed.error != ERROR_SUCCESS) return FileError(folderPath, listed.error);
  for (const FolderEntry& entry : listed.entries) {
    if (entry.IsFolder()) {
      return Status::Error("备份目录中有子目录“" + entry.name +
                           "”，它不是本程序的备份，没有删除：\n" + folderPath);
    }
    files->push_back(entry.name);
  }
  return Status::Ok();
}

Status RefuseLink(const std::string& folderPath) {
  if (!IsLink(GetFileAttributesW(Wide(FolderName(folderPath)).c_str()))) return Status::Ok();
  return Status::Error("备份目录是一个链接，不是本程序的备份，没有删除：\n" + folderPath);
}

}  // namespace

Status RemoveFolderOfFiles(const std::string& folderPath) {
  Status status = RefuseLink(folderPath);
  // Every name first: a folder that cannot be deleted whole keeps every file.
  std::vector<std::string> files;
  if (status.ok) status = FilesOfFolder(folderPath, &files);
  if (!status.ok) return status;
  for (const std::string& name : files) {
    // A link among the files is deleted itself, never what it points to.
    const std::wstring path = Wide(folderPath + name);
    // A copy made read-only by hand is still part of the backup.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(path.c_str())) return FileError(folderPath + name, GetLastError());
  }
  if (!RemoveDirectoryW(Wide(FolderName(folderPath)).c_str())) {
    return FileError(folderPath, GetLastError());
  }
  return Status::Ok();
}

FolderDeletion DeleteBackupFolder(const std::string& folderPath) {
  FolderDeletion deletion;
  // Refused before the rename, so that a folder left whole keeps its name.
  std::vector<std::string> files;
  deletion.status = RefuseLink(folderPath);
  if (deletion.status.ok) deletion.status = FilesOfFolder(folderPath, &files);
  if (!deletion.status.ok) return deletion;

  const std::string folder = FolderName(folderPath);
  const std::size_t cut = folder.rfind('\\') + 1;
  const std::string aside = folder.substr(0, cut) + kDeletingFolderPrefix + folder.substr(cut);
  std::string renamed = aside;
  for (int next = 1;; ++next) {
    if (MoveFileExW(Wide(folder).c_str(), Wide(renamed).c_str(), 0)) break;
    const DWORD error = GetLastError();
    if ((error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) || next > 999) {
      deletion.status = FileError(folderPath, error);
      return deletion;
    }
    renamed = aside + " " + std::to_string(next);
  }
  deletion.status = RemoveFolderOfFiles(renamed + "\\");
  if (!deletion.status.ok) deletion.left = renamed + "\\";
  return deletion;
}

std::string FolderDeletionFailedText(const std::string& folderPath,
                                     const FolderDeletion& deletion) {
  std::string text = "未能删除备份 " + folderPath + "：\n" + deletion.status.message;
  if (!deletion.left.empty()) {
    text += "\n备份已不完整，剩下的文件在目录 " + deletion.left + " 中，可以手工删除。";
  }
  return text;
}

KeepOutcome KeepNewestBackups(const std::string& programDirectory, unsigned keep,
                              const std::string& madeNow) {
  const std::string root = programDirectory + kBackupRootName;
  const KeepPlan plan = PlanKeepNewest(ListBackupFolders(programDirectory), keep, madeNow);
  KeepOutcome outcome;
  for (const SparedBackup& spared : plan.spared) {
    outcome.lines.push_back("保留旧备份 " + root + spared.folder.name + "\\：" + spared.why);
  }
  // Oldest first, as a reader of the log expects.
  for (auto folder = plan.remove.rbegin(); folder != plan.remove.rend(); ++folder) {
    const std::string path = root + folder->name + "\\";
    const FolderDeletion deleted = DeleteBackupFolder(path);
    if (deleted.status.ok) {
      outcome.lines.push_back(BackupDeletedLogText(path, *folder));
    } else {
      outcome.ok = false;
      outcome.lines.push_back(FolderDeletionFailedText(path, deleted));
    }
  }
  if (plan.remove.empty()) {
    outcome.lines.push_back("没有要删除的旧备份（保留最新的 " + std::to_string(keep) + " 个）");
  }
  return outcome;
}

void RemoveUnfinishedFolders(const std::string& backupRoot) {
  for (const FolderEntry& entry : ListFolder(backupRoot).entries) {
    if (!entry.IsFolder() || !IsUnfinishedFolderName(entry.name)) continue;
    const Status removed = RemoveFolderOfFiles(backupRoot + entry.name + "\\");
    LogAction(removed.ok ? "已删除上次未完成的备份目录 " + (backupRoot + entry.name) + "\\"
                         : "未能删除上次未完成的备份目录：" + removed.message);
  }
}

}  // namespace vexa
