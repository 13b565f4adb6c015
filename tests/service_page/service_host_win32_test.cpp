#include "service_page/service_host_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "base/system_error_win32.h"
#include "tests/pages/memory_config_file.h"
#include "tests/ui/box_answers_win32.h"
#include "tracker/tracker_launcher.h"
#include "ui/busy_panel_win32.h"

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
  ServiceHost host(nullptr, "C:\\", store);
  EXPECT_FALSE(AnsweredWithEnter([&] { return host.Ask("一键安装?", "", 0); }));
  EXPECT_FALSE(AnsweredWithEnter(
      [&] { return host.Ask("端口 6969 已被其他程序占用", "Vexa服务器", MB_ICONWARNING); }));
}

// A logoff is refused while files are copied, named by the job, and no
// longer once the copy is over and its box may wait for the user.
TEST(ServiceHostBusy, ALogoffIsRefusedOnlyWhileFilesAreCopied) {
  const BusyPanel click;  // the button's own, unnamed
  BackupProgress progress;
  // The window's thread only pumps meanwhile: nothing writes the name then.
  EXPECT_EQ(RunShowingProgress(nullptr, CopyJob::kRestore, progress, [] { return RunningJob(); }),
            "恢复备份");
  EXPECT_EQ(RunShowingProgress(nullptr, CopyJob::kClearing, progress, [] { return RunningJob(); }),
            "一键安装服务器（清空并备份数据）");
  EXPECT_EQ(RunningJob(), "");
}

}  // namespace
}  // namespace vexa
