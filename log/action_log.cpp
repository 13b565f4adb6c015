#include "log/action_log.h"

#include <atomic>
#include <cstdio>

namespace vexa {

const char kActionLogName[] = "VexaPanel.log";
const char kActionLogOldName[] = "VexaPanel.log.1";

namespace {
std::atomic<ActionLogSink*> currentSink{nullptr};
}  // namespace

std::string ActionLogLine(const LogTime& time, const std::string& text) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u  ", time.year % 10000,
                time.month % 100, time.day % 100, time.hour % 100, time.minute % 100,
                time.second % 100);
  std::string line = stamp;
  // CR and LF never occur as trail bytes in GBK, so bytewise is safe.
  bool inBreak = false;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      if (!inBreak) line += ' ';
      inBreak = true;
      continue;
    }
    inBreak = false;
    line += c;
  }
  // No GBK trail byte is a blank, and the stamp ends in a digit.
  while (line.back() == ' ') line.pop_back();
  return line + "\r\n";
}

std::string LogSeconds(unsigned long long milliseconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%02llu", milliseconds / 1000, milliseconds % 1000 / 10);
  return text;
}

bool AppendActionLogLine(ActionLogFile& file, const std::string& line) {
  unsigned long long size = 0;
  // A log that cannot be moved aside keeps growing rather than losing lines.
  // Not waited for: a backup in another process holds the lock for minutes,
  // and no line may stall; the next line tries again.
  if (file.Size(&size) && size > kActionLogLimitBytes) {
    if (const auto hold = file.TryHoldRotation()) {
      // Looked at again: another writer that saw the same full log may have
      // moved it aside meanwhile, and moving its fresh log over the full one
      // would lose a megabyte of lines.
      if (file.Size(&size) && size > kActionLogLimitBytes) file.RenameToOld();
    }
  }
  return file.Append(line);
}

void SetActionLogSink(ActionLogSink* sink) { currentSink.store(sink); }

void LogAction(const std::string& text) {
  if (ActionLogSink* sink = currentSink.load()) sink->Write(text);
}

}  // namespace vexa
