#pragma once
// The arithmetic of a page sliding into the tab strip from the left.
namespace vexa {

inline constexpr int kSlideStep = 45;   // pixels per tick
inline constexpr int kSlideEndX = 4;    // where every page comes to rest

// Where a slide starts: one page width left of where the page stands now.
int SlideStartX(int left, int width);

struct SlideTick {
  int x;        // the page's new left edge
  bool snapped; // the page reached its place: the slide is over
};

// One tick: a page still short of its place by more than a step moves one
// step right; otherwise it snaps to kSlideEndX.
SlideTick NextSlideTick(int left, int step = kSlideStep);

}  // namespace vexa
