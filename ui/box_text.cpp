#include "ui/box_text.h"

namespace vexa {

namespace {

// The length of the UTF-8 sequence starting at lead; 1 for a stray byte.
size_t SequenceLength(const std::string& text, size_t at, char32_t* codePoint) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                  : (lead >> 3) == 0x1E ? 4 : 1;
  if (at + length > text.size()) length = 1;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) length = 1;
  }
  char32_t cp = length == 1 ? lead : lead & (0xFF >> (length + 1));
  for (size_t i = 1; i < length; ++i) cp = (cp << 6) | (byte(at + i) & 0x3F);
  *codePoint = cp;
  return length;
}

}  // namespace

std::string BreakLongWords(const std::string& text, int maxColumns) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  size_t lineStart = 0;  // in out: where the current word starts
  int columns = 0;
  size_t breakAt = std::string::npos;  // in out: where a break may go
  int columnsAtBreak = 0;
  for (size_t at = 0; at < text.size();) {
    char32_t cp = 0;
    size_t length = SequenceLength(text, at, &cp);
    if (cp == '\n' || cp == ' ') {
      out += static_cast<char>(cp);
      lineStart = out.size();
      columns = 0;
      breakAt = std::string::npos;
      ++at;
      continue;
    }
    const int width = cp >= 0x1100 ? 2 : 1;
    if (columns + width > maxColumns && out.size() > lineStart) {
      if (breakAt != std::string::npos) {
        out.insert(breakAt, 1, '\n');
        lineStart = breakAt + 1;
        columns -= columnsAtBreak;
      } else {
        out += '\n';
        lineStart = out.size();
        columns = 0;
      }
      breakAt = std::string::npos;
    }
    out.append(text, at, length);
    at += length;
    columns += width;
    if (cp == '\\' || cp == '/' || width == 2) {
      breakAt = out.size();
      columnsAtBreak = columns;
    }
  }
  return out;
}

}  // namespace vexa
