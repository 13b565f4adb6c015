#include "base/directory_lock_win32.h"

#include <windows.h>

#include <map>

#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"

namespace vexa {

const char kDirectoryLockName[] = "VexaPanel.lock";

namespace {

struct ProcessHold {
  ScopedHandle file;  // none when the holders went ahead without the file
  unsigned count = 0;
};

struct ProcessHolds {
  CriticalSection guard;
  std::map<std::wstring, ProcessHold> byDirectory;
};

ProcessHolds& Holds() {
  // Never destroyed: a worker thread may still log, and so take a lock,
  // while the process ends.
  static ProcessHolds* holds = new ProcessHolds;
  return *holds;
}

// Opened once per process; the guard is held meanwhile, so that two threads
// of this process never find each other's handle in the way.
bool OpenLockFile(const std::wstring& directory, ScopedHandle* file) {
  // The reparse flag opens a link planted under the name itself, never the
  // file it points to. The file is never deleted: while a deletion is
  // pending, the next opener is denied access instead of getting the lock.
  HANDLE opened = CreateFileW((directory + Wide(kDirectoryLockName)).c_str(),
                              GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  const DWORD error = opened == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  file->Reset(opened);
  // Only another holder refuses. Any other failure is no holder: nobody can
  // open a read-only file or a folder of that name for writing, and a user
  // who may not write the directory's files cannot replace them under a
  // holder either (the job meets the same refusal when it writes). Going
  // ahead, as jobs did when there was nothing to agree on, keeps a name
  // planted by someone who may only create files here from stopping every
  // job, the nightly backup too.
  return error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION;
}

}  // namespace

DirectoryLock::DirectoryLock(const std::string& directory) : key_(Wide(directory)) {
  ProcessHolds& holds = Holds();
  const CriticalSection::Lock guard(holds.guard);
  ProcessHold& hold = holds.byDirectory[key_];
  held_ = hold.count > 0 || OpenLockFile(key_, &hold.file);
  if (held_) {
    ++hold.count;
  } else {
    holds.byDirectory.erase(key_);
  }
}

DirectoryLock::~DirectoryLock() {
  if (!held_) return;
  ProcessHolds& holds = Holds();
  const CriticalSection::Lock guard(holds.guard);
  auto hold = holds.byDirectory.find(key_);
  // The last holder of the process closes the file: the lock is free, the
  // file stays.
  if (--hold->second.count == 0) holds.byDirectory.erase(hold);
}

}  // namespace vexa
