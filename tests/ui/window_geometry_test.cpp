#include "ui/window_geometry.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(WindowGeometry, DialogIsCentredOnItsOwnerAndKeptInsideTheWorkArea) {
  const ScreenRect work = {0, 0, 1024, 738};
  struct Case {
    ScreenRect owner;
    int width, height;
    int x, y;
  };
  const Case cases[] = {
      {{100, 50, 740, 530}, 280, 150, 280, 215},   // well inside
      {{100, 50, 741, 531}, 281, 151, 280, 215},   // odd sizes round down both ways
      {{-300, 10, 340, 490}, 280, 150, 0, 175},    // owner half off the left edge
      {{700, 600, 1340, 1080}, 280, 150, 744, 588}, // off the right and bottom
      {{0, 0, 200, 100}, 1100, 800, 0, 0},         // larger than the work area
  };
  for (const Case& c : cases) {
    ScreenPoint p = CenteredOrigin(c.owner, c.width, c.height, work);
    EXPECT_EQ(p.x, c.x) << c.owner.left << "," << c.owner.top;
    EXPECT_EQ(p.y, c.y) << c.owner.left << "," << c.owner.top;
  }
}

}  // namespace
}  // namespace vexa
