#include "tracker/service_status.h"

#include "base/wide_text.h"
#include "tracker/status_line.h"
#include "tracker/tracker_launcher.h"

namespace vexa {

TrackerSnapshot CServiceStatus::Look(const std::string& programDirectory,
                                     const std::string& port) {
  const std::string trackerPath = TrackerExePath(programDirectory);
  SystemTables tables = reader_.Read(trackerPath, true);
  TrackerSnapshot now;
  now.processes = FindTrackerProcesses(trackerPath, tables);
  now.port = FindPortHolder(port, tables, now.processes);
  return now;
}

void CServiceStatus::Refresh(const std::string& programDirectory, const std::string& port,
                             bool afresh) {
  if (afresh) reader_.ForgetServices();
  TrackerSnapshot now = Look(programDirectory, port);
  segments_ = StatusLineText(now.processes, port, now.port);
  if (!overriding_) Show(segments_);
}

void CServiceStatus::SetOverride(const std::string& text) {
  override_ = text;
  overriding_ = true;
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
