#pragma once
// The status line of the service page (static 1090): the tracker's service,
// its console instances and the port, read from the system about once a
// second and right after every button's work.
//
// For long jobs (a backup, the one-click installation) a text can stand in
// for the three segments:
//   SetOverride("正在备份：... ")  shows that text at once, and refreshes
//                                   leave it alone until
//   ClearOverride()                 brings the three segments back at once.
#include <windows.h>

#include <string>

#include "backup/copy_progress.h"
#include "tracker/status_line.h"
#include "tracker/status_schedule.h"
#include "tracker/system_tables_win32.h"
#include "ui/busy_panel_win32.h"

namespace vexa {

// How long the end of a long job stays in the status line.
constexpr ULONGLONG kJobEndShownMs = 8000;

// The line does not hold more at 96 DPI: whether the firewall lets the
// tracker in and whether its service restarts after a crash stand in the
// line's tip, read at every current or fresh reading, not by the timer.
class CServiceStatus {
 public:
  void Attach(HWND control);

  // Reads the system and shows the segments for the configured port.
  void Refresh(const std::string& programDirectory, const std::string& port,
               StatusRefresh how = StatusRefresh::kTimer);
  // What Refresh shows, as values, read now: for the question before a start.
  // kAfresh lists the services again, for one that was just added.
  TrackerSnapshot Look(const std::string& programDirectory, const std::string& port,
                       StatusRefresh how = StatusRefresh::kCurrent);
  // The handle held for a tracker process it has listed (TrackerQuery).
  ScopedHandle ListedProcess(unsigned long pid) const { return query_.ListedProcess(pid); }

  // until: the tick count (GetTickCount64) from which a refresh shows the
  // segments again; 0 keeps the text until ClearOverride.
  void SetOverride(const std::string& text, ULONGLONG until = 0);
  void ClearOverride();

  // The text the control shows now.
  const std::string& Shown() const { return shown_; }

  // What an installation could not set ("" when all went through), kept
  // in the tip; the firewall and the recovery are read again.
  void SetSecuringNote(const std::string& note);
  // The tip: the line, the firewall, the recovery, the note.
  const std::string& Tip() const { return tip_; }

 private:
  void Show(const std::string& text);
  void ReadSafety(const std::string& programDirectory, const TrackerProcesses& tracker);
  void UpdateTip();
  void CreateTip();

  HWND control_ = nullptr;
  TrackerQuery query_;
  std::string segments_;  // the last three segments read
  std::string override_;
  bool overriding_ = false;
  ULONGLONG overrideUntil_ = 0;
  std::string shown_;
  HWND tipWindow_ = nullptr;  // owned by the page, which destroys it
  bool tipTried_ = false;
  std::string safety_;        // the firewall's and the recovery's lines
  std::string securingNote_;
  bool safetyDue_ = true;
  std::string tip_;
  std::wstring tipShown_;  // the tool's text lives here
};

// Runs a copy that counts into progress beside the window (RunPumping); the
// status line, when there is one, shows how far the copy has come and gets
// its segments back at the end.
template <typename Copy>
auto RunShowingProgress(CServiceStatus* status, CopyJob job, const BackupProgress& progress,
                        Copy copy) -> decltype(copy()) {
  const ProgressLine line(job, GetTickCount64());
  // A logoff is refused only while files are copied or replaced, never
  // while a box of the job waits for the user.
  const BusyPanel busy(job == CopyJob::kRestore    ? "恢复备份"
                       : job == CopyJob::kClearing ? "一键安装服务器（清空并备份数据）"
                                                   : "备份数据");
  bool shown = false;
  auto result = RunPumping(copy, [&] {
    const std::string text = line.TextAt(GetTickCount64(), progress);
    if (!status || text.empty()) return;
    status->SetOverride(text);
    shown = true;
  });
  if (shown && status) status->ClearOverride();
  return result;
}

}  // namespace vexa
