#pragma once
// The two access masks of the system limits page: a decimal number in
// vexa.cfg whose low seven bits are one right each.
#include <cstdint>
#include <string>

namespace vexa {

constexpr int kAccessRightCount = 7;

// Read like strtol with a 32-bit long: leading white space, an optional
// sign, the digits up to the first other character; no digits gives 0, and
// numbers out of range stop at the 32-bit limits. The result is the 32-bit
// two's complement form, so -1 has every bit set.
std::uint32_t ParseAccessMask(const std::string& text);

// Boxes for bits 1, 2, 4, ... 64 (index = bit position): 1 for ticked.
void DecodeAccessMask(const std::string& text, std::int32_t (&flags)[kAccessRightCount]);

// Plain decimal sum of the ticked boxes, 0 to 127.
std::string EncodeAccessMask(const std::int32_t (&flags)[kAccessRightCount]);

}  // namespace vexa
