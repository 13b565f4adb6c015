#pragma once
// While a job of the service page runs (a tracker command, a console
// close, a backup, the one-click installation with its pauses), the panel
// keeps painting and answering messages but takes no input: mouse and
// keyboard messages to its windows are dropped, never queued for later, and
// the cursor over the main window shows busy.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>

#include "base/scoped_handles_win32.h"

namespace vexa {

// Marks the panel busy for its lifetime; nests. A job that a logoff must
// not cut short (a backup, a restore, the one-click installation with its
// clearing) is named.
class BusyPanel {
 public:
  BusyPanel() : BusyPanel(std::string()) {}
  explicit BusyPanel(std::string job);
  ~BusyPanel();
  BusyPanel(const BusyPanel&) = delete;
  BusyPanel& operator=(const BusyPanel&) = delete;

 private:
  std::string outerJob_;
};

bool PanelBusy();
// The named job running now; empty when there is none.
const std::string& RunningJob();

// Runs action once the panel is no longer busy; at once when it is not.
void WhenPanelIdle(std::function<void()> action);

// A message that must wait for the job (WM_CLOSE would hide the window
// while the job goes on) is posted to window again once the panel is idle,
// once however often it came; true when it was put off.
bool DeferWhileBusy(HWND window, UINT message);

// The answer to WM_QUERYENDSESSION: false while a named job runs, with the
// job given to the system as the reason (createReason; its failure, as
// under Wine, changes nothing). The reason goes when the job ends.
using BlockReasonApi = BOOL(WINAPI*)(HWND, LPCWSTR);
bool AllowSessionEnd(HWND window, BlockReasonApi createReason = ShutdownBlockReasonCreate);
// The reason shown for a job.
std::string SessionBlockReason(const std::string& job);

// The main window's answer to WM_SETCURSOR while busy; false when not busy.
bool SetBusyCursor();

// Waits up to timeoutMs (INFINITE allowed) for handle while handling the
// thread's messages; every tickMs onTick runs on this thread. True when the
// handle was signalled.
bool WaitPumping(HANDLE handle, DWORD timeoutMs, const std::function<void()>& onTick = {},
                 DWORD tickMs = 100);

// A pause that keeps the window answering.
void SleepPumping(DWORD milliseconds);

// Runs work on a thread of its own and pumps until it is done; returns its
// result. work must not touch this thread's windows.
template <typename Work>
auto RunPumping(Work work, const std::function<void()>& onTick = {}) -> decltype(work()) {
  using Result = decltype(work());
  Result result{};
  const ScopedHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!done) return work();  // no event: do it here, frozen but correct
  std::thread worker([&] {
    result = work();
    SetEvent(done.Get());
  });
  WaitPumping(done.Get(), INFINITE, onTick);
  worker.join();
  return result;
}

}  // namespace vexa
