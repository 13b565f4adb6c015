#include "config/check_directory.h"

#include "base/mbcs.h"

namespace vexa {

namespace {

// Characters a file name cannot hold that the directories page drops. A
// forward slash is a separator typed the other way round and is turned.
const char kDroppedCharacters[] = {'>', '"', '?', '*', '|'};

bool IsDriveRoot(const std::string& path) {
  return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

}  // namespace

bool IsUncPath(const std::string& path) {
  return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

bool IsAbsolutePath(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || IsUncPath(path);
}

void CreateDirectoryTree(const std::string& path, DirectorySystem& fs,
                         std::vector<std::string>* notCreated) {
  // Walk up to the first ancestor that exists, then create downwards, parents
  // first. A loop rather than recursion: the text comes from an edit field and
  // may hold thousands of backslashes.
  std::vector<std::size_t> separators;
  for (std::size_t i = 0; i < path.size(); i += CharLength(path, i)) {
    if (path[i] == '\\') separators.push_back(i);
  }
  std::vector<std::string> missing;
  std::string current = path;
  while (!fs.Exists(current)) {
    missing.push_back(current);
    if (separators.empty()) break;
    current.erase(separators.back());
    separators.pop_back();
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    // A trailing backslash names a directory just made under the name
    // without it; that is no failure.
    if (!fs.CreateDirectory(*it) && !fs.Exists(*it) && notCreated != nullptr) {
      notCreated->push_back(*it);
    }
  }
}

CheckDirectoryResult CheckDirectory(const std::string& text, const std::string& programDirectory,
                                    DirectorySystem& fs) {
  std::string path = ReplaceCharMb(text, '/', '\\');
  for (char c : kDroppedCharacters) path = RemoveCharMb(path, c);

  // Single bytes on purpose: a trailing double-byte character whose second
  // byte is 0x5C loses that byte too. A drive root keeps its backslash, and
  // a network path its two leading ones.
  if (!path.empty() && path.back() == '\\' && !IsDriveRoot(path)) path.pop_back();
  if (!path.empty() && path.front() == '\\' && !IsUncPath(path)) path.erase(0, 1);
  if (!IsAbsolutePath(path)) path = programDirectory + path;

  CheckDirectoryResult result;
  CreateDirectoryTree(path, fs, &result.notCreated);
  // A file in the directory's place counts as existing to the walk above.
  if (result.notCreated.empty() && fs.Exists(path) && !fs.IsDirectory(path)) {
    result.notCreated.push_back(path);
  }

  result.path = RemoveTextMb(path, programDirectory);
  return result;
}

}  // namespace vexa
