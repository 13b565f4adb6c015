#include "app/panel_app_win32.h"

#include <commctrl.h>

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

// Reading the permissions of the folder and its two files (and, on a
// domain, the Administrators group) took a tenth of the start-up, and the
// window does not need it. A timer's message comes after the window's first
// paint: the check starts then, on a thread of its own, and its box stays
// open there while the panel goes on working.
constexpr UINT kFolderCheckDelayMs = 10;
// The program's 2 MB default is far more than the check needs; the thread
// with it put 0.15 MB on the panel's peak working set under Wine.
constexpr SIZE_T kFolderCheckStack = SIZE_T{256} * 1024;

DWORD WINAPI CheckProgramFolderThread(void*) {
  const Status folder = CheckProgramFolder(GetProgramDirectory());
  if (folder.ok) return 0;
  LogAction(folder.message);
  MessageBoxW(nullptr, Wide(folder.message).c_str(), Wide(kAppTitle).c_str(),
              MB_OK | MB_ICONWARNING | MB_TOPMOST | MB_SETFOREGROUND);
  return 0;
}

void CALLBACK CheckProgramFolderAside(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HANDLE thread = CreateThread(nullptr, kFolderCheckStack, CheckProgramFolderThread, nullptr,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  // Without a thread of its own the warning still comes, the panel waiting.
  if (!thread) {
    CheckProgramFolderThread(nullptr);
    return;
  }
  CloseHandle(thread);
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

  if (!ignored_.empty()) {
    // The main window would start the log itself; started here, the lines
    // come just before the window's own first line.
    StartActionLog(GetProgramDirectory());
    LogAction(IgnoredArgumentsLogText(ignored_));
  }
  SetTimer(nullptr, 0, kFolderCheckDelayMs, CheckProgramFolderAside);
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
