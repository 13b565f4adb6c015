#pragma once
// A scratch directory named without its trailing backslash, and the names
// in a directory. Paths are UTF-8.
#include <windows.h>

#include <string>
#include <vector>

#include "base/folder_entries_win32.h"
#include "base/wide_text.h"
#include "tests/tracker/scratch_directory.h"

namespace vexa {

class TempDirectory {
 public:
  TempDirectory() : scratch_("t"), path_(scratch_.Path().substr(0, scratch_.Path().size() - 1)) {}

  // Without a trailing backslash.
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  std::vector<std::string> Names() const { return NamesIn(path_); }

  static std::vector<std::string> NamesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : ListFolder(dir + "\\").entries) names.push_back(entry.name);
    return names;
  }

 private:
  test::ScratchDirectory scratch_;  // removes everything in it at the end
  std::string path_;
};

// Runs a test body with the working directory set to dir, restoring it after.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& dir) {
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    previous_ = Narrow(previous);
    SetCurrentDirectoryW(Wide(dir).c_str());
  }
  ~WorkingDirectory() { SetCurrentDirectoryW(Wide(previous_).c_str()); }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::string previous_;
};

}  // namespace vexa
