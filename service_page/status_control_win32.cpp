#include "service_page/status_control_win32.h"

#include "base/wide_text.h"
#include "tracker/status_line.h"
#include "tracker/tracker_launcher.h"

namespace vexa {

TrackerSnapshot CServiceStatus::Read(const std::string& programDirectory,
                                     const std::string& port, StatusRefresh how) {
  const std::string trackerPath = TrackerExePath(programDirectory);
  StatusChanges changes = reader_.Changes();
  changes.everything = how == StatusRefresh::kAfresh;
  changes.current = how == StatusRefresh::kCurrent;
  if (changes.everything) reader_.ForgetServices(trackerPath);
  const StatusReads reads = schedule_.Next(changes);
  const SystemTables* tables = &reader_.Read(trackerPath, reads);
  if (!reads.processes && PortHolderUnlisted(port, *tables)) {
    StatusReads names;
    names.processes = true;
    tables = &reader_.Read(trackerPath, names);
  }
  TrackerSnapshot now;
  now.processes = FindTrackerProcesses(trackerPath, *tables);
  now.port = FindPortHolder(port, *tables, now.processes);
  return now;
}

TrackerSnapshot CServiceStatus::Look(const std::string& programDirectory,
                                     const std::string& port) {
  return Read(programDirectory, port, StatusRefresh::kCurrent);
}

void CServiceStatus::Refresh(const std::string& programDirectory, const std::string& port,
                             StatusRefresh how) {
  TrackerSnapshot now = Read(programDirectory, port, how);
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
