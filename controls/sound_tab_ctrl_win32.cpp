#include "controls/sound_tab_ctrl_win32.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <utility>

#include "base/scoped_handles_win32.h"
#include "base/system_library_win32.h"
#include "base/wide_text.h"
#include "controls/slide.h"
#include "ui/window_geometry.h"

namespace vexa {

namespace {
constexpr wchar_t kTabSound[] = L"tab.wav";
// Asynchronous, no default sound when the file is missing, no wait when busy.
constexpr UINT kTabSoundFlags = SND_ASYNC | SND_NODEFAULT | SND_NOWAIT;
static_assert(kTabSoundFlags == 0x2003, "sound flags");
// Placed and sized to fill the display area: a page keeps only its
// template's contents, not its template's size.
constexpr UINT kPlaceFlags = SWP_NOZORDER | SWP_FRAMECHANGED;

// A memory DC like another one; whatever was selected into it is selected
// out again before it is deleted.
class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDc() {
    Deselect();
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return dc_; }
  void Select(HGDIOBJ object) {
    HGDIOBJ previous = SelectObject(dc_, object);
    if (!original_) original_ = previous;
  }
  void Deselect() {
    if (dc_ && original_) SelectObject(dc_, original_);
    original_ = nullptr;
  }

 private:
  HDC dc_;
  HGDIOBJ original_ = nullptr;
};

// A bitmap selected into a memory DC like another DC. The DC is declared
// after the bitmap, so it goes first and puts its own bitmap back: the
// bitmap is never deleted while selected (Windows refuses that and keeps
// the bitmap, one lost per picture).
struct BitmapDc {
  BitmapDc(HDC like, int width, int height)
      : bitmap(CreateCompatibleBitmap(like, width, height)), memory(like) {
    if (Ready()) memory.Select(bitmap.Get());
  }
  bool Ready() const { return memory.Get() && bitmap; }
  HDC Get() const { return memory.Get(); }
  // The picture, out of the DC, for keeping.
  ScopedGdiObject<HBITMAP> Take() {
    memory.Deselect();
    return std::move(bitmap);
  }

  ScopedGdiObject<HBITMAP> bitmap;
  MemoryDc memory;
};

RECT ClientRectOf(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  return client;
}

// A picture the size of a page's client area, in a memory DC like the
// page's; the page's own DC stays at hand to copy from.
struct PageCanvas {
  explicit PageCanvas(HWND page)
      : pageDc(page),
        client(ClientRectOf(page)),
        picture(pageDc.Get(), client.right, client.bottom) {}

  ScopedGetDC pageDc;
  RECT client;
  BitmapDc picture;
};

// A control as it paints itself, onto image (its page's picture) at its
// place. The system's border of an edit field is not printed: it gets the
// sunken edge it is drawn with.
void PrintControl(HWND control, HWND page, HDC image) {
  RECT window;
  GetWindowRect(control, &window);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&window), 2);
  RECT client = ClientRectOf(control);
  POINT origin = {0, 0};
  ClientToScreen(control, &origin);
  ScreenToClient(page, &origin);
  BitmapDc own(image, client.right, client.bottom);
  if (!own.Ready()) return;
  // What lies under it, for controls that draw only their text or lines.
  BitBlt(own.Get(), 0, 0, client.right, client.bottom, image, origin.x, origin.y, SRCCOPY);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(own.Get()), PRF_CLIENT);
  BitBlt(image, origin.x, origin.y, client.right, client.bottom, own.Get(), 0, 0, SRCCOPY);
  LONG_PTR exStyle = GetWindowLongPtrW(control, GWL_EXSTYLE);
  if (exStyle & WS_EX_CLIENTEDGE) {
    DrawEdge(image, &window, EDGE_SUNKEN, BF_RECT);
  } else if (GetWindowLongPtrW(control, GWL_STYLE) & WS_BORDER) {
    FrameRect(image, &window, GetSysColorBrush(COLOR_WINDOWFRAME));
  }
}

}  // namespace

CSoundTabCtrl::~CSoundTabCtrl() {
  if (Handle()) DestroyWindow(Handle());
}

void CSoundTabCtrl::OnAttach() {
  // Keyboard navigation may pass through the strip into its pages.
  LONG_PTR ex = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ex | WS_EX_CONTROLPARENT);
}

int CSoundTabCtrl::InsertTab(const std::string& caption, HWND page) {
  std::wstring text = Wide(caption);
  TCITEMW item = {};
  item.mask = TCIF_TEXT | TCIF_PARAM;
  item.pszText = &text[0];
  item.lParam = reinterpret_cast<LPARAM>(page);
  SendMessageW(Handle(), TCM_INSERTITEMW, static_cast<WPARAM>(pageCount),
               reinterpret_cast<LPARAM>(&item));
  return pageCount++;
}

void CSoundTabCtrl::AddPage(const std::string& caption, HWND page) {
  const int index = InsertTab(caption, page);
  PlaceNewPage(page);
  ShowWindow(page, index == 0 ? SW_SHOW : SW_HIDE);
}

