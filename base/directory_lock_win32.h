#pragma once
// The lock that every process working on one directory shares: the file
// "VexaPanel.lock" in it, opened for reading and writing with no sharing.
// Being a file, it is the same lock however the directory is spelled
// (letter case, slashes, a mapped drive, a UNC path, a short name), and only
// a user who may write the directory's files can hold it.
#include <string>

namespace vexa {

extern const char kDirectoryLockName[];  // "VexaPanel.lock"

// Tries once, without waiting, and holds the lock for the object's lifetime.
// Within one process it is re-entrant from any thread, counted per
// directory as spelled (the program always passes its one program
// directory): a job holds it on the window's thread while its copy on a
// worker thread writes log lines that may move the log aside.
class DirectoryLock {
 public:
  // directory ends in a backslash.
  explicit DirectoryLock(const std::string& directory);
  ~DirectoryLock();
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

  // False only when another process holds it.
  bool Held() const { return held_; }

 private:
  std::wstring key_;
  bool held_ = false;
};

}  // namespace vexa
