#include "base/system_error_win32.h"

#include <cstdio>

#include "base/message_inserts.h"
#include "base/wide_text.h"

namespace vexa {

std::string SystemMessage(DWORD code, const std::string& insert) {
  wchar_t buffer[1024];
  // The inserts are filled here: FormatMessage would read arguments the
  // caller does not know a message needs.
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, 1024, nullptr);
  while (n > 0 && (buffer[n - 1] == L'\r' || buffer[n - 1] == L'\n' || buffer[n - 1] == L' ')) --n;
  if (n == 0) {
    char text[64];
    std::snprintf(text, sizeof text, "错误 %lu", static_cast<unsigned long>(code));
    return text;
  }
  return FillMessageInserts(Narrow(std::wstring(buffer, n)), insert);
}

}  // namespace vexa
