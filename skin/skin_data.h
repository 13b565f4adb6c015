#pragma once
// The skin format: a "VEXASKIN 1" line, then key=#RRGGBB lines; ';' starts
// a comment line. Unknown keys are ignored, so older components read newer
// skins.
#include <cstdint>
#include <string>

namespace vexa {

struct SkinColours {
  // 0x00BBGGRR, the system's COLORREF layout.
  std::uint32_t dialog = 0x00F0F0F0;
  std::uint32_t text = 0x00000000;
  std::uint32_t edit = 0x00FFFFFF;
  std::uint32_t editText = 0x00000000;
};

// False when the data does not start with the format line; colours that
// are missing or malformed keep their defaults.
bool ParseSkin(const std::string& data, SkinColours* colours);

}  // namespace vexa
