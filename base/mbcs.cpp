#include "base/mbcs.h"

namespace vexa {

std::size_t CharLength(const std::string& text, std::size_t pos) {
  if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos]))) return 2;
  return 1;
}

std::string RemoveCharMb(const std::string& text, char c) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = CharLength(text, i);
    if (!(n == 1 && text[i] == c)) out.append(text, i, n);
    i += n;
  }
  return out;
}

std::string ReplaceCharMb(const std::string& text, char from, char to) {
  std::string out = text;
  for (std::size_t i = 0; i < out.size(); i += CharLength(out, i)) {
    if (out[i] == from) out[i] = to;
  }
  return out;
}

std::string RemoveTextMb(const std::string& text, const std::string& needle) {
  if (needle.empty()) return text;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, needle.size(), needle) == 0) {
      i += needle.size();
      continue;
    }
    std::size_t n = CharLength(text, i);
    out.append(text, i, n);
    i += n;
  }
  return out;
}

}  // namespace vexa
