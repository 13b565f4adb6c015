#pragma once
// Box texts that fit the screen: the system wraps a box's lines between
// words only, and a long path is one word.
#include <string>

namespace vexa {

// Breaks every word of UTF-8 text (a run without spaces) that is wider than
// maxColumns (a wide East Asian character takes two) after its last "\",
// "/" or wide character that still fits, or where it is full when there is
// none. Shorter words stay whole: the system wraps between them.
std::string BreakLongWords(const std::string& text, int maxColumns);

}  // namespace vexa
