#pragma once
// The system's own words for an error code, as UTF-8, for
// messages the user sees.
#include <windows.h>

#include <string>

namespace vexa {

// FormatMessage text for the code, without the trailing line end, its
// inserts ("%1") filled with insert (the file or program concerned); a
// plain "错误 N" when the system has no text for it.
std::string SystemMessage(DWORD code, const std::string& insert = "");

}  // namespace vexa
