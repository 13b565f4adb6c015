#include "controls/link_label_logic.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

bool Same(const LabelRect& a, const LabelRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(LinkLabelFit, KeepsTheEdgeOrCentreTheAlignmentNames) {
  // A 100 x 20 window with a 2-pixel border all round (client 96 x 16).
  const LabelRect window{10, 50, 110, 70};
  // Text 40 x 12 becomes 44 x 16 with the border.
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 40, 12, LabelAlign::Left, false),
                   LabelRect{10, 50, 54, 66}));
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 40, 12, LabelAlign::Right, false),
                   LabelRect{66, 50, 110, 66}));
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 40, 12, LabelAlign::Center, false),
                   LabelRect{38, 50, 82, 66}));
  // Centre image: (20 - 16) / 2 off top and bottom.
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 40, 12, LabelAlign::Left, true),
                   LabelRect{10, 52, 54, 68}));
  // Odd differences truncate; text wider than the window grows it both ways.
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 41, 13, LabelAlign::Center, true),
                   LabelRect{37, 51, 83, 69}));
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 131, 12, LabelAlign::Center, false),
                   LabelRect{-7, 50, 127, 66}));
}

TEST(LinkLabelOpen, BrowserCommandIsCutAtItsPlaceholder) {
  EXPECT_EQ(BrowserFallbackCommand("\"C:\\b\\web.exe\" \"%1\"", "http://x/"),
            "\"C:\\b\\web.exe\"  http://x/");
  EXPECT_EQ(BrowserFallbackCommand("C:\\b\\web.exe -url %1 -new", "http://x/"),
            "C:\\b\\web.exe -url  http://x/");
  EXPECT_EQ(BrowserFallbackCommand("C:\\b\\web.exe", "http://x/"), "C:\\b\\web.exe http://x/");
  // The quoted form wins over a bare %1 that comes first.
  EXPECT_EQ(CutBrowserCommand("a %1 \"%1\""), "a %1 ");
  // A Chinese folder name before the placeholder stays whole.
  EXPECT_EQ(CutBrowserCommand("C:\\浏览器\\web.exe %1"), "C:\\浏览器\\web.exe ");
}

TEST(LinkLabelOpen, ErrorTextsFollowTheShellCode) {
  EXPECT_EQ(OpenErrorMessage(2), "Unable to open hyperlink:\n\nThe specified file was not found.");
  EXPECT_EQ(OpenErrorMessage(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
  EXPECT_EQ(OpenErrorMessage(0),
            "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources.");
  EXPECT_EQ(OpenErrorMessage(30),
            "Unable to open hyperlink:\n\nThe DDE transaction could not\nbe completed because "
            "other DDE transactions\nwere being processed.");
  EXPECT_EQ(OpenErrorMessage(42), "Unable to open hyperlink:\n\nUnknown Error (42) occurred.");
  EXPECT_EQ(OpenErrorMessage(-1), "Unable to open hyperlink:\n\nUnknown Error (-1) occurred.");
}

}  // namespace
}  // namespace vexa
