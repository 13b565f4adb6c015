#include "service_page/status_control_win32.h"

#include <commctrl.h>

#include "base/wide_text.h"
#include "tracker/firewall_rules_win32.h"
#include "tracker/image_path_win32.h"
#include "tracker/service_config_win32.h"
#include "tracker/tracker_launcher.h"

namespace vexa {

namespace {

constexpr UINT_PTR kTipToolId = 1;
constexpr LPARAM kTipWidth = 600;

}  // namespace

TrackerSnapshot CServiceStatus::Look(const std::string& programDirectory,
                                     const std::string& port, StatusRefresh how) {
  return query_.Look(programDirectory, port, how);
}

void CServiceStatus::Attach(HWND control) { control_ = control; }

// Made at the first reading, which waits for the window to show: start-up
// does not wait for a window nobody sees before pointing at the line.
void CServiceStatus::CreateTip() {
  tipTried_ = true;
  HWND page = GetParent(control_);
  tipWindow_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, page, nullptr,
                               nullptr, nullptr);
  if (!tipWindow_) return;
  // The static takes no mouse messages: the tool is its rectangle on the page.
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = page;
  tool.uId = kTipToolId;
  GetWindowRect(control_, &tool.rect);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&tool.rect), 2);
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tipWindow_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // Lines break at "\n" only with a width.
  SendMessageW(tipWindow_, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
}

void CServiceStatus::SetSecuringNote(const std::string& note) {
  securingNote_ = note;
  safetyDue_ = true;
}

void CServiceStatus::ReadSafety(const std::string& programDirectory,
                                const TrackerProcesses& tracker) {
  const std::string trackerPath = TrackerExePath(programDirectory);
  FirewallWin32 firewall;
  safety_ = FirewallLine(ReadFirewallView(trackerPath, firewall, SameImageFile)) + "\n";
  if (tracker.serviceName.empty()) {
    safety_ += RecoveryLine(ReadRecoveryView(nullptr));
  } else {
    ServiceConfigWin32 config(tracker.serviceName, false);
    safety_ += RecoveryLine(ReadRecoveryView(&config));
  }
  safetyDue_ = false;
}

void CServiceStatus::UpdateTip() {
  std::string tip = shown_ + "\n" + safety_;
  if (!securingNote_.empty()) tip += "\n" + securingNote_;
  const bool creating = control_ && !tipTried_;
  if (tip == tip_ && !creating) return;
  tip_ = tip;
  if (creating) CreateTip();
  if (!tipWindow_) return;
  tipShown_ = Wide(tip_);
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = GetParent(control_);
  tool.uId = kTipToolId;
  tool.lpszText = tipShown_.data();
  SendMessageW(tipWindow_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CServiceStatus::Refresh(const std::string& programDirectory, const std::string& port,
                             StatusRefresh how) {
  TrackerSnapshot now = query_.Look(programDirectory, port, how);
  segments_ = StatusLineText(now.processes, port, now.port);
  if (safetyDue_ || how != StatusRefresh::kTimer) ReadSafety(programDirectory, now.processes);
  if (overriding_ && overrideUntil_ != 0 && GetTickCount64() >= overrideUntil_) {
    overriding_ = false;
  }
  if (!overriding_) Show(segments_);
  UpdateTip();
}

void CServiceStatus::SetOverride(const std::string& text, ULONGLONG until) {
  override_ = text;
  overriding_ = true;
  overrideUntil_ = until;
  Show(override_);
}

void CServiceStatus::ClearOverride() {
  overriding_ = false;
  Show(segments_);
}

void CServiceStatus::Show(const std::string& text) {
  // Unchanged text is not set again: no flicker, no repaint once a second.
  if (text == shown_ && control_) return;
  shown_ = text;
  if (control_) SetWindowTextW(control_, Wide(text).c_str());
  UpdateTip();
}

}  // namespace vexa
