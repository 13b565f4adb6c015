#pragma once
// The main window's tab strip. Each tab carries its page window as item
// data; picking a tab hides the old page at once and slides the new one in
// from the left, with a short sound when it arrives. A page may be built
// only when it is first needed.
#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "base/scoped_handles_win32.h"
#include "controls/slide.h"
#include "ui/control_win32.h"

namespace vexa {

class CSoundTabCtrl : public CControl {
 public:
  static constexpr UINT_PTR kSlideTimerId = 1;
  static constexpr UINT kSlideTimerMs = 8;
  // Posted to the strip: a page built for its selection begins its slide.
  static constexpr UINT kBeginSlideMessage = WM_APP + 1;

  CSoundTabCtrl() = default;
  ~CSoundTabCtrl() override;

  // Makes a tab's page window (a child of the strip, hidden); null when it
  // could not be made, which the builder has told the user.
  using PageBuilder = std::function<HWND()>;

  // Appends a tab for an existing page window (a child of the strip).
  void AddPage(const std::string& caption, HWND page);
  // Appends a tab whose page is built the first time anything asks the
  // strip for it: its selection, the keyboard, whoever reads the tab's item
  // data. The first tab's page is built at once, since it shows.
  void AddPage(const std::string& caption, PageBuilder build);
  // The page window of a tab, or null.
  HWND PageAt(int index) const;
  // A page still sliding in stands at its place at once (the keyboard is
  // about to go into it).
  void FinishSlide();

  int slideStep = kSlideStep;  // at 96 DPI
  BOOL slideEnabled = TRUE;  // FALSE: a picked page simply appears

  bool OnReflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnAttach() override;

 private:
  void OnSelChanging();
  void OnSelChanged();
  void BeginSlide(HWND page);
  void OnSlideTimer();
  void EndSlide();
  int InsertTab(const std::string& caption, HWND page);
  void BuildPage(int index);
  // At its place, filling the display area.
  void PlaceNewPage(HWND page);
  RECT PageRectInStrip(HWND page) const;
  PageBox PagePlace() const;
  void PlacePage(HWND page, int x, int y);
  void PaintSlideImage(HWND page);
  void KeepSlideBackground();
  void DrawSlideStep();
  void KeepPageImage(HWND page);

  int slideWidth = 0;            // width of the page being slid in
  HWND slidingPage = nullptr;    // not owned; null when no slide runs
  HWND pendingSlide_ = nullptr;  // placed to slide, its picture not painted yet
  RECT slideArea_ = {};          // where the sliding page comes to rest
  POINT pageOrigin = {kSlideEndX, kPageTop};  // set by the first AddPage
  int pageCount = 0;
  // Tabs whose page is still to be built. A builder runs once: a page that
  // could not be made leaves its tab empty rather than ask again each time.
  std::map<int, PageBuilder> unbuilt_;
  // The sliding page as it looks, painted once when its slide starts.
  ScopedGdiObject<HBITMAP> slideImage_;
  // The strip under slideArea_ with no page shown.
  ScopedGdiObject<HBITMAP> slideBackground_;
  // Each page as its controls last painted it at rest, kept when it is hidden.
  std::map<HWND, ScopedGdiObject<HBITMAP>> pageImages_;
};

}  // namespace vexa
