#include "tracker/web_address.h"

#include <algorithm>
#include <cstdio>

namespace vexa {

std::string TrackerBaseUrl(const std::string& port) { return "http://localhost:" + port; }

std::string LastPathComponent(const std::string& directory) {
  std::string rest = directory;
  std::replace(rest.begin(), rest.end(), '/', '\\');
  for (;;) {
    std::size_t backslash = rest.find('\\');
    if (backslash == std::string::npos) return rest;
    rest.erase(0, backslash + 1);
  }
}

bool IsUnreservedByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

std::string PercentEncode(const std::string& bytes, bool (*kept)(unsigned char)) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (kept(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

namespace {
bool KeptInPathSegment(unsigned char c) { return IsUnreservedByte(c) || c == '/'; }
}  // namespace

std::string EscapeUrlPathSegment(const std::string& segment) {
  return PercentEncode(segment, KeptInPathSegment);
}

std::string WebFileDirectoryUrl(const std::string& baseUrl, const std::string& fileDirectory) {
  return baseUrl + "/" + EscapeUrlPathSegment(LastPathComponent(fileDirectory));
}

std::string InvalidPortText(const std::string& port) {
  return "vexa.cfg 中的端口 \"" + port + "\" 无效：端口只能是 1 到 65535 之间的数字。\n没有打开任何网页。";
}

}  // namespace vexa
