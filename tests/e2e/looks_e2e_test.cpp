// What the real panel looks like: the tab slide drawn cleanly at every step,
// the link labels on the page's own background, every control inside its
// group box, the busy caption of the install button whole. Each test keeps
// its pictures in the artefact folder for a person to look at.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/driver.h"

namespace vexa::e2e {
namespace {

constexpr int kDirectoriesTab = 1;
constexpr LONG kPageX = 4;

bool SameColour(COLORREF a, COLORREF b, int tolerance = 24) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// A rectangle of window in the coordinates of the picture of top (frame included).
RECT InPicture(HWND window, HWND top) {
  RECT r = RectIn(window, nullptr);
  RECT t = RectIn(top, nullptr);
  OffsetRect(&r, -t.left, -t.top);
  return r;
}

struct SlideFrame {
  Picture picture;
  LONG pageX;  // the page's left edge in the strip when the picture was taken
};

// Pictures of the main window taken as fast as they come while the page
// slides in, each with the page's position; only those taken while the page
// stood still, short of its place.
std::vector<SlideFrame> PicturesOfSlide(HWND main, HWND tabs, HWND page) {
  std::vector<SlideFrame> frames;
  WaitUntil(
      [&] {
        LONG before = RectIn(page, tabs).left;
        Picture picture = CaptureWindow(main);
        LONG after = RectIn(page, tabs).left;
        if (before == after && before != kPageX) frames.push_back({std::move(picture), before});
        return after == kPageX;
      },
      5000, 0);
  return frames;
}

// Share of the visible part of the page in frame that differs from the page
// at rest in final, moved by the distance still to go.
double DifferenceFromPageAtRest(const SlideFrame& frame, const Picture& final, HWND main,
                                HWND tabs, HWND page) {
  RECT strip = InPicture(tabs, main);
  RECT rest = InPicture(page, main);  // the page at x = 4
  int shift = static_cast<int>(frame.pageX - kPageX);
  long differing = 0, compared = 0;
  for (int y = rest.top; y < rest.bottom && y < strip.bottom; ++y) {
    for (int x = rest.left + shift; x < rest.right + shift; ++x) {
      if (x < strip.left || x >= strip.right) continue;
      ++compared;
      if (!SameColour(frame.picture.At(x, y), final.At(x - shift, y))) ++differing;
    }
  }
  return compared == 0 ? 1.0 : static_cast<double>(differing) / compared;
}

// A move that dragged the old pixels along left each step with doubled or
// half-drawn labels ("发布主目录发布主目录").
TEST(Looks, SlideDrawsEveryStepOnceAndWhole) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND main = panel.Main();
  HWND tabs = panel.Tabs();
  HWND page = panel.Page(kDirectoriesTab);
  SetForegroundWindow(main);

  // The page at rest, then once more sliding in.
  SelectTab(tabs, kDirectoriesTab);
  ASSERT_TRUE(WaitUntil([&] { return RectIn(page, tabs).left == kPageX; }, 5000));
  ASSERT_NE(SaveScreenshot(main, "slide-at-rest"), "");
  Picture final = CaptureWindow(main);
  SelectTab(tabs, 0);
  ASSERT_TRUE(WaitUntil([&] { return RectIn(panel.Page(0), tabs).left == kPageX; }, 5000));
  Sleep(300);

  SelectTab(tabs, kDirectoriesTab);
  std::vector<SlideFrame> frames = PicturesOfSlide(main, tabs, page);
  ASSERT_FALSE(frames.empty()) << "no picture caught the page on its way";
  int kept = 0;
  LONG lastKept = 0;
  for (const SlideFrame& frame : frames) {
    double difference = DifferenceFromPageAtRest(frame, final, main, tabs, page);
    EXPECT_LT(difference, 0.01) << "page at x = " << frame.pageX;
    if (kept == 0 || frame.pageX != lastKept) {
      SavePicture(frame.picture, "slide-" + std::to_string(kept++) + "-x" +
                                     std::to_string(frame.pageX));
      lastKept = frame.pageX;
    }
  }
}

TEST(Looks, LinkLabelsSitOnThePageBackground) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND main = panel.Main();
  HWND service = panel.Page(0);
  ASSERT_NE(SaveScreenshot(main, "service-links"), "");
  Picture picture = CaptureWindow(main);

  for (int id : {IDC_SVC_LINK1, IDC_SVC_LINK2}) {
    SCOPED_TRACE(id);
    RECT label = InPicture(Item(service, id), main);
    // The page just left of the label is what the label's own background must be.
    COLORREF page = picture.At(label.left - 3, (label.top + label.bottom) / 2);
    ASSERT_NE(page, CLR_INVALID);
    EXPECT_FALSE(SameColour(page, GetSysColor(COLOR_BTNFACE), 4)) << "the page is not skinned";
    // Text is blue (or red, purple); everything else in the label is background.
    long foreign = 0;
    for (int y = label.top; y < label.bottom; ++y) {
      for (int x = label.left; x < label.right; ++x) {
        COLORREF c = picture.At(x, y);
        bool ink = GetBValue(c) > GetRValue(c) + 40 || GetRValue(c) > GetGValue(c) + 80;
        if (!ink && !SameColour(c, page, 12)) ++foreign;
      }
    }
    EXPECT_EQ(foreign, 0) << "pixels of another background";
  }
}

TEST(Looks, EveryControlSitsInsideItsGroupBox) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  for (int tab = 1; tab < 4; ++tab) {
    HWND page = panel.Page(tab);
    std::vector<RECT> groups;
    std::vector<HWND> others;
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      bool group = ClassOf(c) == "Button" && (StyleOf(c) & BS_TYPEMASK) == BS_GROUPBOX;
      if (group) {
        groups.push_back(RectIn(c, page));
      } else {
        others.push_back(c);
      }
    }
    ASSERT_FALSE(groups.empty()) << "tab " << tab;
    for (HWND c : others) {
      RECT r = RectIn(c, page);
      for (const RECT& g : groups) {
        POINT corner = {r.left, r.top};
        if (!PtInRect(&g, corner)) continue;
        // Clear of the box's lines by a few pixels.
        EXPECT_LE(r.bottom, g.bottom - 4) << "tab " << tab << ", control " << GetDlgCtrlID(c);
        EXPECT_LE(r.right, g.right - 2) << "tab " << tab << ", control " << GetDlgCtrlID(c);
      }
    }
    SelectTab(panel.Tabs(), tab);
    WaitUntil([&] { return RectIn(page, panel.Tabs()).left == kPageX; }, 5000);
    SaveScreenshot(panel.Main(), "groups-tab-" + std::to_string(tab));
  }
}

TEST(Looks, BusyCaptionOfTheInstallButtonWrapsOnTwoLines) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));
  HWND service = panel.Page(0);
  HWND button = Item(service, IDC_SVC_ONE_CLICK);
  EXPECT_TRUE(StyleOf(button) & BS_MULTILINE);
  // The caption the installation shows while it works.
  ASSERT_TRUE(SetText(button, "请耐心等待，正在初始化Vexa......"));
  ASSERT_NE(SaveScreenshot(panel.Main(), "service-busy-caption"), "");
}

}  // namespace
}  // namespace vexa::e2e
