#pragma once
// What a folder holds, read in one go: every caller sees the same names,
// sizes and times, and none keeps a search handle open while it acts.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vexa {

struct FolderEntry {
  std::string name;
  DWORD attributes = 0;
  std::uint64_t size = 0;
  // FILETIMEs as one number each.
  std::uint64_t createdTime = 0;
  std::uint64_t lastWriteTime = 0;

  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // A junction, a symbolic link or another reparse point.
  bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

struct FolderEntries {
  // The system's error when nothing was listed: the folder is missing or
  // could not be read, or (ERROR_FILE_NOT_FOUND) no name matches a pattern.
  DWORD error = ERROR_SUCCESS;
  std::vector<FolderEntry> entries;
};

// The entries of folderPath (ending in a backslash) whose names match
// pattern, in the order the file system gives them, without "." and "..".
FolderEntries ListFolder(const std::string& folderPath, const std::string& pattern = "*");

}  // namespace vexa
