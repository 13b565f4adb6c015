#include "log/action_log_win32.h"

#include <windows.h>

#include <string>

#include "base/directory_lock_win32.h"
#include "base/path_exists.h"
#include "base/scoped_handles_win32.h"
#include "base/text_codec.h"
#include "base/wide_text.h"
#include "log/action_log.h"

namespace vexa {

namespace {

class CWinActionLogFile : public ActionLogFile {
 public:
  explicit CWinActionLogFile(const std::string& directory)
      : directory_(directory),
        path_(Wide(directory + kActionLogName)),
        oldPath_(Wide(directory + kActionLogOldName)) {}

  bool Size(unsigned long long* size) override { return FileSizeOnDisk(Narrow(path_), size); }

  std::unique_ptr<RotationHold> TryHoldRotation() override {
    auto hold = std::make_unique<CRotationHold>(directory_);
    if (!hold->lock.Held()) return nullptr;
    return hold;
  }

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
  struct CRotationHold : RotationHold {
    explicit CRotationHold(const std::string& directory) : lock(directory) {}
    DirectoryLock lock;
  };

  std::string directory_;
  std::wstring path_;
  std::wstring oldPath_;
};

class CWinActionLog : public ActionLogSink {
 public:
  explicit CWinActionLog(const std::string& directory) : file_(directory) {}

  void Write(const std::string& text) override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    // GBK whatever the system's code page, so that the log reads the same
    // on every machine it is sent to.
    const std::string line = TextToGbk(ActionLogLine(
        {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, text));
    const CriticalSection::Lock hold(lock_);
    AppendActionLogLine(file_, line);
  }

 private:
  CWinActionLogFile file_;
  CriticalSection lock_;  // the worker threads of the jobs log too
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
