#include "backup/copy_progress.h"

#include <cstdio>

#include "base/byte_size.h"

namespace vexa {

namespace {

constexpr std::uint64_t kProgressAfterMs = 1000;

const char* JobText(CopyJob job) {
  switch (job) {
    case CopyJob::kClearing: return "正在清空并备份数据：";
    case CopyJob::kRestore: return "正在恢复备份：";
    case CopyJob::kBackup: break;
  }
  return "正在备份数据：";
}

}  // namespace

std::string CopyProgressText(CopyJob job, unsigned filesDone, unsigned filesTotal,
                             std::uint64_t bytesDone, std::uint64_t bytesTotal) {
  char files[48];
  std::snprintf(files, sizeof files, "%u/%u 个文件", filesDone, filesTotal);
  return JobText(job) + std::string(files) + "，" + ByteSizeText(bytesDone) + " / " +
         ByteSizeText(bytesTotal);
}

std::string ProgressLine::TextAt(std::uint64_t nowMs, const BackupProgress& progress) const {
  if (nowMs - startMs_ < kProgressAfterMs) return "";
  return CopyProgressText(job_, progress.filesDone, progress.filesTotal, progress.bytesDone,
                          progress.bytesTotal);
}

}  // namespace vexa
