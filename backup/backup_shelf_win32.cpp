#include "backup/backup_shelf_win32.h"

#include "backup/backup_names.h"
#include "backup/backup_shelf.h"
#include "backup/file_error_win32.h"
#include "backup/restore.h"
#include "base/wide_text.h"

namespace vexa {

std::optional<std::uint64_t> FreeDiskBytes(const std::string& directory) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(Wide(directory).c_str(), &available, nullptr, nullptr)) {
    return std::nullopt;
  }
  return available.QuadPart;
}

Status DeleteBackupFolder(const std::string& folderPath) {
  // Every name first: a folder that cannot be deleted whole keeps every file.
  std::vector<std::string> files;
  WIN32_FIND_DATAW found;
  ScopedFindHandle search(FindFirstFileW(Wide(folderPath + "*").c_str(), &found));
  if (!search) return FileError(folderPath, GetLastError());
  do {
    const std::string name = Narrow(found.cFileName);
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      files.push_back(name);
    } else if (name != "." && name != "..") {
      return Status::Error("备份目录中有子目录“" + name + "”，它不是本程序的备份，没有删除：\n" +
                           folderPath);
    }
  } while (FindNextFileW(search.Get(), &found));
  search.Reset();

  for (const std::string& name : files) {
    const std::wstring path = Wide(folderPath + name);
    // A copy made read-only by hand is still part of the backup.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(path.c_str())) return FileError(folderPath + name, GetLastError());
  }
  if (!RemoveDirectoryW(Wide(folderPath).c_str())) return FileError(folderPath, GetLastError());
  return Status::Ok();
}

KeepOutcome KeepNewestBackups(const std::string& programDirectory, unsigned keep) {
  const std::string root = programDirectory + kBackupRootName;
  const KeepPlan plan = PlanKeepNewest(ListBackupFolders(programDirectory), keep);
  KeepOutcome outcome;
  for (const BackupFolder& folder : plan.spared) {
    outcome.lines.push_back("保留旧备份 " + root + folder.name + "\\：其中有备份之外的文件或目录");
  }
  // Oldest first, as a reader of the log expects.
  for (auto folder = plan.remove.rbegin(); folder != plan.remove.rend(); ++folder) {
    const std::string path = root + folder->name + "\\";
    const Status deleted = DeleteBackupFolder(path);
    if (deleted.ok) {
      outcome.lines.push_back(BackupDeletedLogText(path, *folder));
    } else {
      outcome.ok = false;
      outcome.lines.push_back("未能删除旧备份 " + path + "：" + deleted.message);
    }
  }
  if (plan.remove.empty()) {
    outcome.lines.push_back("没有要删除的旧备份（保留最新的 " + std::to_string(keep) + " 个）");
  }
  return outcome;
}

// Global: a backup scheduled to run while nobody is logged on runs in a
// session of its own.
DataJobLock::DataJobLock(const std::string& programDirectory)
    : mutex_(CreateMutexW(nullptr, FALSE,
                          DirectoryMutexName(L"Global\\VexaPanel.job.", programDirectory).c_str())) {
  if (!mutex_) {
    // Denied: another user's panel made it and holds it. Any other failure
    // leaves nothing to agree on, and the job goes ahead as it always did.
    held_ = GetLastError() != ERROR_ACCESS_DENIED;
    return;
  }
  hold_.emplace(mutex_.Get(), 0);
  held_ = hold_->Held();
}

}  // namespace vexa
