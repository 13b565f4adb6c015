#include "controls/slide.h"
#include "ui/window_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexa {
namespace {

struct Slide {
  std::vector<int> positions;  // left edge after each tick
  int steps = 0;
  int snaps = 0;
};

// Ticks until the page snaps, as the strip's timer does.
Slide RunSlide(int startX) {
  Slide s;
  int x = startX;
  for (int guard = 0; guard < 1000; ++guard) {
    SlideTick t = NextSlideTick(x);
    s.positions.push_back(t.x);
    x = t.x;
    if (t.snapped) {
      ++s.snaps;
      break;
    }
    ++s.steps;
  }
  return s;
}

TEST(Slide, A576PixelPageTakesTwelveStepsAndOneSnap) {
  int start = SlideStartX(4, 576);
  EXPECT_EQ(start, -572);
  Slide s = RunSlide(start);
  EXPECT_EQ(s.steps, 12);
  EXPECT_EQ(s.snaps, 1);
  ASSERT_EQ(s.positions.size(), 13u);
  EXPECT_EQ(s.positions[0], -527);
  EXPECT_EQ(s.positions[11], -32);  // first position at or beyond -41
  EXPECT_EQ(s.positions.back(), 4);
}

TEST(Slide, StepsUntilWithinOneStepThenSnapsWithoutPassingTheEnd) {
  EXPECT_EQ(NextSlideTick(-42).x, 3);  // still short by more than a step
  EXPECT_FALSE(NextSlideTick(-42).snapped);
  EXPECT_EQ(NextSlideTick(-41).x, 4);  // 4 - 45: the snap starts here
  EXPECT_TRUE(NextSlideTick(-41).snapped);
  EXPECT_TRUE(NextSlideTick(3).snapped);
  EXPECT_TRUE(NextSlideTick(4).snapped);
  for (int width : {1, 44, 45, 46, 100, 576, 1000}) {
    Slide s = RunSlide(SlideStartX(4, width));
    for (int x : s.positions) EXPECT_LE(x, 4) << "width " << width;
    EXPECT_EQ(s.positions.back(), 4) << "width " << width;
  }
}

TEST(Slide, ACutShortSlideRestartsOneWidthLeftOfWhereItStopped) {
  Slide first = RunSlide(SlideStartX(4, 576));
  int stopped = first.positions[4];  // cut short after five ticks
  EXPECT_EQ(stopped, -347);
  int restart = SlideStartX(stopped, 576);
  EXPECT_EQ(restart, -923);
  Slide second = RunSlide(restart);
  EXPECT_EQ(second.steps, 20);  // (-923 -> -23) in 45-pixel steps
  EXPECT_EQ(second.positions.back(), 4);
}

TEST(Slide, ALargerStepAndAnotherEndAreHonoured) {
  EXPECT_EQ(NextSlideTick(-200, 100).x, -100);
  EXPECT_TRUE(NextSlideTick(-96, 100).snapped);
  EXPECT_EQ(NextSlideTick(-62, 68, 6).x, 6);  // 144 DPI: within a step of 6
  EXPECT_FALSE(NextSlideTick(-63, 68, 6).snapped);
}

// At 96 DPI the pages stand where they always did; at other DPIs at the
// scaled place, pushed into the display area when the tabs' row is taller.
TEST(Slide, PagesStandInsideTheDisplayAreaAtEveryDpi) {
  struct Case {
    int dpi;
    PageBox display;
    PageBox place;
  } const cases[] = {
      {96, {2, 25, 588, 440}, {4, 28, 588, 440}},
      {120, {2, 30, 735, 550}, {5, 35, 735, 550}},
      {144, {3, 46, 882, 660}, {6, 46, 882, 660}},  // taller tabs than 28 * 1.5
      {192, {9, 50, 1176, 880}, {9, 56, 1176, 880}},
  };
  for (const Case& c : cases) {
    PageBox got = PagePlace(c.display, c.dpi);
    EXPECT_EQ(got.left, c.place.left) << c.dpi;
    EXPECT_EQ(got.top, c.place.top) << c.dpi;
    EXPECT_EQ(got.right, c.place.right) << c.dpi;
    EXPECT_EQ(got.bottom, c.place.bottom) << c.dpi;
  }
  EXPECT_EQ(ScaleToDpi(kSlideStep, 96), 45);
  EXPECT_EQ(ScaleToDpi(kSlideStep, 144), 68);  // 67.5 rounds up
}

}  // namespace
}  // namespace vexa
