// What the real panel looks like: the tab slide drawn cleanly at every step,
// the link labels on the page's own background, every control inside its
// group box. Each test keeps its pictures in the artefact folder for a
// person to look at. The install button's busy caption is looked at where
// the installation shows it (service_page_e2e_test.cpp).
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/driver.h"

namespace vexa::e2e {
namespace {

constexpr LONG kSlideStep = 45;

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

// Pictures of the main window taken as fast as they come while the page
// slides in, until it stands at its place.
std::vector<Picture> PicturesOfSlide(HWND main, HWND tabs, HWND page) {
  std::vector<Picture> frames;
  WaitUntil(
      [&] {
        if (RectIn(page, tabs).left == kPageX) return true;
        frames.push_back(CaptureWindow(main));
        return false;
      },
      5000, 0);
  return frames;
}

// Share of the visible part of the page in frame that differs from the page
// at rest, moved to stand at pageX.
double DifferenceFromPageAt(const Picture& frame, LONG pageX, const Picture& final, HWND main,
                            HWND tabs, HWND page) {
  RECT strip = InPicture(tabs, main);
  RECT rest = InPicture(page, main);  // the page at x = 4
  int shift = static_cast<int>(pageX - kPageX);
  long differing = 0, compared = 0;
  for (int y = rest.top; y < rest.bottom && y < strip.bottom; ++y) {
    for (int x = rest.left + shift; x < rest.right + shift; ++x) {
      // Left of its place the strip shows only a sliver of the page; the
      // picture at rest shows the page only inside the strip.
      if (x < rest.left || x >= strip.right || x - shift >= strip.right) continue;
      ++compared;
      if (!SameColour(frame.At(x, y), final.At(x - shift, y))) ++differing;
    }
  }
  return compared == 0 ? 1.0 : static_cast<double>(differing) / compared;
}

// Share of the page's place that differs from before (the old page still
// on screen), or, without before, from the plain colour of the strip (the
// old page gone, the new one not there yet).
double DifferenceFromNoPage(const Picture& frame, const Picture* before, HWND main, HWND tabs,
                            HWND page) {
  RECT strip = InPicture(tabs, main);
  RECT rest = InPicture(page, main);
  COLORREF plain = frame.At(rest.left + 1, rest.top + 1);
  long differing = 0, compared = 0;
  for (int y = rest.top; y < rest.bottom && y < strip.bottom; ++y) {
    for (int x = rest.left; x < rest.right && x < strip.right; ++x) {
      ++compared;
      if (!SameColour(frame.At(x, y), before ? before->At(x, y) : plain)) ++differing;
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

  // Its first slide (drawn from its controls), the page at rest, then more
  // slides (drawn from the picture kept when it was hidden).
  Picture service = CaptureWindow(main);  // the old page of every slide below
  SelectTab(tabs, kDirectoriesTab);
  std::vector<Picture> first = PicturesOfSlide(main, tabs, page);
  ASSERT_TRUE(WaitForPageAtRest(panel, kDirectoriesTab));
  ASSERT_NE(SaveScreenshot(main, "slide-at-rest"), "");
  Picture final = CaptureWindow(main);
  std::vector<Picture> later;
  for (int round = 0; round < 5; ++round) {
    SelectTab(tabs, 0);
    ASSERT_TRUE(WaitForPageAtRest(panel, 0));
    SelectTab(tabs, kDirectoriesTab);
    for (Picture& frame : PicturesOfSlide(main, tabs, page)) later.push_back(std::move(frame));
  }

  // Every place the page takes: one width to the left, then 45 pixels a
  // step, then its place. What reaches the screen may lag the window, so a
  // picture must show the page, whole and once, at one of them.
  LONG width = RectIn(page, tabs).right - RectIn(page, tabs).left;
  std::vector<LONG> positions;
  for (LONG x = kPageX - width; x < kPageX - kSlideStep;) {
    x += kSlideStep;
    positions.push_back(x);
  }
  positions.push_back(kPageX);
  const LONG start = kPageX - width;  // all of it left of its place: not on screen
  int number = 0, midway = 0;
  auto check = [&](const Picture& frame, double allowed, const char* which) {
    double best = std::min(DifferenceFromNoPage(frame, nullptr, main, tabs, page),
                           DifferenceFromNoPage(frame, &service, main, tabs, page));
    LONG bestX = start;
    for (LONG x : positions) {
      double difference = DifferenceFromPageAt(frame, x, final, main, tabs, page);
      if (difference < best) {
        best = difference;
        bestX = x;
      }
    }
    if (bestX != start && bestX != kPageX) ++midway;
    std::string name = std::string("slide-") + which + "-" + std::to_string(number++) + "-x" +
                       std::to_string(bestX);
    EXPECT_LT(best, allowed) << name;
    if (best >= allowed || number <= 40) SavePicture(frame, name);
  };
  // In the first slide the fields get their edges from the panel, not from
  // the system: close, not equal.
  for (const Picture& frame : first) check(frame, 0.08, "first");
  for (const Picture& frame : later) check(frame, 0.01, "again");
  EXPECT_GT(midway, 0) << "no picture caught the page between its start and its place";
}

// At every DPI, in two fonts, each page fills the strip's display area,
// without covering the tabs or the frame, and every control lies inside
// it; at 96 DPI the pages stand at (4, 28) as they always did.
TEST(Looks, PagesFillTheTabDisplayAreaAtEveryDpi) {
  // The prefix's font (the suite's), then one whose lines are taller.
  for (const std::string& font : {std::string(), std::string("WenQuanYi Zen Hei")}) {
    SCOPED_TRACE(font);
    const std::string prefix = font.empty() ? "" : "zenhei-";
    for (DWORD dpi : {96, 120, 144, 192}) {
      SCOPED_TRACE(dpi);
      ProgramDir dir;
      ASSERT_TRUE(dir.Ready());
      Panel panel;
      {
        // A process takes the DPI and the fonts when it starts. Wine's
        // replacements of the dialogs' faces (scripts/wine-env.sh) set the
        // dialog units.
        RegistryValueOverride screen("Control Panel\\Desktop", "LogPixels");
        ASSERT_TRUE(screen.Set(dpi));
        std::deque<RegistryValueOverride> faces;
        for (const char* face : {"MS Shell Dlg", "MS Shell Dlg 2", "宋体"}) {
          if (font.empty()) break;
          faces.emplace_back("Software\\Wine\\Fonts\\Replacements", face).Set(font);
        }
        ASSERT_TRUE(panel.Start(dir));
      }
      HWND tabs = panel.Tabs();
      RECT area = TabDisplayArea(tabs);
      ASSERT_LT(area.left, area.right);
      for (int tab = 0; tab < 4; ++tab) {
        SCOPED_TRACE(tab);
        HWND page = ShowTab(panel, tab);
        RECT r = RectIn(page, tabs);
        if (dpi == 96) {
          EXPECT_EQ(r.left, 4);
          EXPECT_EQ(r.top, 28);
        }
        EXPECT_GE(r.left, area.left);
        EXPECT_GE(r.top, area.top);
        EXPECT_EQ(r.right, area.right);
        EXPECT_EQ(r.bottom, area.bottom);
        for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
          RECT inside = RectIn(c, tabs);
          EXPECT_TRUE(inside.left >= area.left && inside.top >= area.top &&
                      inside.right <= area.right && inside.bottom <= area.bottom)
              << "control " << GetDlgCtrlID(c) << " at " << inside.left << "," << inside.top << "-"
              << inside.right << "," << inside.bottom;
        }
        SaveScreenshot(panel.Main(),
                       prefix + "dpi-" + std::to_string(dpi) + "-tab-" + std::to_string(tab));
      }
      // The restore dialog, its list and buttons inside it.
      ClickItem(ShowTab(panel, 0), IDC_SVC_RESTORE);
      auto dialog = WaitForMessageBox(panel.Pid(), panel.Main());
      ASSERT_TRUE(dialog);
      RECT client = {};
      GetClientRect(dialog->window, &client);
      for (int id : {IDC_RESTORE_LIST, IDOK, IDCANCEL}) {
        RECT r = RectIn(Item(dialog->window, id), dialog->window);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right &&
                    r.bottom <= client.bottom)
            << "control " << id;
      }
      SaveScreenshot(dialog->window, prefix + "dpi-" + std::to_string(dpi) + "-restore-dialog");
      ASSERT_TRUE(PressButton(*dialog, IDCANCEL));
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
    // The text is blue, its edges blend blue into the page: a grey pixel in
    // the label (all three channels alike, unlike the page) is another
    // background showing through.
    long grey = 0, all = 0;
    for (int y = label.top; y < label.bottom; ++y) {
      for (int x = label.left; x < label.right; ++x) {
        COLORREF c = picture.At(x, y);
        int high = std::max({GetRValue(c), GetGValue(c), GetBValue(c)});
        int low = std::min({GetRValue(c), GetGValue(c), GetBValue(c)});
        ++all;
        if (high - low < 10 && !SameColour(c, page, 12)) ++grey;
      }
    }
    EXPECT_EQ(grey, 0) << "grey pixels out of " << all;
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
    WaitForPageAtRest(panel, tab);
    SaveScreenshot(panel.Main(), "groups-tab-" + std::to_string(tab));
  }
}

}  // namespace
}  // namespace vexa::e2e
