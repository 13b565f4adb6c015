#pragma once
// Where a dialog goes on the screen, as arithmetic.
namespace vexa {

struct ScreenRect {
  int left, top, right, bottom;
};

struct ScreenPoint {
  int x, y;
};

// A length of pixels at 96 DPI, at dpi (rounded to the nearest pixel).
int ScaleToDpi(int pixels, int dpi);

// The top-left corner that centres a window of the given size on its owner,
// moved back into the work area where it would stick out (the left and top
// edges win when the window is larger than the work area).
ScreenPoint CenteredOrigin(const ScreenRect& owner, int width, int height,
                           const ScreenRect& workArea);

}  // namespace vexa
