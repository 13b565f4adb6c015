#include "log/action_log_win32.h"

#include <windows.h>

#include "log/action_log.h"
#include "ui/scoped.h"

namespace vexa {

namespace {

class CWinActionLogFile : public ActionLogFile {
 public:
  explicit CWinActionLogFile(const std::string& directory)
      : path_(directory + kActionLogName), oldPath_(directory + kActionLogOldName) {}

  bool Size(unsigned long long* size) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data)) return false;
    *size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
  }

  bool RenameToOld() override {
    return MoveFileExA(path_.c_str(), oldPath_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  }

  bool Append(const std::string& bytes) override {
    // Shared, so that a reader (or a second panel) never blocks the panel.
    ScopedHandle file(CreateFileA(path_.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
  }

 private:
  std::string path_;
  std::string oldPath_;
};

class CWinActionLog : public ActionLogSink {
 public:
  explicit CWinActionLog(const std::string& directory) : file_(directory) {
    InitializeCriticalSection(&lock_);
  }
  ~CWinActionLog() override { DeleteCriticalSection(&lock_); }
  CWinActionLog(const CWinActionLog&) = delete;
  CWinActionLog& operator=(const CWinActionLog&) = delete;

  void Write(const std::string& text) override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string line = ActionLogLine(
        {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, text);
    EnterCriticalSection(&lock_);
    AppendActionLogLine(file_, line);
    LeaveCriticalSection(&lock_);
  }

 private:
  CWinActionLogFile file_;
  CRITICAL_SECTION lock_;
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
