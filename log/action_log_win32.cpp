#include "log/action_log_win32.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/path_exists.h"
#include "base/scoped_handles_win32.h"
#include "base/text_codec.h"
#include "base/wide_text.h"
#include "log/action_log.h"

namespace vexa {

namespace {

// A panel that never lets go of the lock (suspended, say) must not silence
// the others: they then append without moving the log aside.
constexpr DWORD kRotationWaitMs = 2000;

}  // namespace

// The name may not hold backslashes, and the file system ignores case.
std::wstring ActionLogLockName(const std::string& directory) {
  std::wstring path = Wide(directory);
  CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a
  for (wchar_t c : path) {
    hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ULL;
  }
  std::wstring name = L"Local\\VexaPanel.log.";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  return name;
}

namespace {

// Held while one panel looks at the log's size and moves it aside:
// otherwise a second panel that saw the same full log would move the first
// one's fresh log over the full one, and a megabyte of lines would be lost.
class RotationLock {
 public:
  explicit RotationLock(HANDLE mutex) : mutex_(mutex) {
    const DWORD waited = mutex_ ? WaitForSingleObject(mutex_, kRotationWaitMs) : WAIT_FAILED;
    // An abandoned lock is ours all the same: its holder is gone.
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
  ~RotationLock() {
    if (held_) ReleaseMutex(mutex_);
  }
  RotationLock(const RotationLock&) = delete;
  RotationLock& operator=(const RotationLock&) = delete;
  bool Held() const { return held_; }

 private:
  HANDLE mutex_;
  bool held_ = false;
};

class CWinActionLogFile : public ActionLogFile {
 public:
  explicit CWinActionLogFile(const std::string& directory)
      : path_(Wide(directory + kActionLogName)), oldPath_(Wide(directory + kActionLogOldName)) {}

  bool Size(unsigned long long* size) override { return FileSizeOnDisk(Narrow(path_), size); }

  bool RenameToOld() override {
    return MoveFileExW(path_.c_str(), oldPath_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  }

  bool Append(const std::string& bytes) override {
    // Shared, so that a reader (or a second panel) never blocks the panel.
    ScopedHandle file(CreateFileW(path_.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
  }

 private:
  std::wstring path_;
  std::wstring oldPath_;
};

class CWinActionLog : public ActionLogSink {
 public:
  explicit CWinActionLog(const std::string& directory)
      : file_(directory),
        rotation_(CreateMutexW(nullptr, FALSE, ActionLogLockName(directory).c_str())) {}

  void Write(const std::string& text) override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    // GBK whatever the system's code page, so that the log reads the same
    // on every machine it is sent to.
    const std::string line = TextToGbk(ActionLogLine(
        {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, text));
    const CriticalSection::Lock hold(lock_);
    const RotationLock others(rotation_.Get());
    if (others.Held()) {
      AppendActionLogLine(file_, line);
    } else {
      file_.Append(line);
    }
  }

 private:
  CWinActionLogFile file_;
  CriticalSection lock_;  // the worker threads of the jobs log too
  ScopedHandle rotation_;  // the other panels of this directory
};

}  // namespace

std::unique_ptr<ActionLogSink> NewActionLogWriter(const std::string& directory) {
  return std::make_unique<CWinActionLog>(directory);
}

void StartActionLog(const std::string& programDirectory) {
  // Never destroyed: a worker thread may still log while the process ends.
  static ActionLogSink* log = nullptr;
  if (log) return;
  log = NewActionLogWriter(programDirectory).release();
  SetActionLogSink(log);
}

}  // namespace vexa
