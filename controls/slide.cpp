#include "controls/slide.h"

namespace vexa {

int SlideStartX(int left, int width) { return left - width; }

SlideTick NextSlideTick(int left, int step) {
  if (left < kSlideEndX - step) return {left + step, false};
  return {kSlideEndX, true};
}

}  // namespace vexa
