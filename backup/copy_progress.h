#pragma once
// The status line's text while the tracker's files are copied (a backup,
// a clearing backup, a restore), and when it is worth showing.
#include <cstdint>
#include <string>

#include "backup/backup.h"

namespace vexa {

enum class CopyJob { kBackup, kClearing, kRestore };

// "正在备份数据：3/9 个文件，384.0 MB / 1.00 GB": files and bytes done of the total.
std::string CopyProgressText(CopyJob job, unsigned filesDone, unsigned filesTotal,
                             std::uint64_t bytesDone, std::uint64_t bytesTotal);

// The progress of one copy that started at startMs, on a millisecond clock.
class ProgressLine {
 public:
  ProgressLine(CopyJob job, std::uint64_t startMs) : job_(job), startMs_(startMs) {}

  // The text to show at nowMs: empty while the copy is younger than a
  // second, as short copies end before a line could be read.
  std::string TextAt(std::uint64_t nowMs, const BackupProgress& progress) const;

 private:
  CopyJob job_;
  std::uint64_t startMs_;
};

}  // namespace vexa
