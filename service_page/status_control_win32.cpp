#include "service_page/status_control_win32.h"

#include "base/wide_text.h"

namespace vexa {

TrackerSnapshot CServiceStatus::Look(const std::string& programDirectory,
                                     const std::string& port, StatusRefresh how) {
  return query_.Look(programDirectory, port, how);
}

void CServiceStatus::Refresh(const std::string& programDirectory, const std::string& port,
                             StatusRefresh how) {
  TrackerSnapshot now = query_.Look(programDirectory, port, how);
  segments_ = StatusLineText(now.processes, port, now.port);
  if (overriding_ && overrideUntil_ != 0 && GetTickCount64() >= overrideUntil_) {
    overriding_ = false;
  }
  if (!overriding_) Show(segments_);
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
}

}  // namespace vexa
