#include <windows.h>

#include "base/text_codec.h"
#include "base/wide_text.h"

namespace vexa {

namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring ToUtf16(UINT codePage, const std::string& bytes) {
  if (bytes.empty()) return {};
  int n =
      MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
  return out;
}

// usedDefault stays null for UTF-8, which refuses the flag.
std::string FromUtf16(UINT codePage, const std::wstring& text, BOOL* usedDefault) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, usedDefault);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      usedDefault);
  return out;
}

}  // namespace

std::wstring Wide(const std::string& text) { return ToUtf16(CP_UTF8, text); }

std::string Narrow(const std::wstring& text) { return FromUtf16(CP_UTF8, text, nullptr); }

std::string Narrow(const wchar_t* text) { return Narrow(std::wstring(text ? text : L"")); }

std::string TextFromAnsi(const std::string& ansi) { return Narrow(ToUtf16(CP_ACP, ansi)); }

bool TextToAnsi(const std::string& text, std::string* ansi) {
  if (text.empty()) {
    ansi->clear();
    return true;
  }
  // A system whose ANSI code page is UTF-8 takes our texts as they are.
  if (GetACP() == CP_UTF8) {
    if (Wide(text).empty()) return false;
    *ansi = text;
    return true;
  }
  // No best fit: "Ł" written as "L" would be another value than the one typed.
  const std::wstring wide = Wide(text);
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                    static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      &bytes[0], n, nullptr, &usedDefault);
  if (usedDefault) return false;
  *ansi = bytes;
  return true;
}

std::string TextToGbk(const std::string& text) {
  return FromUtf16(kGbkCodePage, Wide(text), nullptr);
}

std::string TextFromGbk(const std::string& gbk) { return Narrow(ToUtf16(kGbkCodePage, gbk)); }

}  // namespace vexa
