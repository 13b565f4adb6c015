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

struct BoxSearch {
  HWND box = nullptr;
};

BOOL CALLBACK FindVisibleBox(HWND hwnd, LPARAM lParam) {
  wchar_t className[16] = L"";
  GetClassNameW(hwnd, className, 16);
  if (lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  reinterpret_cast<BoxSearch*>(lParam)->box = hwnd;
  return FALSE;
}

// Asks the question on this thread while another presses Enter in its box,
// as a stray keystroke would; a box Enter does not close gets OK, so that
// the test ends (and fails) either way.
bool AnsweredWithEnter(const std::function<bool()>& ask) {
  const DWORD thread = GetCurrentThreadId();
  std::thread presser([thread] {
    BoxSearch search;
    for (int i = 0; i < 1000 && !search.box; ++i) {
      Sleep(10);
      EnumThreadWindows(thread, FindVisibleBox, reinterpret_cast<LPARAM>(&search));
    }
    if (!search.box) return;
    PostMessageW(search.box, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(search.box, WM_KEYUP, VK_RETURN, 0);
    for (int i = 0; i < 200 && IsWindow(search.box); ++i) Sleep(10);
    if (IsWindow(search.box)) PostMessageW(search.box, WM_COMMAND, IDOK, 0);
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
  EXPECT_FALSE(opened.ok);
  EXPECT_FALSE(opened.message.empty());
  EXPECT_TRUE(opened.message == SystemMessage(ERROR_FILE_NOT_FOUND) ||
              opened.message == SystemMessage(ERROR_PATH_NOT_FOUND))
      << opened.message;
}

}  // namespace
}  // namespace vexa
