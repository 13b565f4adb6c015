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

bool EndsWithBackslash(const std::string& path) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < path.size(); i += CharLength(path, i)) last = i;
  return !path.empty() && last == path.size() - 1 && path[last] == '\\';
}

}  // namespace

const char kFileInTheWay[] = "已有同名的文件";

bool IsUncPath(const std::string& path) {
  return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

bool IsAbsolutePath(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || IsUncPath(path);
}

void CreateDirectoryTree(const std::string& path, DirectorySystem& fs,
                         std::vector<std::string>* notCreated,
                         std::vector<std::string>* reasons) {
  // Walk up to the first ancestor that exists, then create downwards, parents
  // first. A loop rather than recursion: the text comes from an edit field and
  // may hold thousands of backslashes. Every ancestor is a prefix of the path,
  // so one string cut back and grown again serves all levels; a copy per level
  // would grow with the square of the path's length.
  std::vector<std::size_t> separators;
  for (std::size_t i = 0; i < path.size(); i += CharLength(path, i)) {
    if (path[i] == '\\') separators.push_back(i);
  }
  // Level n is the prefix up to the n-th separator; the last level is the
  // whole path.
  auto lengthOf = [&](std::size_t n) {
    return n < separators.size() ? separators[n] : path.size();
  };
  std::string current = path;
  std::size_t level = separators.size();
  std::size_t firstMissing = level + 1;
  while (!fs.Exists(current)) {
    firstMissing = level;
    if (level == 0) break;
    --level;
    current.resize(lengthOf(level));
  }
  for (level = firstMissing; level <= separators.size(); ++level) {
    current.append(path, current.size(), lengthOf(level) - current.size());
    // A trailing backslash names a directory just made under the name
    // without it; that is no failure.
    if (!fs.CreateDirectory(current) && !fs.Exists(current) && notCreated != nullptr) {
      notCreated->push_back(current);
      if (reasons != nullptr) reasons->push_back(fs.Reason());
    }
  }
}

CheckDirectoryResult CheckDirectory(const std::string& text, const std::string& programDirectory,
                                    DirectorySystem& fs) {
  std::string path = ReplaceCharMb(text, '/', '\\');
  for (char c : kDroppedCharacters) path = RemoveCharMb(path, c);

  // Only a backslash that is a character of its own: a double-byte
  // character whose second byte is 0x5C (運, 誠) stays whole. A drive root
  // keeps its backslash, and a network path its two leading ones.
  if (EndsWithBackslash(path) && !IsDriveRoot(path)) path.pop_back();
  if (!path.empty() && path.front() == '\\' && !IsUncPath(path)) path.erase(0, 1);
  if (!IsAbsolutePath(path)) path = programDirectory + path;

  CheckDirectoryResult result;
  CreateDirectoryTree(path, fs, &result.notCreated, &result.reasons);
  // A file in the directory's place counts as existing to the walk above.
  if (result.notCreated.empty() && fs.Exists(path) && !fs.IsDirectory(path)) {
    result.notCreated.push_back(path);
    result.reasons.push_back(kFileInTheWay);
  }

  result.path = RemoveTextMb(path, programDirectory);
  return result;
}

}  // namespace vexa
