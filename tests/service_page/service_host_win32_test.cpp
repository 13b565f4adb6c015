#include "service_page/service_host_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "base/system_error_win32.h"
#include "service_page/restore_host_win32.h"
#include "tests/pages/memory_config_file.h"
#include "tests/ui/box_answers_win32.h"
#include "tracker/tracker_launcher.h"

namespace vexa {
namespace {

// Asks on this thread while another presses the button a stray Enter in the
// box would press.
bool AnsweredWithEnter(const std::function<bool()>& ask) {
  const DWORD thread = GetCurrentThreadId();
  std::thread presser([thread] { test::AnswerBox(test::WaitForBox(thread), 0); });
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
