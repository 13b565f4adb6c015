#pragma once
// ASCII letters without case, as Windows compares file and program names.
// Only the bytes A-Z and a-z change: in UTF-8 every byte of a non-ASCII
// character is 0x80 or above, so folding byte by byte never touches one.
#include <string>

namespace vexa {

std::string AsciiUpper(std::string text);
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

// text as ASCII digits only (no sign, no blank), at most as many as high
// has, with a value in [low, high]; false, and *value unchanged, otherwise.
bool ParseDecimal(const std::string& text, unsigned low, unsigned high, unsigned* value);

}  // namespace vexa
