#pragma once
// A static text control turned into a web link: blue, red and underlined
// under the pointer, purple once opened, with a hand cursor and a tooltip
// showing its target.
#include <windows.h>

#include <string>

#include "base/scoped_handles_win32.h"
#include "ui/control_win32.h"

namespace vexa {

class CLinkLabel : public CControl {
 public:
  static constexpr UINT_PTR kHoverTimerId = 100;
  static constexpr UINT kHoverTimerMs = 100;

  CLinkLabel() = default;
  ~CLinkLabel() override;

  // Stores the target; with a window, refits the label and shows the new
  // target in the tooltip.
  void SetLinkTarget(const std::string& target);
  const std::string& LinkTarget() const { return target_; }

  // Sizes the window to its text in the underlined font plus its border.
  void FitToText();

  // Red under the pointer, purple once opened, blue before.
  COLORREF CurrentColor() const;

  bool OnReflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // Enter and Space open the target, as a click does.
  bool PreTranslateKey(const MSG& msg) override;

 protected:
  void OnAttach() override;
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void LoadHandCursor();
  void EnterHover();
  void LeaveCheck();
  void FollowLink();
  void EraseWithParentBackground(HDC dc);

  COLORREF colorNormal_ = RGB(0, 0, 238);
  COLORREF colorVisited_ = RGB(85, 26, 139);
  COLORREF colorHover_ = RGB(255, 0, 0);
  BOOL isHovering_ = FALSE;
  BOOL isVisited_ = FALSE;
  std::string target_;
  ScopedFont underlinedFont_;
  ScopedFont plainFont_;
  ScopedIcon handCursor_;
  HWND tooltip_ = nullptr;  // a child of ours: destroyed with the label's window
};

}  // namespace vexa
