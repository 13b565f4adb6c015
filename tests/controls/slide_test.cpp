#include "controls/slide.h"

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

TEST(Slide, ALargerStepIsHonoured) {
  EXPECT_EQ(NextSlideTick(-200, 100).x, -100);
  EXPECT_TRUE(NextSlideTick(-96, 100).snapped);
}

}  // namespace
}  // namespace vexa
