#include <iconv.h>

#include <string>

#include "base/text_codec.h"

namespace vexa {

namespace {

std::string g_ansiCharset = "GBK";

// false when a character has no form in the target (or the input is broken).
bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string result(in.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = &result[0];
  size_t dstLeft = result.size();
  size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || r > 0) return false;  // r > 0: approximated
  result.resize(result.size() - dstLeft);
  *out = result;
  return true;
}

// Character by character, so one unknown character does not spoil the rest.
std::string ConvertLossy(const char* to, const char* from, const std::string& in,
                         const char* replacement) {
  std::string out;
  if (Convert(to, from, in, &out)) return out;
  out.clear();
  for (size_t i = 0; i < in.size();) {
    size_t length = 1;
    std::string piece;
    while (i + length <= in.size() && length <= 4 &&
           !Convert(to, from, in.substr(i, length), &piece)) {
      ++length;
    }
    if (i + length > in.size() || length > 4) {
      out += replacement;
      ++i;
    } else {
      out += piece;
      i += length;
    }
  }
  return out;
}

}  // namespace

void SetNativeAnsiCharset(const char* iconvName) { g_ansiCharset = iconvName; }

std::string TextFromAnsi(const std::string& ansi) {
  return ConvertLossy("UTF-8", g_ansiCharset.c_str(), ansi, "\xEF\xBF\xBD");
}

bool TextToAnsi(const std::string& text, std::string* ansi) {
  return Convert(g_ansiCharset.c_str(), "UTF-8", text, ansi);
}

std::string TextToGbk(const std::string& text) { return ConvertLossy("GBK", "UTF-8", text, "?"); }

std::string TextFromGbk(const std::string& gbk) {
  return ConvertLossy("UTF-8", "GBK", gbk, "\xEF\xBF\xBD");
}

}  // namespace vexa
