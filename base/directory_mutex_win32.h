#pragma once
// Mutexes that every process working on one directory shares: the name is
// made from the directory, ignoring case as the file system does.
#include <windows.h>

#include <string>

namespace vexa {

// prefix (a namespace and a word, e.g. L"Local\\VexaPanel.log.") followed
// by a hash of the directory: a name may not hold backslashes.
std::wstring DirectoryMutexName(const wchar_t* prefix, const std::string& directory);

// Waits up to waitMs for mutex and holds it for its lifetime; an abandoned
// mutex is held all the same, its holder is gone. A null mutex is never held.
class MutexHold {
 public:
  MutexHold(HANDLE mutex, DWORD waitMs);
  ~MutexHold();
  MutexHold(const MutexHold&) = delete;
  MutexHold& operator=(const MutexHold&) = delete;
  bool Held() const { return held_; }

 private:
  HANDLE mutex_;
  bool held_ = false;
};

}  // namespace vexa