void CSoundTabCtrl::AddPage(const std::string& caption, PageBuilder build) {
  if (pageCount == 0) {
    AddPage(caption, build());
    return;
  }
  unbuilt_[InsertTab(caption, nullptr)] = std::move(build);
}

void CSoundTabCtrl::BuildPage(int index) {
  auto waiting = unbuilt_.find(index);
  if (waiting == unbuilt_.end()) return;
  // Out of the list first: whatever the build asks of the strip finds no
  // builder to run again.
  PageBuilder build = std::move(waiting->second);
  unbuilt_.erase(waiting);
  HWND page = build();
  if (!page) return;
  TCITEMW item = {};
  item.mask = TCIF_PARAM;
  item.lParam = reinterpret_cast<LPARAM>(page);
  SendMessageW(Handle(), TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  PlaceNewPage(page);
  // Shown by its selection's slide, never before.
  ShowWindow(page, SW_HIDE);
}

void CSoundTabCtrl::PlaceNewPage(HWND page) {
  PageBox place = PagePlace();
  pageOrigin = {place.left, place.top};
  SetWindowPos(page, nullptr, place.left, place.top, place.right - place.left,
               place.bottom - place.top, kPlaceFlags);
}

PageBox CSoundTabCtrl::PagePlace() const {
  RECT display = ClientRectOf(Handle());
  SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  return vexa::PagePlace({display.left, display.top, display.right, display.bottom}, ScreenDpi());
}

HWND CSoundTabCtrl::PageAt(int index) const {
  TCITEMW item = {};
  item.mask = TCIF_PARAM;
  if (!SendMessageW(Handle(), TCM_GETITEMW, static_cast<WPARAM>(index),
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
  pendingSlide_ = nullptr;
  int current = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
  HWND page = PageAt(current);
  if (!page) return;
  KeepPageImage(page);
  ShowWindow(page, SW_HIDE);
}

void CSoundTabCtrl::OnSelChanged() {
  int current = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
  const bool building = unbuilt_.count(current) != 0;
  HWND page = PageAt(current);
  if (!page) return;
  if (!slideEnabled) {
    ShowWindow(page, SW_SHOW);
    return;
  }
  RECT r = PageRectInStrip(page);
  slideWidth = r.right - r.left;
  slideArea_ = {pageOrigin.x, r.top, pageOrigin.x + slideWidth, r.bottom};
  PlacePage(page, SlideStartX(r.left, slideWidth), r.top);
  if (building) {
    // Its first picture waits for the next turn of the message loop, so the
    // window answers in between: building the page and painting its picture
    // in one go held it for 130 ms under Wine.
    KillTimer(Handle(), kSlideTimerId);
    slidingPage = nullptr;
    pendingSlide_ = page;
    PostMessageW(Handle(), kBeginSlideMessage, 0, 0);
    return;
  }
  BeginSlide(page);
}

void CSoundTabCtrl::BeginSlide(HWND page) {
  pendingSlide_ = nullptr;
  PaintSlideImage(page);
  KeepSlideBackground();
  if (!slideImage_ || !slideBackground_) {
    // Without pictures there is nothing to slide: the page simply appears.
    PlacePage(page, pageOrigin.x, PageRectInStrip(page).top);
    ShowWindow(page, SW_SHOW);
    return;
  }
  slidingPage = page;
  DrawSlideStep();
  // Setting the same timer again restarts it for the new page.
  SetTimer(Handle(), kSlideTimerId, kSlideTimerMs, nullptr);
}

void CSoundTabCtrl::OnSlideTimer() {
  if (!slidingPage) return;  // a tick before the first slide has nothing to move
  RECT r = PageRectInStrip(slidingPage);
  SlideTick tick = NextSlideTick(r.left, ScaleToDpi(slideStep, ScreenDpi()), pageOrigin.x);
  PlacePage(slidingPage, tick.x, r.top);
  DrawSlideStep();
  if (tick.snapped) EndSlide();
}

void CSoundTabCtrl::FinishSlide() {
  if (pendingSlide_) BeginSlide(pendingSlide_);
  if (!slidingPage) return;
  PlacePage(slidingPage, pageOrigin.x, PageRectInStrip(slidingPage).top);
  DrawSlideStep();
  EndSlide();
}

void CSoundTabCtrl::EndSlide() {
  KillTimer(Handle(), kSlideTimerId);
  // The strip shows the page's picture at its place; the page appears over
  // those same pixels and its controls repaint themselves without erasing.
  HWND page = slidingPage;
  slidingPage = nullptr;
  slideImage_.Reset();
  slideBackground_.Reset();
  SetWindowPos(page, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW |
                   SWP_SHOWWINDOW);
  RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  static const auto play =
      SystemFunction<decltype(&sndPlaySoundW)>(L"winmm.dll", "sndPlaySoundW");
  if (play) play(kTabSound, kTabSoundFlags);
}

// The page stays hidden while it slides: a shown page and its controls
// repaint themselves one after the other between the steps, and the screen
// then caught steps half old, half new (a button drawn one step ahead of its
// page). Its window still moves, so where it stands is where it is drawn.
void CSoundTabCtrl::PlacePage(HWND page, int x, int y) {
  SetWindowPos(page, nullptr, x, y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOREDRAW);
}

// The strip's own pixels where the page comes to rest, with no page shown:
// what each step draws the page over.
void CSoundTabCtrl::KeepSlideBackground() {
  slideBackground_.Reset();
  RedrawWindow(Handle(), &slideArea_, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  ScopedGetDC stripDc(Handle());
  BitmapDc background(stripDc.Get(), slideArea_.right - slideArea_.left,
                      slideArea_.bottom - slideArea_.top);
  if (!background.Ready()) return;
  BitBlt(background.Get(), 0, 0, slideArea_.right - slideArea_.left,
         slideArea_.bottom - slideArea_.top, stripDc.Get(), slideArea_.left, slideArea_.top,
         SRCCOPY);
  slideBackground_ = background.Take();
}

// One step: the background and the page's picture where the page stands,
// put together in memory and drawn onto the strip in a single copy, so the
// screen shows either the step before or this one, never a mix.
void CSoundTabCtrl::DrawSlideStep() {
  if (!slidingPage || !slideImage_ || !slideBackground_) return;
  const int width = slideArea_.right - slideArea_.left;
  const int height = slideArea_.bottom - slideArea_.top;
  POINT client = {0, 0};
  ClientToScreen(slidingPage, &client);
  ScreenToClient(Handle(), &client);
  RECT pageClient = ClientRectOf(slidingPage);
  ScopedGetDC stripDc(Handle());
  BitmapDc frame(stripDc.Get(), width, height);
  if (!frame.Ready()) return;
  {
    MemoryDc source(stripDc.Get());
    source.Select(slideBackground_.Get());
    BitBlt(frame.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
    source.Select(slideImage_.Get());
    BitBlt(frame.Get(), client.x - slideArea_.left, client.y - slideArea_.top, pageClient.right,
           pageClient.bottom, source.Get(), 0, 0, SRCCOPY);
  }
  BitBlt(stripDc.Get(), slideArea_.left, slideArea_.top, width, height, frame.Get(), 0, 0, SRCCOPY);
}

// The page's own pixels, taken while it stands at its place on screen; a
// page hidden in the middle of a slide keeps the picture it had.
void CSoundTabCtrl::KeepPageImage(HWND page) {
  if (!IsWindowVisible(page) || PageRectInStrip(page).left != pageOrigin.x) return;
  // A control may still wait for a repaint asked for since (its focus or
  // default frame changed), and its place then still holds older pixels:
  // what waits is painted now. Painting every control again cost 35 to 50 ms
  // of every switch under Wine.
  RedrawWindow(page, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
  PageCanvas canvas(page);
  if (!canvas.picture.Ready()) return;
  BitBlt(canvas.picture.Get(), 0, 0, canvas.client.right, canvas.client.bottom, canvas.pageDc.Get(),
         0, 0, SRCCOPY);
  pageImages_[page] = canvas.picture.Take();
}

// The picture kept when the page was last hidden; for a page not shown yet,
// one painted here: the page's background, then each visible control in
// creation order (group boxes before what they hold), each printed into a
// bitmap of its own over what lies under it and copied to its place.
void CSoundTabCtrl::PaintSlideImage(HWND page) {
  slideImage_.Reset();
  PageCanvas canvas(page);
  if (!canvas.picture.Ready()) return;
  HDC image = canvas.picture.Get();
  auto kept = pageImages_.find(page);
  if (kept != pageImages_.end()) {
    MemoryDc source(canvas.pageDc.Get());
    source.Select(kept->second.Get());
    BitBlt(image, 0, 0, canvas.client.right, canvas.client.bottom, source.Get(), 0, 0, SRCCOPY);
  } else {
    SendMessageW(page, WM_ERASEBKGND, reinterpret_cast<WPARAM>(image), 0);
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE) PrintControl(child, page, image);
    }
  }
  slideImage_ = canvas.picture.Take();
}

RECT CSoundTabCtrl::PageRectInStrip(HWND page) const {
  RECT r;
  GetWindowRect(page, &r);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LRESULT CSoundTabCtrl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // A tab's item data is its page, to this program (PageAt) and to any other
  // that reads it: asked for, the page is built. Both item structures start
  // with the mask.
  if ((message == TCM_GETITEMW || message == TCM_GETITEMA) && lParam &&
      (reinterpret_cast<const TCITEMW*>(lParam)->mask & TCIF_PARAM)) {
    BuildPage(static_cast<int>(wParam));
  }
  if (message == kBeginSlideMessage) {
    if (pendingSlide_) BeginSlide(pendingSlide_);
    return 0;
  }
  if (message == WM_TIMER) OnSlideTimer();
  if (message == WM_DESTROY) KillTimer(Handle(), kSlideTimerId);
  LRESULT result = DefaultProc(message, wParam, lParam);
  // The strip repainting itself mid-slide (uncovered by another window, say)
  // clears where the page is drawn: the step is drawn again at once.
  if (message == WM_PAINT && slidingPage) DrawSlideStep();
  return result;
}

}  // namespace vexa
