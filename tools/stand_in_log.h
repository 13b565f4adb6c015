// The stand-ins' call logs, read by the end-to-end tests.
#ifndef VEXA_TOOLS_STAND_IN_LOG_H_
#define VEXA_TOOLS_STAND_IN_LOG_H_

#include <windows.h>

#include <string>

#include "base/wide_text.h"

namespace vexa::tools {

// One write per line, so that instances running side by side never
// interleave a line; flushed, because a test reads it while we still run.
// The path is UTF-8, as the stand-ins keep every text.
inline void AppendLine(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string line = text + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  FlushFileBuffers(file);
  CloseHandle(file);
}

}  // namespace vexa::tools

#endif  // VEXA_TOOLS_STAND_IN_LOG_H_
