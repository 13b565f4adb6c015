#pragma once
// Character-wise scanning of byte strings in the ANSI code page. A search for
// a single-byte character never stops on the trail byte of a double-byte
// character (in GBK a trail byte can be 0x5C, the backslash).
#include <cstddef>
#include <string>

namespace vexa {

// True when the byte starts a double-byte character in the ANSI code page.
// Windows asks the system; the native build takes GBK's lead bytes, 0x81 to
// 0xFE. Either way a lead byte pairs with whatever byte follows it, as the
// system's own multibyte scanning does: the trail byte's range is not
// checked.
bool IsLeadByte(unsigned char c);

// Length in bytes of the character starting at pos (1 or 2). A lead byte
// with nothing after it counts as one byte.
std::size_t CharLength(const std::string& text, std::size_t pos);

// Removes every single-byte character c, leaving double-byte characters whole.
std::string RemoveCharMb(const std::string& text, char c);

// Replaces every single-byte character from by to, character-wise.
std::string ReplaceCharMb(const std::string& text, char from, char to);

// Removes every occurrence of needle, matching only at character starts.
std::string RemoveTextMb(const std::string& text, const std::string& needle);

}  // namespace vexa
