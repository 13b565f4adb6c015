#include "base/folder_entries_win32.h"

#include <utility>

#include "base/path_exists.h"
#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"

namespace vexa {

FolderEntries ListFolder(const std::string& folderPath, const std::string& pattern) {
  FolderEntries listed;
  WIN32_FIND_DATAW found;
  ScopedFindHandle search(FindFirstFileW(Wide(folderPath + pattern).c_str(), &found));
  if (!search) {
    listed.error = GetLastError();
    return listed;
  }
  do {
    FolderEntry entry;
    entry.name = Narrow(found.cFileName);
    if (entry.name == "." || entry.name == "..") continue;
    entry.attributes = found.dwFileAttributes;
    entry.size = JoinHalves(found.nFileSizeHigh, found.nFileSizeLow);
    entry.createdTime =
        JoinHalves(found.ftCreationTime.dwHighDateTime, found.ftCreationTime.dwLowDateTime);
    entry.lastWriteTime =
        JoinHalves(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
    listed.entries.push_back(std::move(entry));
  } while (FindNextFileW(search.Get(), &found));
  return listed;
}

}  // namespace vexa
