#pragma once
// The running executable's file name, however long.
#include <windows.h>

#include <string>

namespace vexa {

// The whole file name of module (null: the executable), read into a buffer
// that starts at initialChars and grows as long as the name fills it; ""
// when the system gives none.
std::wstring ModuleFileName(HMODULE module, DWORD initialChars = MAX_PATH);

}  // namespace vexa
