#pragma once
// The step between the program's UTF-8 texts and the system's UTF-16 ones
// (Win32 only).
#include <string>

namespace vexa {

std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* text);

}  // namespace vexa
