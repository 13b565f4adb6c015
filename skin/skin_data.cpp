#include "skin/skin_data.h"

#include <cstddef>

namespace vexa {

namespace {

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "#RRGGBB" to 0x00BBGGRR.
bool ParseColour(const std::string& text, std::uint32_t* colour) {
  if (text.size() != 7 || text[0] != '#') return false;
  std::uint32_t rgb = 0;
  for (std::size_t i = 1; i < 7; ++i) {
    int d = HexDigit(text[i]);
    if (d < 0) return false;
    rgb = (rgb << 4) | static_cast<std::uint32_t>(d);
  }
  *colour = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
  return true;
}

}  // namespace

bool ParseSkin(const std::string& data, SkinColours* colours) {
  std::size_t pos = 0;
  bool first = true;
  while (pos <= data.size()) {
    std::size_t end = data.find('\n', pos);
    if (end == std::string::npos) end = data.size();
    std::string line = Trim(data.substr(pos, end - pos));
    pos = end + 1;
    if (first) {
      if (line != "VEXASKIN 1") return false;
      first = false;
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = Trim(line.substr(0, eq));
    std::string value = Trim(line.substr(eq + 1));
    if (key == "dialog") ParseColour(value, &colours->dialog);
    else if (key == "text") ParseColour(value, &colours->text);
    else if (key == "edit") ParseColour(value, &colours->edit);
    else if (key == "edittext") ParseColour(value, &colours->editText);
  }
  return !first;
}

}  // namespace vexa
