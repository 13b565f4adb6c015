// The last component of a directory value (for the web directory address)
// and the directory part of a path (for the program directory), with
// arbitrary bytes. Properties: the component is a byte suffix of the input,
// cut right after a real separator character or not at all, and holds no
// separator character, and goes into the web address with only space, "#",
// "%" and "?" escaped; the directory part is a byte prefix ending in a real
// backslash, and the rest holds none. The texts are UTF-8, where every
// byte of a non-ASCII character is 0x80 or above: each byte 0x5C or 0x2F is
// a separator.
#include <cstdint>
#include <string>

#include "config/program_directory.h"
#include "fuzz/gbk_reference.h"
#include "tracker/web_address.h"

namespace {

using vexa_fuzz::Check;

// For each byte offset of text: the ASCII character there, or 0 for a byte
// of a longer UTF-8 sequence.
std::string SingleByteChars(const std::string& text) {
  std::string chars(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) chars[i] = c == 0 ? '\x01' : text[i];
  }
  return chars;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string chars = SingleByteChars(input);

  const std::string last = vexa::LastPathComponent(input);
  Check(last.size() <= input.size() &&
            input.compare(input.size() - last.size(), last.size(), last) == 0,
        "component is no suffix", input, last);
  const std::size_t cut = input.size() - last.size();
  if (cut != 0) {
    Check(chars[cut - 1] == '\\' || chars[cut - 1] == '/',
          "component not cut after a separator", input, last);
  }
  Check(last.find('\\') == std::string::npos && last.find('/') == std::string::npos,
        "component holds a separator", input, last);
  // In the address, the unreserved characters (letters, digits, "-", ".",
  // "_", "~") are themselves and every other byte is %XX.
  std::string escaped;
  for (char c : last) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool unreserved = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                            (u >= '0' && u <= '9') || u == '-' || u == '.' || u == '_' || u == '~';
    if (unreserved) {
      escaped += c;
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      escaped += '%';
      escaped += kHex[u >> 4];
      escaped += kHex[u & 0x0F];
    }
  }
  Check(vexa::WebFileDirectoryUrl("http://localhost:6969", input) ==
            "http://localhost:6969/" + escaped,
        "web directory address", input);

  const std::string directory = vexa::DirectoryOfPath(input);
  Check(input.compare(0, directory.size(), directory) == 0, "directory is no prefix", input,
        directory);
  if (!directory.empty()) {
    Check(chars[directory.size() - 1] == '\\',
          "directory does not end in a backslash", input, directory);
  }
  Check(chars.find('\\', directory.size()) == std::string::npos,
        "a backslash after the directory", input, directory);
  return 0;
}
