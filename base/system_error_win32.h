#pragma once
// The system's own words for an error code, as UTF-8, for
// messages the user sees.
#include <windows.h>

#include <string>

namespace vexa {

// FormatMessage text for the code, without the trailing line end; a plain
// "错误 N" when the system has no text for it.
std::string SystemMessage(DWORD code);

}  // namespace vexa
