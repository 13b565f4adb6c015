#pragma once
// Deletes a test's folder (dir ends in a backslash) with everything in it,
// read-only files too. A link inside is removed, never followed: a test
// that made a junction to a folder of its own keeps that folder's files.
// True when the folder is gone.
#include <windows.h>

#include <string>

#include "base/folder_entries_win32.h"
#include "base/wide_text.h"

namespace vexa::test {

inline bool RemoveTree(const std::string& dir) {
  for (const FolderEntry& entry : ListFolder(dir).entries) {
    const std::string path = dir + entry.name;
    if (entry.IsFolder() && !entry.IsLink()) {
      RemoveTree(path + "\\");
    } else if (entry.IsFolder()) {
      RemoveDirectoryW(Wide(path).c_str());
    } else {
      SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(Wide(path).c_str());
    }
  }
  return RemoveDirectoryW(Wide(dir).c_str()) != 0;
}

}  // namespace vexa::test
