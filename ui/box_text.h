#pragma once
// Box texts that fit the screen: the system does not break a line inside a
// word, and a long path is one word.
#include <string>

namespace vexa {

// Breaks every line of UTF-8 text that is wider than maxColumns (a wide East
// Asian character takes two) after the last "\", "/", space or wide
// character that still fits, or where the line is full when there is none.
std::string BreakLongLines(const std::string& text, int maxColumns);

}  // namespace vexa
