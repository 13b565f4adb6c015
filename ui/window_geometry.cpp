#include "ui/window_geometry.h"

namespace vexa {

int ScaleToDpi(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }

namespace {

int KeepInside(int start, int size, int low, int high) {
  if (start + size > high) start = high - size;
  if (start < low) start = low;
  return start;
}

}  // namespace

ScreenPoint CenteredOrigin(const ScreenRect& owner, int width, int height,
                           const ScreenRect& workArea) {
  // Halves rounded down on both sides, so that odd sizes do not drift.
  int x = owner.left + (owner.right - owner.left) / 2 - width / 2;
  int y = owner.top + (owner.bottom - owner.top) / 2 - height / 2;
  return {KeepInside(x, width, workArea.left, workArea.right),
          KeepInside(y, height, workArea.top, workArea.bottom)};
}

}  // namespace vexa
