#include "base/system_error.h"

#include <cstdio>

namespace vexa {

std::string SystemMessage(DWORD code) {
  char buffer[1024];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, sizeof buffer, nullptr);
  while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == ' ')) --n;
  if (n == 0) {
    std::snprintf(buffer, sizeof buffer, "错误 %lu", static_cast<unsigned long>(code));
    return buffer;
  }
  return std::string(buffer, n);
}

}  // namespace vexa
