#pragma once
// Texts kept scrambled in the program's constant data: every byte but the
// last is exclusive-or'ed with a one-byte key.
#include <array>
#include <cstddef>
#include <string>

namespace vexa {

std::string DescrambleText(const std::string& text, unsigned char key);

// Scrambles a literal at compile time, so that only the scrambled bytes
// reach the executable. The literal's terminating zero is dropped.
template <std::size_t N>
constexpr std::array<char, N - 1> ScrambleLiteral(const char (&text)[N], unsigned char key) {
  std::array<char, N - 1> out{};
  for (std::size_t i = 0; i + 1 < N; ++i) {
    out[i] = i + 2 < N ? static_cast<char>(static_cast<unsigned char>(text[i]) ^ key) : text[i];
  }
  return out;
}

template <std::size_t N>
std::string DescrambleText(const std::array<char, N>& stored, unsigned char key) {
  return DescrambleText(std::string(stored.data(), N), key);
}

}  // namespace vexa
