#include "app/panel_app_win32.h"

#include <commctrl.h>

#include <thread>

#include "app/command_line_win32.h"
#include "app/main_dlg_win32.h"
#include "app/panel_claim_win32.h"
#include "app/program_folder_check_win32.h"
#include "base/system_library_win32.h"
#include "base/wide_text.h"
#include "config/config_file_win32.h"
#include "config/config_store.h"
#include "config/program_directory.h"
#include "log/action_log.h"
#include "log/action_log_win32.h"
#include "skin/skin_api_win32.h"
#include "ui/message_box_flags.h"

namespace vexa {

namespace {

const char kPanelExitedLog[] = "控制面板退出";
const char kSwitchedToOtherPanel[] = "另一个控制面板已打开此目录，已切换到它";
const char kOtherPanelNotShown[] =
    "另一个控制面板正在打开或关闭此目录，没有等到它的窗口，本次启动退出";
// A panel still starting shows its window within this time, one closing
// lets the directory go.
constexpr unsigned long kWaitForOtherPanelMs = 5000;

// vexa.cfg beside the program, shared by every page of the run.
ConfigStore& PanelConfigStore() {
  static CWinConfigFile file(GetProgramDirectory() + kConfigFileName);
  static ConfigStore store(file);
  return store;
}

constexpr int kNoticeWaitSteps = 200;  // of 50 ms
constexpr DWORD kNoticeWaitStepMs = 50;

bool ShowsAWindow(DWORD thread) {
  bool shown = false;
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM found) {
        if (!IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&shown));
  return shown;
}

// A box on a thread of its own, so that the panel goes on working while it
// is open; shown once the main window is, in front of it.
void ShowNoticeAside(const std::string& text) {
  std::thread([wide = Wide(text), ui = GetCurrentThreadId()] {
    for (int i = 0; i < kNoticeWaitSteps && !ShowsAWindow(ui); ++i) Sleep(kNoticeWaitStepMs);
    MessageBoxW(nullptr, wide.c_str(), Wide(kAppTitle).c_str(),
                MB_OK | MB_ICONWARNING | MB_TOPMOST | MB_SETFOREGROUND);
  }).detach();
}

}  // namespace

int CPanelApp::Run(HINSTANCE instance, const std::vector<std::string>& ignored) {
  instance_ = instance;
  ignored_ = ignored;
  // A second window of one directory would ask the first one's questions
  // about vexa.cfg again: the window already open is shown instead.
  CPanelClaim claim;
  const PanelClaim found = claim.TakeOrShowHolder(GetProgramDirectory(), kWaitForOtherPanelMs);
  if (found != PanelClaim::kTaken) {
    StartActionLog(GetProgramDirectory());
    if (!ignored_.empty()) LogAction(IgnoredArgumentsLogText(ignored_));
    LogAction(found == PanelClaim::kHolderShown ? kSwitchedToOtherPanel : kOtherPanelNotShown);
    return 0;
  }
  InitInstance();
  return ExitInstance();
}

void CPanelApp::InitInstance() {
  SkinStartup(instance_, "Demo", "Demo", nullptr);
  SkinLoadResource(instance_, "DEFAULT", "SKINMAGIC");

  INITCOMMONCONTROLSEX controls = {sizeof controls,
                                    ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  // The framework's part: COM for the desktop shortcut's shell link object.
  com_.emplace();

  SkinApplyToDialogs("Dialog");

  const Status folder = CheckProgramFolder(GetProgramDirectory());
  if (!ignored_.empty() || !folder.ok) {
    // The main window would start the log itself; started here, the lines
    // come just before the window's own first line.
    StartActionLog(GetProgramDirectory());
    if (!ignored_.empty()) LogAction(IgnoredArgumentsLogText(ignored_));
  }
  if (!folder.ok) {
    LogAction(folder.message);
    ShowNoticeAside(folder.message);
  }
  {
    CMainDlg dialog(PanelConfigStore());
    dialog.DoModal(nullptr);
  }
  LogAction(kPanelExitedLog);
}

int CPanelApp::ExitInstance() {
  SkinShutdown();
  com_.reset();
  return 0;
}

}  // namespace vexa

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  vexa::RestrictDllSearch();
  const vexa::PanelCommand command = vexa::ParsePanelCommand(vexa::ProcessArguments());
  if (command.kind != vexa::PanelCommand::Kind::kWindow) return vexa::RunPanelCommand(command);
  static vexa::CPanelApp app;
  return app.Run(instance, command.ignored);
}
