#include "base/ascii.h"

namespace vexa {

namespace {
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string AsciiUpper(std::string text) {
  for (char& c : text) c = UpperAscii(c);
  return text;
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

bool ParseDecimal(const std::string& text, unsigned low, unsigned high, unsigned* value) {
  if (text.empty() || text.size() > std::to_string(high).size()) return false;
  unsigned number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (number < low || number > high) return false;
  *value = number;
  return true;
}

}  // namespace vexa
