#include "base/message_inserts.h"

namespace vexa {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string FillMessageInserts(const std::string& text, const std::string& insert) {
  std::string filled;
  std::size_t at = 0;
  // '%' and digits never occur as trail bytes of UTF-8.
  while (at < text.size()) {
    if (text[at] != '%' || at + 1 >= text.size() || !IsDigit(text[at + 1]) || text[at + 1] == '0') {
      filled += text[at++];
      continue;
    }
    at += 2;
    if (at < text.size() && IsDigit(text[at])) ++at;
    if (at < text.size() && text[at] == '!') {
      const std::size_t close = text.find('!', at + 1);
      if (close != std::string::npos) at = close + 1;
    }
    if (!insert.empty()) {
      filled += insert;
    } else if (at < text.size() && text[at] == ' ') {
      ++at;
    }
  }
  return filled;
}

}  // namespace vexa
