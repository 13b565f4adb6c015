#include "controls/sound_tab_ctrl.h"

#include <commctrl.h>
#include <mmsystem.h>

#include "controls/slide.h"
#include "ui/scoped.h"

namespace vexa {

namespace {
constexpr char kTabSound[] = "tab.wav";
// Asynchronous, no default sound when the file is missing, no wait when busy.
constexpr UINT kTabSoundFlags = SND_ASYNC | SND_NODEFAULT | SND_NOWAIT;
static_assert(kTabSoundFlags == 0x2003, "sound flags");
constexpr UINT kPlaceFlags = SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED;
static_assert(kPlaceFlags == 0x25, "placement flags");
}  // namespace

CSoundTabCtrl::~CSoundTabCtrl() {
  if (Handle()) DestroyWindow(Handle());
}

void CSoundTabCtrl::OnAttach() {
  // Keyboard navigation may pass through the strip into its pages.
  LONG_PTR ex = GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
  SetWindowLongPtrA(Handle(), GWL_EXSTYLE, ex | WS_EX_CONTROLPARENT);
}

void CSoundTabCtrl::AddPage(const std::string& caption, HWND page) {
  TCITEMA item = {};
  item.mask = TCIF_TEXT | TCIF_PARAM;
  item.pszText = const_cast<char*>(caption.c_str());
  item.lParam = reinterpret_cast<LPARAM>(page);
  SendMessageA(Handle(), TCM_INSERTITEMA, static_cast<WPARAM>(pageCount),
               reinterpret_cast<LPARAM>(&item));
  SetWindowPos(page, nullptr, pageOrigin.x, pageOrigin.y, 0, 0, kPlaceFlags);
  ShowWindow(page, pageCount == 0 ? SW_SHOW : SW_HIDE);
  ++pageCount;
}

HWND CSoundTabCtrl::PageAt(int index) const {
  TCITEMA item = {};
  item.mask = TCIF_PARAM;
  if (!SendMessageA(Handle(), TCM_GETITEMA, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&item))) {
    return nullptr;
  }
  return reinterpret_cast<HWND>(item.lParam);
}

bool CSoundTabCtrl::OnReflect(UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  if (message != WM_NOTIFY) return false;
  switch (reinterpret_cast<NMHDR*>(lParam)->code) {
    case TCN_SELCHANGING:
      OnSelChanging();
      *result = FALSE;  // the change is allowed
      return true;
    case TCN_SELCHANGE:
      OnSelChanged();
      *result = 0;
      return true;
    default:
      return false;
  }
}

void CSoundTabCtrl::OnSelChanging() {
  int current = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
  if (HWND page = PageAt(current)) ShowWindow(page, SW_HIDE);
}

void CSoundTabCtrl::OnSelChanged() {
  int current = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
  HWND page = PageAt(current);
  if (!page) return;
  if (!slideEnabled) {
    ShowWindow(page, SW_SHOW);
    return;
  }
  RECT r = PageRectInStrip(page);
  slideWidth = r.right - r.left;
  MovePage(page, SlideStartX(r.left, slideWidth), r.top, slideWidth, r.bottom - r.top);
  ShowWindow(page, SW_SHOW);
  slidingPage = page;
  // Setting the same timer again restarts it for the new page.
  SetTimer(Handle(), kSlideTimerId, kSlideTimerMs, nullptr);
}

void CSoundTabCtrl::OnSlideTimer() {
  if (!slidingPage) return;  // a tick before the first slide has nothing to move
  RECT r = PageRectInStrip(slidingPage);
  SlideTick tick = NextSlideTick(r.left, slideStep);
  if (!tick.snapped) {
    MovePage(slidingPage, tick.x, r.top, r.right - r.left, r.bottom - r.top);
    return;
  }
  MovePage(slidingPage, tick.x, r.top, slideWidth, r.bottom - r.top);
  KillTimer(Handle(), kSlideTimerId);
  sndPlaySoundA(kTabSound, kTabSoundFlags);
}

// A move that copied the old pixels along and repainted only the newly
// shown strip left each step with half-drawn or doubled labels. Instead the
// move draws nothing; then the strip repaints what the page uncovered and
// the page repaints itself once, whole, before the next tick.
void CSoundTabCtrl::MovePage(HWND page, int x, int y, int width, int height) {
  RECT before = PageRectInStrip(page);
  SetWindowPos(page, nullptr, x, y, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOREDRAW);
  RECT after = PageRectInStrip(page);
  ScopedGdiObject<HRGN> uncovered(CreateRectRgnIndirect(&before));
  ScopedGdiObject<HRGN> covered(CreateRectRgnIndirect(&after));
  if (uncovered && covered) {
    CombineRgn(uncovered.Get(), uncovered.Get(), covered.Get(), RGN_DIFF);
    RedrawWindow(Handle(), nullptr, uncovered.Get(), RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
  if (IsWindowVisible(page)) {
    RedrawWindow(page, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
}

RECT CSoundTabCtrl::PageRectInStrip(HWND page) const {
  RECT r;
  GetWindowRect(page, &r);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LRESULT CSoundTabCtrl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) OnSlideTimer();
  if (message == WM_DESTROY) KillTimer(Handle(), kSlideTimerId);
  return DefaultProc(message, wParam, lParam);
}

}  // namespace vexa
