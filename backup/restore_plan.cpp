#include "backup/restore_plan.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "backup/backup_names.h"
#include "base/ascii.h"
#include "base/byte_size.h"

namespace vexa {

const char kNoBackupsText[] = "（“备份”目录中还没有备份）";
namespace {

const char kDataFileSuffix[] = ".vexa";
const char kTemporarySuffix[] = ".restore.tmp";

// No character of GBK ends in '.', so a name that ends in these bytes ends
// in these characters.
bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
  const std::string tail(suffix);
  return text.size() > tail.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - tail.size()), tail);
}

// The time stamp of a backup name and the count of its uniqueness numbers,
// ordered as time goes; all -1 for a name that is not a backup's.
struct StampOrder {
  int parts[6] = {-1, -1, -1, -1, -1, -1};
  bool operator<(const StampOrder& other) const {
    return std::lexicographical_compare(parts, parts + 6, other.parts, other.parts + 6);
  }
  bool operator==(const StampOrder& other) const { return std::equal(parts, parts + 6, other.parts); }
};

StampOrder StampOrderOf(const std::string& name) {
  StampOrder order;
  const std::optional<BackupName> parsed = ParseBackupName(name);
  if (!parsed) return order;
  const BackupTime& time = parsed->time;
  const int parts[6] = {time.month, time.day, time.hour, time.minute, time.second,
                        parsed->extensions};
  std::copy(parts, parts + 6, order.parts);
  return order;
}

}  // namespace

bool IsRestorableFileName(const std::string& name) {
  return EqualsIgnoringAsciiCase(name, kConfigFileName) ||
         EndsWithIgnoringCase(name, kDataFileSuffix);
}

void SortNewestFirst(std::vector<BackupFolder>& folders) {
  std::stable_sort(folders.begin(), folders.end(), [](const BackupFolder& a, const BackupFolder& b) {
    if (a.newestFileTime != b.newestFileTime) return a.newestFileTime > b.newestFileTime;
    if (a.createdTime != b.createdTime) return a.createdTime > b.createdTime;
    const StampOrder stampA = StampOrderOf(a.name), stampB = StampOrderOf(b.name);
    if (!(stampA == stampB)) return stampB < stampA;
    return a.name > b.name;
  });
}

std::string BackupListEntry(const BackupFolder& folder) {
  return folder.name + (folder.beforeRestore ? kPreRestoreMark : "") + "\t" +
         std::to_string(folder.fileCount) + " 个文件\t" +
         ByteSizeText(folder.totalBytes);
}

std::string RestoreTemporaryName(const std::string& fileName) { return fileName + kTemporarySuffix; }

}  // namespace vexa
