#include "controls/link_label_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"

namespace vexa {
namespace {

// A parent window with one static control, as a dialog would hold it.
class LabelHost {
 public:
  LabelHost(const char* text, DWORD align) {
    parent_ = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 100, 100, 400, 200,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    label_ = CreateWindowExW(0, L"STATIC", Wide(text).c_str(), WS_CHILD | WS_VISIBLE | align, 50,
                             40, 200, 30, parent_, reinterpret_cast<HMENU>(1052),
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
  }
  ~LabelHost() { DestroyWindow(parent_); }
  HWND Label() const { return label_; }
  RECT Rect() const {
    RECT r;
    GetWindowRect(label_, &r);
    MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // Width and height of the text in the label's font with underlining.
  SIZE TextExtent(const char* text) const {
    LOGFONTW lf;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    ScopedFont font(CreateFontIndirectW(&lf));
    ScopedGetDC dc(label_);
    ScopedSelectObject select(dc.Get(), font.Get());
    SIZE size;
    const std::wstring wide = Wide(text);
    GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
  }

 private:
  HWND parent_ = nullptr;
  HWND label_ = nullptr;
};

void Pump(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  while (GetTickCount() < end) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
}

TEST(LinkLabel, AttachTakesTheTextAsTargetAndFitsTheWindowToIt) {
  const char* url = "http://localhost/vexapanel/";
  LabelHost left(url, SS_LEFT);
  CLinkLabel label;
  ASSERT_TRUE(label.Attach(left.Label()));
  EXPECT_EQ(label.LinkTarget(), url);
  EXPECT_TRUE(GetWindowLongPtrA(left.Label(), GWL_STYLE) & SS_NOTIFY);
  SIZE text = left.TextExtent(url);
  RECT r = left.Rect();
  EXPECT_EQ(r.left, 50);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right - r.left, text.cx);
  EXPECT_EQ(r.bottom - r.top, text.cy);

  LabelHost right("官方网站", SS_RIGHT);
  CLinkLabel rightLabel;
  ASSERT_TRUE(rightLabel.Attach(right.Label()));
  r = right.Rect();
  EXPECT_EQ(r.right, 250);
  EXPECT_EQ(r.right - r.left, right.TextExtent("官方网站").cx);

  LabelHost centre("官方网站", SS_CENTER | SS_CENTERIMAGE);
  CLinkLabel centreLabel;
  ASSERT_TRUE(centreLabel.Attach(centre.Label()));
  r = centre.Rect();
  SIZE c = centre.TextExtent("官方网站");
  EXPECT_EQ(r.left, 50 + (200 - c.cx) / 2);
  EXPECT_EQ(r.top, 40 + (30 - c.cy) / 2);
}

TEST(LinkLabel, ATargetGivenBeforeAttachFillsAnEmptyLabel) {
  LabelHost host("", SS_LEFT);
  CLinkLabel label;
  label.SetLinkTarget("http://localhost:1/");
  ASSERT_TRUE(label.Attach(host.Label()));
  char text[64] = "";
  GetWindowTextA(host.Label(), text, sizeof text);
  EXPECT_STREQ(text, "http://localhost:1/");
  EXPECT_GT(host.Rect().right - host.Rect().left, 0);
}

TEST(LinkLabel, HoverTurnsItRedAndUnderlinedUntilThePointerLeaves) {
  LabelHost host("技术支持", SS_LEFT);
  CLinkLabel label;
  ASSERT_TRUE(label.Attach(host.Label()));
  EXPECT_EQ(label.CurrentColor(), RGB(0, 0, 238));
  // A hand cursor is always there: the help viewer's or the system's.
  EXPECT_EQ(SendMessageA(host.Label(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.Label()),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);

  // The colour the parent is told to paint with.
  ScopedGetDC dc(host.Label());
  LRESULT brush = 0;
  ASSERT_TRUE(label.OnReflect(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                              reinterpret_cast<LPARAM>(host.Label()), &brush));
  EXPECT_EQ(GetTextColor(dc.Get()), RGB(0, 0, 238));
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));

  // Under Xvfb, Wine sometimes takes a late X motion event of an earlier move
  // for the pointer's place: the pointer is moved in until it stays there.
  RECT r;
  GetWindowRect(host.Label(), &r);
  const POINT inside = {r.left + 2, r.top + 2};
  SetCursorPos(inside.x, inside.y);
  for (int tick = 0, stayed = 0; tick < 40 && stayed < 3; ++tick) {
    Pump(50);
    POINT now = {};
    GetCursorPos(&now);
    stayed = now.x == inside.x && now.y == inside.y ? stayed + 1 : 0;
    if (!stayed) SetCursorPos(inside.x, inside.y);
  }
  SendMessageA(host.Label(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(label.CurrentColor(), RGB(255, 0, 0));
  LOGFONTA lf;
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(host.Label(), WM_GETFONT, 0, 0)), sizeof lf, &lf);
  EXPECT_TRUE(lf.lfUnderline);
  label.OnReflect(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                  reinterpret_cast<LPARAM>(host.Label()), &brush);
  EXPECT_EQ(GetTextColor(dc.Get()), RGB(255, 0, 0));

  // Still inside: the timer keeps it hovering.
  Pump(250);
  EXPECT_EQ(label.CurrentColor(), RGB(255, 0, 0));

  // The leave check runs on the 100 ms timer; the move out is repeated until
  // the label has seen it, for the same reason as the move in.
  for (int tick = 0; tick < 30 && label.CurrentColor() == RGB(255, 0, 0); ++tick) {
    SetCursorPos(r.right + 100, r.bottom + 100);
    Pump(100);
  }
  EXPECT_EQ(label.CurrentColor(), RGB(0, 0, 238));
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(host.Label(), WM_GETFONT, 0, 0)), sizeof lf, &lf);
  EXPECT_FALSE(lf.lfUnderline);
}

}  // namespace
}  // namespace vexa
