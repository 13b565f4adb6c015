#include "controls/slide.h"

#include <algorithm>

#include "ui/window_geometry.h"

namespace vexa {

PageBox PagePlace(const PageBox& display, int dpi) {
  PageBox place = display;
  place.left = std::max(display.left, ScaleToDpi(kSlideEndX, dpi));
  place.top = std::max(display.top, ScaleToDpi(kPageTop, dpi));
  return place;
}

int SlideStartX(int left, int width) { return left - width; }

SlideTick NextSlideTick(int left, int step, int endX) {
  if (left < endX - step) return {left + step, false};
  return {endX, true};
}

}  // namespace vexa
