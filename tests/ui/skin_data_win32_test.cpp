// The skin data the program carries, read the way VexaAdmin.dll reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "skin/skin_data.h"

namespace vexa {
namespace {

TEST(SkinData, TheProgramsSkinResourceParsesToItsColours) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC res = FindResourceA(module, "DEFAULT", "SKINMAGIC");
  ASSERT_NE(res, nullptr);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, res)));
  ASSERT_NE(bytes, nullptr);
  SkinColours colours;
  ASSERT_TRUE(ParseSkin(std::string(bytes, SizeofResource(module, res)), &colours));
  EXPECT_EQ(colours.dialog, RGB(0xE4, 0xED, 0xF8));
  EXPECT_EQ(colours.text, RGB(0x10, 0x2E, 0x57));
  EXPECT_EQ(colours.edit, RGB(0xFF, 0xFF, 0xFF));
}

TEST(SkinData, BadLinesKeepDefaultsAndAForeignBlockIsRefused) {
  SkinColours colours;
  EXPECT_TRUE(ParseSkin("VEXASKIN 1\r\n; note\r\ndialog=#12345\r\ntext = #0A0b0C\r\nsize=3\r\n",
                        &colours));
  EXPECT_EQ(colours.dialog, SkinColours().dialog);
  EXPECT_EQ(colours.text, RGB(0x0A, 0x0B, 0x0C));
  SkinColours other;
  EXPECT_FALSE(ParseSkin("dialog=#FFFFFF\n", &other));
  EXPECT_FALSE(ParseSkin("", &other));
}

}  // namespace
}  // namespace vexa
