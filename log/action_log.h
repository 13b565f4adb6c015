#pragma once
// The panel's action log, VexaPanel.log in the program directory: one line
// per event, "YYYY-MM-DD HH:MM:SS  text", GBK with CR LF, kept near a
// megabyte by renaming a full file to VexaPanel.log.1. A log that cannot be
// written is silently skipped: it must never stop the panel.
#include <memory>
#include <string>

namespace vexa {

extern const char kActionLogName[];     // "VexaPanel.log"
extern const char kActionLogOldName[];  // "VexaPanel.log.1"
constexpr unsigned long long kActionLogLimitBytes = 1024ULL * 1024;

struct LogTime {
  unsigned year, month, day, hour, minute, second;
};

// The line as written, CR LF included; line breaks inside text become
// blanks so that one event always stays one line.
std::string ActionLogLine(const LogTime& time, const std::string& text);

// Seconds with two decimals, e.g. "1.25", for durations in the log.
std::string LogSeconds(unsigned long long milliseconds);

// The file system under the log, so that rotation can be tested natively.
class ActionLogFile {
 public:
  // Held while one writer of the directory moves the log aside.
  class RotationHold {
   public:
    virtual ~RotationHold() = default;
  };

  virtual ~ActionLogFile() = default;
  // Size of VexaPanel.log; false when there is none (or it cannot be read).
  virtual bool Size(unsigned long long* size) = 0;
  // The lock every writer of the directory takes to move the log aside,
  // tried once without waiting; empty when another process holds it.
  virtual std::unique_ptr<RotationHold> TryHoldRotation() = 0;
  // Renames VexaPanel.log to VexaPanel.log.1, replacing an older one.
  virtual bool RenameToOld() = 0;
  virtual bool Append(const std::string& bytes) = 0;
};

// Appends one line, first moving aside a log that has passed the limit when
// the rotation's lock is free. False when the line could not be written
// (nothing else is done about it).
bool AppendActionLogLine(ActionLogFile& file, const std::string& line);

// Where LogAction sends its events: the file writer from start-up on, a
// recorder in tests, nothing at all before.
class ActionLogSink {
 public:
  virtual ~ActionLogSink() = default;
  virtual void Write(const std::string& text) = 0;
};

void SetActionLogSink(ActionLogSink* sink);
void LogAction(const std::string& text);

}  // namespace vexa
