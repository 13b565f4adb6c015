// The harness itself: the prefix has what the panel's windows are drawn
// with. The stand-in's record and exit codes and the browser's way to the
// HTTP recorder are proved by the tests that rely on them (the service
// buttons' and the installation's, the link's).
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/e2e/driver.h"

namespace vexa::e2e {
namespace {

// Caption buttons are glyphs of Marlett: without the font in the prefix they
// came out as the letters "0 1 r". The same prefix runs the demo.
TEST(Harness, PrefixHasTheMarlettFontForCaptionButtons) {
  HDC screen = GetDC(nullptr);
  LOGFONTA wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpyA(wanted.lfFaceName, "Marlett");
  int found = 0;
  EnumFontFamiliesExA(
      screen, &wanted,
      [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM counter) -> int {
        if (lstrcmpiA(font->lfFaceName, "Marlett") == 0) ++*reinterpret_cast<int*>(counter);
        return 1;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  // And a font asked for by that name is that font, not a substitute.
  HFONT font = CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, "Marlett");
  HGDIOBJ old = SelectObject(screen, font);
  char face[LF_FACESIZE] = "";
  GetTextFaceA(screen, sizeof face, face);
  SelectObject(screen, old);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  EXPECT_GT(found, 0);
  EXPECT_STREQ(face, "Marlett");
}

}  // namespace
}  // namespace vexa::e2e
