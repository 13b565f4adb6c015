#pragma once
// A fresh directory under the system's temp path for one test, removed with
// everything in it afterwards. Paths are UTF-8.
#include <windows.h>

#include <string>
#include <vector>

#include "base/wide_text.h"

namespace vexa {

class TempDirectory {
 public:
  TempDirectory() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
      path_ = Narrow(base) + "vexa-test-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
      if (CreateDirectoryW(Wide(path_).c_str(), nullptr)) break;
    }
  }
  ~TempDirectory() { RemoveTree(path_); }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  // Without a trailing backslash.
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  std::vector<std::string> Names() const { return NamesIn(path_); }

  static std::vector<std::string> NamesIn(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      std::string name = Narrow(found.cFileName);
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }

 private:
  static void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::string name = Narrow(found.cFileName);
        if (name == "." || name == "..") continue;
        std::string child = path + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child);
        } else {
          SetFileAttributesW(Wide(child).c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(Wide(child).c_str());
        }
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(Wide(path).c_str());
  }

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
