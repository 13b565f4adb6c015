#include "pages/access_mask.h"

#include <cstdint>

namespace vexa {

namespace {

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::uint32_t ParseAccessMask(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Magnitude saturates just above the 32-bit range, where strtol clamps.
  const std::int64_t kLimit = std::int64_t{1} << 32;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  std::int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  return static_cast<std::uint32_t>(value);
}

void DecodeAccessMask(const std::string& text, std::int32_t (&flags)[kAccessRightCount]) {
  std::uint32_t mask = ParseAccessMask(text);
  for (int bit = 0; bit < kAccessRightCount; ++bit) flags[bit] = (mask >> bit) & 1u;
}

std::string EncodeAccessMask(const std::int32_t (&flags)[kAccessRightCount]) {
  int sum = 0;
  for (int bit = 0; bit < kAccessRightCount; ++bit) {
    if (flags[bit] != 0) sum += 1 << bit;
  }
  return std::to_string(sum);
}

}  // namespace vexa
