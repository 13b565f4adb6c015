#include "backup/backup.h"

#include <windows.h>

#include <vector>

#include "backup/backup_shelf.h"
#include "backup/backup_shelf_win32.h"
#include "backup/file_copy_win32.h"
#include "backup/file_error_win32.h"
#include "base/path_exists.h"
#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"

namespace vexa {

namespace {

// Copies source to copy byte for byte. With removeSource the source is
// deleted only once the copy is written, flushed, closed and as long as the
// source, so a failure never loses the only copy of the data.
Status CopyFileBytes(const std::string& source, const std::string& copy, bool removeSource,
                     bool flush, BackupProgress* progress) {
  CopyRequest request;
  request.source = source;
  request.target = copy;
  // The tracker may hold its data files open while it runs.
  request.sourceShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  // Only a copy that replaces its source, or that a restore may have to put
  // back, must be on the disk first; waiting for that on a plain backup made
  // it several times slower than CopyFile, which does not wait either.
  request.flush = removeSource || flush ? CopyFlush::kInSlices : CopyFlush::kNone;
  request.bytesDone = progress ? &progress->bytesDone : nullptr;
  std::uint64_t copied = 0;
  Status status = CopyFileVerified(request, &copied);
  if (!status.ok) return status;
  if (removeSource && !DeleteFileW(Wide(source).c_str())) return FileError(source, GetLastError());
  return Status::Ok();
}

// Names of the plain files matching *.vexa, in the order the file system
// gives them, read before anything is deleted.
std::vector<std::string> DataFileNames(const std::string& programDirectory) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  ScopedFindHandle search(
      FindFirstFileW(Wide(programDirectory + kDataFilePattern).c_str(), &found));
  if (!search) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(Narrow(found.cFileName));
  } while (FindNextFileW(search.Get(), &found));
  return names;
}

// Only a file that is not there: one that cannot be looked up for another
// reason is copied and fails with that reason.
bool FileMissing(const std::string& path) {
  if (GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

BackupTime LocalBackupTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

BackupOutcome BackupFiles(const std::string& programDirectory, bool clearing,
                          const BackupTime& time, BackupProgress* progress, bool flushCopies) {
  BackupOutcome outcome;
  const std::vector<std::string> dataFiles = DataFileNames(programDirectory);
  BackupProgress unused;
  if (!progress) progress = &unused;
  // A lost vexa.cfg is just what a user may want back from a backup: the
  // restore's own backup must not stop at it.
  outcome.configMissing = FileMissing(programDirectory + kConfigFileName);
  progress->filesTotal = static_cast<unsigned>(dataFiles.size() + (outcome.configMissing ? 0 : 1));
  std::uint64_t total = 0;
  for (const std::string& file : dataFiles) {
    std::uint64_t size = 0;
    if (FileSizeOnDisk(programDirectory + file, &size)) total += size;
  }
  std::uint64_t configSize = 0;
  if (FileSizeOnDisk(programDirectory + kConfigFileName, &configSize)) total += configSize;
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

  if (!PathExists(root)) CreateDirectoryW(Wide(root).c_str(), nullptr);
  const std::string name =
      UniqueBackupName(root + BackupTimeStamp(time),
                       [](const std::string& candidate) { return PathExists(candidate + "\\"); });
  // A directory that could not be made shows up as the first copy failing.
  CreateDirectoryW(Wide(name).c_str(), nullptr);
  outcome.directory = name + "\\";

  auto copyOne = [&](const std::string& file, bool removeSource) {
    const ULONGLONG before = progress->bytesDone;
    outcome.status = CopyFileBytes(programDirectory + file, outcome.directory + file,
                                   removeSource, flushCopies, progress);
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
  if (!outcome.configMissing) copyOne(kConfigFileName, false);
  return outcome;
}

}  // namespace vexa
