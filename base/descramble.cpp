#include "base/descramble.h"

namespace vexa {

std::string DescrambleText(const std::string& text, unsigned char key) {
  std::string plain = text;
  // The last byte is kept as stored.
  for (std::size_t i = 0; i + 1 < plain.size(); ++i) {
    plain[i] = static_cast<char>(static_cast<unsigned char>(plain[i]) ^ key);
  }
  return plain;
}

}  // namespace vexa
