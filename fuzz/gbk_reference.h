#pragma once
// An independent, deliberately naive reading of GBK byte strings for the
// fuzz targets' properties. It must not use base/mbcs.h: the point is to
// check the product's scanning against a second implementation.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vexa_fuzz {

inline bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// The character starts of text: a lead byte with a byte after it takes two
// bytes, everything else one.
inline std::vector<std::size_t> CharStarts(const std::string& text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size();) {
    starts.push_back(i);
    i += (IsGbkLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
  }
  return starts;
}

// True when a single-byte character c stands anywhere in text.
inline bool HasSingleByteChar(const std::string& text, char c) {
  for (std::size_t i : CharStarts(text)) {
    bool single = !(IsGbkLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size());
    if (single && text[i] == c) return true;
  }
  return false;
}

inline std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    out += buf;
  }
  return out;
}

// A property broke: say which, with the bytes involved, and stop so that
// libFuzzer keeps the input as a crash.
[[noreturn]] inline void Fail(const char* what, const std::string& a = std::string(),
                              const std::string& b = std::string()) {
  std::fprintf(stderr, "property violated: %s\n  a: %s\n  b: %s\n", what, Hex(a).c_str(),
               Hex(b).c_str());
  std::abort();
}

inline void Check(bool ok, const char* what, const std::string& a = std::string(),
                  const std::string& b = std::string()) {
  if (!ok) Fail(what, a, b);
}

}  // namespace vexa_fuzz
