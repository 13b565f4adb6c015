#include "ui/busy_panel_win32.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/wide_text.h"
#include "log/action_log.h"

namespace vexa {

namespace {

// The UI thread's only.
int busyDepth = 0;
std::string runningJob;
std::vector<std::function<void()>> idleActions;
std::vector<std::pair<HWND, UINT>> deferred;

bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
         message == WM_NCMOUSEHOVER || message == WM_NCMOUSELEAVE;
}

// Input that reached the queue between two waits must not be replayed once
// the job is over.
void DropQueuedInput() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {}
  while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {}
  while (PeekMessageW(&msg, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {}
}

// Handles what is queued now; false once WM_QUIT came (it is posted again
// for the loop that owns it).
bool PumpQueued() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (busyDepth > 0 && IsInput(msg.message)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

}  // namespace

BusyPanel::BusyPanel(std::string job) : outerJob_(runningJob) {
  if (busyDepth++ == 0) SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (runningJob.empty()) runningJob = std::move(job);
}

BusyPanel::~BusyPanel() {
  runningJob = outerJob_;
  if (--busyDepth > 0) return;
  DropQueuedInput();
  // An action may start another job; it waits for the next idle then.
  std::vector<std::function<void()>> actions;
  actions.swap(idleActions);
  for (const auto& action : actions) action();
}

bool PanelBusy() { return busyDepth > 0; }

const std::string& RunningJob() { return runningJob; }

void WhenPanelIdle(std::function<void()> action) {
  if (busyDepth == 0) {
    action();
    return;
  }
  idleActions.push_back(std::move(action));
}

bool DeferWhileBusy(HWND window, UINT message) {
  if (busyDepth == 0) return false;
  const std::pair<HWND, UINT> put(window, message);
  if (std::find(deferred.begin(), deferred.end(), put) != deferred.end()) return true;
  deferred.push_back(put);
  WhenPanelIdle([put] {
    deferred.erase(std::remove(deferred.begin(), deferred.end(), put), deferred.end());
    PostMessageW(put.first, put.second, 0, 0);
  });
  return true;
}

std::string SessionBlockReason(const std::string& job) {
  return "正在" + job + "，请等它完成后再注销或关机。";
}

bool AllowSessionEnd(HWND window, BlockReasonApi createReason) {
  if (runningJob.empty()) return true;
  LogAction("系统要求结束会话，" + runningJob + "尚未完成，已拒绝");
  // Only a reason that was set needs removing.
  if (createReason(window, Wide(SessionBlockReason(runningJob)).c_str())) {
    WhenPanelIdle([window] { ShutdownBlockReasonDestroy(window); });
  }
  return false;
}

bool SetBusyCursor() {
  if (busyDepth == 0) return false;
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  return true;
}

bool WaitPumping(HANDLE handle, DWORD timeoutMs, const std::function<void()>& onTick,
                 DWORD tickMs) {
  const ULONGLONG start = GetTickCount64();
  ULONGLONG nextTick = start + tickMs;
  // Messages already queued would not wake MsgWaitForMultipleObjects.
  bool pumping = PumpQueued();
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (timeoutMs != INFINITE && now - start >= timeoutMs) {
      return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    }
    if (onTick && now >= nextTick) {
      onTick();
      nextTick = now + tickMs;
    }
    DWORD wait = onTick ? static_cast<DWORD>(nextTick > now ? nextTick - now : 0) : INFINITE;
    if (timeoutMs != INFINITE) {
      const DWORD left = static_cast<DWORD>(timeoutMs - (now - start));
      if (wait == INFINITE || left < wait) wait = left;
    }
    const DWORD woken = pumping ? MsgWaitForMultipleObjects(1, &handle, FALSE, wait, QS_ALLINPUT)
                                : WaitForSingleObject(handle, wait);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken == WAIT_FAILED) return false;
    if (pumping && woken == WAIT_OBJECT_0 + 1) pumping = PumpQueued();
  }
}

void SleepPumping(DWORD milliseconds) {
  // A handle that is never signalled: the wait is the pause.
  const ScopedHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!never) {
    Sleep(milliseconds);
    return;
  }
  WaitPumping(never.Get(), milliseconds);
}

}  // namespace vexa
