#include <iconv.h>

#include <algorithm>
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
  // (size_t)-1: failed; any other non-zero count: characters approximated.
  if (r != 0) return false;
  result.resize(result.size() - dstLeft);
  *out = result;
  return true;
}

// Length of the UTF-8 sequence a byte starts (1 for a stray byte).
std::size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Character by character, so one unknown character does not spoil the rest;
// each one that cannot be converted becomes one replacement, as the
// system's conversion does.
std::string ConvertLossy(const char* to, const char* from, const std::string& in,
                         const char* replacement) {
  std::string out;
  if (Convert(to, from, in, &out)) return out;
  out.clear();
  const bool utf8 = std::string(from) == "UTF-8";
  for (std::size_t i = 0; i < in.size();) {
    std::string piece;
    std::size_t length = 1;
    bool converted = false;
    if (utf8) {
      const std::size_t whole = Utf8Length(static_cast<unsigned char>(in[i]));
      length = std::min(whole, in.size() - i);
      converted = length == whole && Convert(to, from, in.substr(i, whole), &piece);
    } else {
      for (std::size_t n = 1; n <= 2 && i + n <= in.size() && !converted; ++n) {
        converted = Convert(to, from, in.substr(i, n), &piece);
        if (converted) length = n;
      }
    }
    out += converted ? piece : std::string(replacement);
    i += length;
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
