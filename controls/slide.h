#pragma once
// The arithmetic of a page sliding into the tab strip from the left.
namespace vexa {

// Lengths in pixels at 96 DPI; ScaleToDpi (ui/window_geometry.h) gives them
// at the screen's DPI.
inline constexpr int kSlideStep = 45;   // pixels per tick
inline constexpr int kSlideEndX = 4;    // where every page comes to rest
inline constexpr int kPageTop = 28;     // the top of every page

struct PageBox {
  int left, top, right, bottom;
};

// Where the pages stand inside the strip's display area: at (4, 28) scaled
// to the DPI, but never above or left of the area (the tabs' row grows with
// the font), reaching to the area's right and bottom edges.
PageBox PagePlace(const PageBox& display, int dpi);

// Where a slide starts: one page width left of where the page stands now.
int SlideStartX(int left, int width);

struct SlideTick {
  int x;        // the page's new left edge
  bool snapped; // the page reached its place: the slide is over
};

// One tick: a page still short of its place (endX) by more than a step
// moves one step right; otherwise it snaps to endX.
SlideTick NextSlideTick(int left, int step = kSlideStep, int endX = kSlideEndX);

}  // namespace vexa
