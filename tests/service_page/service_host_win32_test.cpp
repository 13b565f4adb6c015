#include "service_page/service_host_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "base/system_error_win32.h"
#include "service_page/restore_host_win32.h"
#include "tests/pages/memory_config_file.h"
#include "tracker/tracker_launcher.h"

namespace vexa {
namespace {

// Asks on this thread while another presses Enter in the box, as a stray
// keystroke would; a box Enter does not close gets OK, so that the test ends.
bool AnsweredWithEnter(const std::function<bool()>& ask) {
  const DWORD thread = GetCurrentThreadId();
  std::thread presser([thread] {
    HWND box = nullptr;
    for (int i = 0; i < 1000 && !box; ++i) {
      Sleep(10);
      EnumThreadWindows(thread, [](HWND w, LPARAM found) -> BOOL {
        if (!IsWindowVisible(w)) return TRUE;
        *reinterpret_cast<HWND*>(found) = w;
        return FALSE;
      }, reinterpret_cast<LPARAM>(&box));
    }
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);
    if (IsWindow(box)) PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  const bool ok = ask();
  presser.join();
  return ok;
}

TEST(ServiceHostQuestions, EnterChoosesCancelWhereDataOrTheStartIsAtStake) {
  MemoryConfigFile file("");
  ConfigStore store(file);
  ServiceHost host(nullptr, store);
  RestoreServiceHost restore(store, host, nullptr);
  EXPECT_FALSE(AnsweredWithEnter([&] { return host.ConfirmAppMessage("一键安装?"); }));
  EXPECT_FALSE(AnsweredWithEnter(
      [&] { return host.ConfirmPageMessage("端口 6969 已被其他程序占用", "Vexa服务器", MB_ICONWARNING); }));
  EXPECT_FALSE(AnsweredWithEnter([&] { return restore.ConfirmAppMessage("恢复?"); }));
}

TEST(ServiceHostShell, AFailedOpenCarriesTheSystemsReason) {
  const Status opened = ShellOpen("C:\\no such folder\\nothing here.vexa-none");
  EXPECT_TRUE(!opened.ok && (opened.message == SystemMessage(ERROR_FILE_NOT_FOUND) ||
                             opened.message == SystemMessage(ERROR_PATH_NOT_FOUND)))
      << opened.message;
}

}  // namespace
}  // namespace vexa
