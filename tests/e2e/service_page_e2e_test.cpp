// The service page of the real VexaPanel.exe beside the stand-in tracker:
// every button, its boxes, the tracker's command lines and the files.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/scoped_handles_win32.h"
#include "base/text_codec.h"
#include "base/wide_text.h"
#include "resources/resource.h"
#include "tests/e2e/driver.h"
#include "tracker/status_schedule.h"
#include "tracker/system_tables_win32.h"
#include "jobs/tracker_jobs.h"
#include "tracker/tracker_commands.h"

namespace vexa::e2e {
namespace {

std::string Quoted(const ProgramDir& dir) { return "\"" + dir.File("vexa.exe") + "\""; }

// The page's status line, once it shows the expected text (it is read
// about once a second); the last text read otherwise.
std::string StatusOnceItIs(const ServicePage& s, const std::vector<std::string>& expected) {
  std::string text;
  WaitUntil([&] {
    text = ItemText(s.page, IDC_SVC_STATUS);
    return std::find(expected.begin(), expected.end(), text) != expected.end();
  }, 5000, 50);
  return text;
}

// Each click runs its switch with the quoted path; after its zero exit the
// service manager has the last word. A switch that only exits 0 is
// questioned; with a stand-in that really makes the service, each box has
// the button's own text and the status line follows at once (the list of
// every service is dear and otherwise read only every few minutes). A long
// switch keeps the window answering and drops the clicks meanwhile.
TEST(ServicePage, ServiceButtonsShowTheirMessageWhenTheServiceManagerAgrees) {
  ServicePage s("服务 a&b (1)");
  const std::string tail = " | 控制台：未运行 | 端口 " + s.WriteFreePort() + "：空闲";
  ASSERT_TRUE(s.dir.Write("delay-ms", "3000"));
  ASSERT_TRUE(s.Start());
  ASSERT_EQ(StatusOnceItIs(s, {"服务：未安装" + tail}), "服务：未安装" + tail);
  ClickItem(s.page, IDC_SVC_INSTALL);
  ASSERT_TRUE(WaitUntil([&] { return s.dir.StandInCalls().size() == 1; }, 5000));
  double longest = 0;
  int pings = 0;
  std::optional<MessageBoxInfo> box;
  {
    // While the switch's three seconds run. Loose bound: a loaded machine
    // delays any thread; a window that waits in WaitForSingleObject misses
    // it by seconds. docs/performance.md has the measured figures.
    ResponsePinger pinger(s.panel.Main());
    // A user's click on the backup button while the switch runs: a real
    // click arrives as button messages, which the panel must not keep.
    HWND backupButton = Item(s.page, IDC_SVC_BACKUP);
    PostMessageA(backupButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(backupButton, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    // Painting goes on: the caption can be read while it waits.
    EXPECT_EQ(ItemText(s.page, IDC_SVC_ONE_CLICK), "一键安装服务器");
    // Pinged until the switch has ended and its box shows.
    box = WaitForMessageBox(s.panel.Pid(), s.panel.Main(), 10000);
    longest = pinger.Stop();
    pings = pinger.Pings();
  }
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kServiceCaption);
  EXPECT_EQ(box->text, "vexa.exe 报告成功，但服务仍未安装。");
  SaveScreenshot(box->window, "service-install-unconfirmed");
  ASSERT_TRUE(PressButton(*box, IDOK));
  EXPECT_TRUE(s.NoBox());
  EXPECT_FALSE(s.dir.Exists("备份"));
  EXPECT_GE(pings, 20);
  EXPECT_LE(longest, 500.0) << "the main window did not answer for " << longest << " ms";
  ASSERT_TRUE(s.dir.Remove("delay-ms"));

  ASSERT_TRUE(s.dir.SetStandInRealService());
  std::vector<std::string> expectedCalls = {Quoted(s.dir) + " -i"};
  // The texts and switches are pinned with the buttons' table; here each
  // click must reach its own.
  const struct Step {
    int id;
    const ServiceSwitch& button;
    const char* status;
  } steps[] = {{IDC_SVC_INSTALL, kInstallSwitch, "服务：已停止"},
               {IDC_SVC_START, kStartSwitch, "服务：运行中"},
               {IDC_SVC_STOP, kStopSwitch, "服务：已停止"},
               {IDC_SVC_REMOVE, kRemoveSwitch, "服务：未安装"}};
  for (const Step& step : steps) {
    const ServiceSwitch& button = step.button;
    box = s.Click(step.id);
    ASSERT_TRUE(box) << button.command;
    EXPECT_EQ(box->caption, kServiceCaption);
    EXPECT_EQ(box->text, button.message);
    expectedCalls.push_back(Quoted(s.dir) + " " + CommandSwitch(button.command));
    EXPECT_EQ(s.dir.StandInCalls(), expectedCalls);
    if (step.id == IDC_SVC_INSTALL) SaveScreenshot(box->window, "service-install-box");
    ASSERT_TRUE(PressButton(*box, IDOK));
    std::string status;
    EXPECT_TRUE(WaitUntil([&] {
      status = ItemText(s.page, IDC_SVC_STATUS);
      return status.rfind(step.status, 0) == 0 && status.find(tail) != std::string::npos;
    }, 5000, 50)) << status;
  }
}

// The stand-in's console instances in the program directory, oldest first.
std::vector<DWORD> ConsolesInside(const ServicePage& s) {
  std::vector<DWORD> pids = ProcessesInside(s.dir.Path());
  pids.erase(std::remove(pids.begin(), pids.end(), s.panel.Pid()), pids.end());
  return pids;
}

TEST(ServicePageConsoles, ConsoleButtonsStartAndCloseTheTrackersConsolesShownInTheStatusLine) {
  ServicePage s("控制台 %x% ^");
  const std::string idle = "服务：未安装 | 控制台：未运行 | 端口 " + s.WriteFreePort() + "：空闲";
  ASSERT_TRUE(s.Start());
  EXPECT_EQ(StatusOnceItIs(s, {idle}), idle);

  ClickItem(s.page, IDC_SVC_CONSOLE_START);
  ASSERT_TRUE(WaitUntil([&] { return WindowsOfClass("ConsoleWindowClass").size() == 1; }, 10000));
  // A second one could not listen on the port: it is not started.
  auto running = s.Click(IDC_SVC_CONSOLE_START);
  ASSERT_TRUE(running);
  EXPECT_EQ(running->caption, "Vexa服务器");
  EXPECT_EQ(running->text.rfind("Vexa控制台已在运行（PID ", 0), 0u) << running->text;
  ASSERT_TRUE(PressButton(*running, IDOK));
  // One started by hand beside it: the status line and the close take both.
  ASSERT_TRUE(s.dir.StartStandIn());
  ASSERT_TRUE(WaitUntil([&] { return WindowsOfClass("ConsoleWindowClass").size() == 2; }, 10000));
  EXPECT_EQ(s.dir.StandInCalls(), (std::vector<std::string>{Quoted(s.dir), Quoted(s.dir)}));
  std::vector<DWORD> pids = ConsolesInside(s);
  ASSERT_EQ(pids.size(), 2u);
  const std::string a = std::to_string(pids[0]), b = std::to_string(pids[1]);
  const std::string head = "服务：未安装 | 控制台：运行中 (PID ",
                    tail = ")" + idle.substr(idle.find(" | 端口"));
  std::string status = StatusOnceItIs(s, {head + a + ", " + b + tail, head + b + ", " + a + tail});
  EXPECT_TRUE(status == head + a + ", " + b + tail || status == head + b + ", " + a + tail) << status;
  SaveScreenshot(s.panel.Main(), "service-status-line");

  // Both close at once and nothing is shown. Another directory's console
  // is left alone by the close itself (win32 ConsoleWindows).
  ClickItem(s.page, IDC_SVC_CONSOLE_CLOSE);
  EXPECT_TRUE(WaitUntil([] { return WindowsOfClass("ConsoleWindowClass").empty(); }, 5000));
  EXPECT_TRUE(s.dir.WaitForLogLine("关闭控制台："));
  EXPECT_TRUE(s.NoBox());
  EXPECT_TRUE(ConsolesInside(s).empty());
  EXPECT_EQ(StatusOnceItIs(s, {idle}), idle);

  auto box = s.Click(IDC_SVC_CONSOLE_CLOSE);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, "提示");
  EXPECT_EQ(box->text, "没有运行Vexa!");
  ASSERT_TRUE(PressButton(*box, IDOK));
}

TEST(ServicePageConsoles, TrackerInARealConsoleIsEndedByCtrlCAndThePanelStays) {
  ServicePage s("真的 控制台");
  std::string standIn = VEXA_E2E_CONSOLE_STANDIN;
  for (char& c : standIn) c = c == '/' ? '\\' : c;
  ASSERT_TRUE(s.dir.CopyIn(standIn, "vexa.exe"));
  s.WriteFreePort();
  ASSERT_TRUE(s.Start());
  ClickItem(s.page, IDC_SVC_CONSOLE_START);
  std::vector<std::string> calls;
  ASSERT_TRUE(WaitUntil([&] {
    calls = s.dir.StandInCalls();
    return calls.size() == 2;
  }, 10000));
  // Ready; the status line's reading of a console without a window is
  // win32 ConsoleWindows' (the console buttons' test shows the line).
  ASSERT_EQ(calls[1].rfind("ready ", 0), 0u);

  // No window of the class: Ctrl-C, which the panel shares and survives.
  ClickItem(s.page, IDC_SVC_CONSOLE_CLOSE);
  EXPECT_TRUE(WaitUntil([&] { return s.dir.StandInCalls().size() == 3; }, 5000));
  EXPECT_EQ(s.dir.StandInCalls().back(), "ctrl-c");
  EXPECT_TRUE(s.dir.WaitForLogLine("关闭控制台："));
  EXPECT_TRUE(s.NoBox());
  EXPECT_TRUE(s.panel.Running());
}

// Nobody sees the line behind another tab or in a minimised window, so it
// is not read then. Nothing shows that a reading did not happen: the test
// lets pass the time in which a shown line would have changed.
void LetRefreshesPass(unsigned refreshes) { Sleep(refreshes * 1000 + 500); }  // 1 s apart

TEST(ServicePage, StatusLineRestsWhileHiddenOrMinimisedAndIsCurrentWhenShownAgain) {
  ServicePage s;
  const std::string tail = ") | 端口 " + s.WriteFreePort() + "：空闲";
  ASSERT_TRUE(s.dir.Write("delay-ms", "60000"));
  ASSERT_TRUE(s.Start());
  const std::string none = "服务：未安装 | 控制台：未运行" + tail.substr(1);
  ASSERT_EQ(StatusOnceItIs(s, {none}), none);

  // Behind another tab a tracker starts; a shown line would have it after
  // the process table's turn.
  ShowTab(s.panel, 1);
  // A switch with a file "delay-ms" stays a while: a tracker process
  // without a window.
  const DWORD pid = GetProcessId(s.dir.StartStandIn("-stay").Get());
  ASSERT_NE(pid, 0u);
  ASSERT_TRUE(WaitUntil([&] { return s.dir.StandInCalls().size() == 1; }, 10000));
  LetRefreshesPass(StatusSchedule::kProcessesEvery + 1);
  EXPECT_EQ(ItemText(s.page, IDC_SVC_STATUS), none);
  ShowTab(s.panel, 0);
  const std::string running = "服务：未安装 | 控制台：运行中 (PID " + std::to_string(pid) + tail;
  EXPECT_EQ(StatusOnceItIs(s, {running}), running);

  // In the minimised window it ends; a shown line would say so at its next
  // reading.
  PostMessageA(s.panel.Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(s.panel.Main()) != 0; }, 5000));
  ScopedHandle tracker(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
  ASSERT_TRUE(tracker && TerminateProcess(tracker.Get(), 1));
  ASSERT_EQ(WaitForSingleObject(tracker.Get(), 5000), WAIT_OBJECT_0);
  LetRefreshesPass(2);
  EXPECT_EQ(ItemText(s.page, IDC_SVC_STATUS), running);
  PostMessageA(s.panel.Main(), WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(s.panel.Main()) == 0; }, 5000));
  EXPECT_EQ(StatusOnceItIs(s, {none}), none);
}

TEST(ServicePage, PortHeldByAnotherProgramIsAskedAboutBeforeEitherStart) {
  HttpRecorder holder;  // a Wine process listening on the port
  ASSERT_TRUE(holder.Start(0));
  const std::string port = std::to_string(holder.Port());
  ServicePage s;
  ASSERT_TRUE(s.dir.Write("vexa.cfg", "port = " + port + "\r\n"));
  ASSERT_TRUE(s.Start());
  // Wine names no owner of a port (PID 0); Windows would name this test.
  std::string status;
  EXPECT_TRUE(WaitUntil([&] {
    status = ItemText(s.page, IDC_SVC_STATUS);
    return status.find(" | 端口 " + port + "：被 ") != std::string::npos;
  }, 5000, 50)) << status;

  const std::string question = "端口 " + port + " 已被其他程序占用";
  for (int id : {IDC_SVC_START, IDC_SVC_CONSOLE_START}) {
    auto box = s.Click(id);
    ASSERT_TRUE(box) << id;
    if (id == IDC_SVC_START) SaveScreenshot(box->window, "service-port-question");
    EXPECT_EQ(box->text.rfind(question, 0), 0u) << box->text;
    ASSERT_TRUE(PressButton(*box, IDCANCEL));
    EXPECT_TRUE(s.NoBox());
  }
  // Cancel started nothing.
  EXPECT_TRUE(s.dir.StandInCalls().empty());
  EXPECT_TRUE(ConsolesInside(s).empty());

  auto box = s.Click(IDC_SVC_START);
  ASSERT_TRUE(box);
  ASSERT_TRUE(PressButton(*box, IDOK));
  box = WaitForMessageBox(s.panel.Pid(), s.panel.Main());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kServiceCaption);
  // The stand-in only exits 0: no service was there to start.
  EXPECT_EQ(box->text, "vexa.exe 报告成功，但服务未安装。");
  ASSERT_TRUE(PressButton(*box, IDOK));
  EXPECT_EQ(s.dir.StandInCalls(), std::vector<std::string>{Quoted(s.dir) + " -start"});
}

// The directory a backup message names, or "" when the text is not one.
std::string BackupDirectoryIn(const std::string& text, const std::string& lead) {
  if (text.compare(0, lead.size(), lead) != 0 || text.back() != '\\') return "";
  return text.substr(lead.size());
}

TEST(ServicePageConsoles, RestartClosesConsolesOrNamesOneThatStaysAndRecreatesTheService) {
  ServicePage s;
  s.WriteFreePort();
  ASSERT_TRUE(s.dir.SetStandInRealService());
  ASSERT_TRUE(s.Start());
  ClickItem(s.page, IDC_SVC_CONSOLE_START);
  ASSERT_TRUE(WaitUntil([] { return WindowsOfClass("ConsoleWindowClass").size() == 1; }, 10000));

  DWORD start = GetTickCount();
  ClickItem(s.page, IDC_SVC_RESTART);
  ASSERT_TRUE(WaitUntil([&] { return s.dir.StandInCalls().size() == 5; }, 15000));
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 3000u);  // three pauses of 1000 ms
  const std::string q = Quoted(s.dir);
  const std::vector<std::string> switches = {q + " -stop", q + " -U", q + " -i", q + " -start"};
  std::vector<std::string> calls = s.dir.StandInCalls();
  EXPECT_EQ(calls,
            (std::vector<std::string>{q, switches[0], switches[1], switches[2], switches[3]}));
  EXPECT_TRUE(WindowsOfClass("ConsoleWindowClass").empty());
  EXPECT_TRUE(s.dir.WaitForLogLine(" -start：返回代码"));
  EXPECT_TRUE(s.NoBox());
  // The status line says how it ended, for a few seconds.
  EXPECT_TRUE(WaitUntil([&] { return ItemText(s.page, IDC_SVC_STATUS) == "Vexa服务器已重启"; }, 5000))
      << ItemText(s.page, IDC_SVC_STATUS);

  // A console that ignores the close is named within the close's bounds;
  // the service's switches wait behind the box, then all four run. (No
  // console starts beside the running service: it is stopped first.)
  ASSERT_TRUE(s.dir.SetStandInIgnoresClose(true));
  auto stopped = s.Click(IDC_SVC_STOP);
  ASSERT_TRUE(stopped);
  ASSERT_TRUE(PressButton(*stopped, IDOK));
  ClickItem(s.page, IDC_SVC_CONSOLE_START);
  ASSERT_TRUE(WaitUntil([] { return WindowsOfClass("ConsoleWindowClass").size() == 1; }, 10000));
  DWORD stubborn = 0;
  GetWindowThreadProcessId(WindowsOfClass("ConsoleWindowClass").front(), &stubborn);
  start = GetTickCount();
  auto box = s.Click(IDC_SVC_RESTART);
  elapsed = GetTickCount() - start;
  ASSERT_TRUE(box);
  EXPECT_LE(elapsed, 5000u);
  EXPECT_EQ(box->caption, "提示");
  EXPECT_EQ(box->text, "以下控制台窗口未能关闭：\nvexa (PID " + std::to_string(stubborn) + ")");
  EXPECT_EQ(s.dir.StandInCalls().size(), 7u);
  ASSERT_TRUE(PressButton(*box, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return s.dir.StandInCalls().size() == 11; }, 15000));
  calls = s.dir.StandInCalls();
  EXPECT_EQ(std::vector<std::string>(calls.begin() + 7, calls.end()), switches);
  EXPECT_TRUE(s.dir.WaitForLogLine(" -start：返回代码", 2));
  EXPECT_TRUE(s.NoBox());
}

// The one-click installation sets port 6969, where the administrator
// request goes: the recorder listens there unless another program does.
constexpr char kPort6969Held[] =
    "another program holds port 6969, which the installation sets and sends its request to";

// Whether port 6969 is free for the recorder that stands in for the
// tracker's web interface.
bool Port6969Free() {
  HttpRecorder probe;
  return probe.Start(6969);
}

// Presses OK on the confirmation and the backup message; returns the backup
// directory the message named. The recorder, if any, starts listening on
// port 6969 once the data is cleared: before, a listener there stops the
// installation.
std::string ConfirmAndPassBackup(ServicePage& s, HttpRecorder* recorder = nullptr) {
  auto confirm = s.Click(IDC_SVC_ONE_CLICK);
  if (!confirm) return "no confirmation";
  EXPECT_EQ(confirm->caption, kAppCaption);
  EXPECT_EQ(confirm->text, kInstallConfirmText);
  EXPECT_TRUE(confirm->HasButton(IDOK) && confirm->HasButton(IDCANCEL));
  PressButton(*confirm, IDOK);
  auto backup = WaitForMessageBox(s.panel.Pid(), s.panel.Main());
  if (!backup) return "no backup message";
  EXPECT_EQ(ItemText(s.page, IDC_SVC_ONE_CLICK), kInstallBusyCaption);
  EXPECT_EQ(backup->caption, kAppCaption);
  std::string directory = BackupDirectoryIn(backup->text, "旧的配置与数据文件已全部清空\n");
  EXPECT_NE(directory, "") << backup->text;
  if (recorder) {
    EXPECT_TRUE(recorder->Start(6969));
  }
  PressButton(*backup, IDOK);
  return directory;
}

TEST(OneClickPort6969, FromConfirmationToTheAdministratorRequest) {
  if (!Port6969Free()) GTEST_SKIP() << kPort6969Held;
  HttpRecorder recorder;
  ServicePage s("一键 a&b");
  ASSERT_TRUE(s.dir.SetStandInRealService());
  ASSERT_TRUE(s.dir.Write("vexa.cfg", "port = 7000\r\nvexa_max_conns = 80\r\n"));
  ASSERT_TRUE(s.dir.Write("users.vexa", "old users"));
  ASSERT_TRUE(s.dir.Write("dstate.vexa", "old state"));
  ASSERT_TRUE(s.Start());

  std::string backup = ConfirmAndPassBackup(s, &recorder);
  EXPECT_EQ(ReadFileBytes(backup + "users.vexa"), "old users");
  EXPECT_EQ(ReadFileBytes(backup + "dstate.vexa"), "old state");
  EXPECT_EQ(ReadFileBytes(backup + "vexa.cfg"), "port = 6969\r\nvexa_max_conns = 80\r\n");
  EXPECT_FALSE(s.dir.Exists("users.vexa"));
  EXPECT_FALSE(s.dir.Exists("dstate.vexa"));
  EXPECT_EQ(s.dir.Read("vexa.cfg"), "port = 6969\r\nvexa_max_conns = 80\r\n");

  // The administrator dialog comes after the restart.
  auto dialog = WaitForMessageBox(s.panel.Pid(), s.panel.Main(), 20000);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->caption, "创建管理员");
  // Over the middle of the panel, not in the screen's corner over its title.
  RECT box = RectIn(dialog->window, nullptr);
  RECT main = RectIn(s.panel.Main(), nullptr);
  EXPECT_LE(std::abs((box.left + box.right) - (main.left + main.right)), 4)
      << box.left << "-" << box.right << " in " << main.left << "-" << main.right;
  EXPECT_LE(std::abs((box.top + box.bottom) - (main.top + main.bottom)), 4)
      << box.top << "-" << box.bottom << " in " << main.top << "-" << main.bottom;
  // The busy caption, on two lines of its button, whole.
  EXPECT_EQ(ItemText(s.page, IDC_SVC_ONE_CLICK), "请耐心等待，正在初始化Vexa......");
  EXPECT_TRUE(StyleOf(Item(s.page, IDC_SVC_ONE_CLICK)) & BS_MULTILINE);
  SaveScreenshot(s.panel.Main(), "service-admin-dialog-over-panel");
  const std::string q = Quoted(s.dir);
  EXPECT_EQ(s.dir.StandInCalls(),
            (std::vector<std::string>{q + " -stop", q + " -stop", q + " -U", q + " -i",
                                      q + " -start"}));
  EXPECT_EQ(ItemText(dialog->window, IDC_ADMIN_ACCOUNT), "");
  EXPECT_EQ(ItemText(dialog->window, IDC_ADMIN_PASSWORD), "");
  ASSERT_TRUE(SetItemText(dialog->window, IDC_ADMIN_ACCOUNT, "管理 a&b=c"));
  ASSERT_TRUE(SetItemText(dialog->window, IDC_ADMIN_PASSWORD, "p#%+ 1"));
  SaveScreenshot(dialog->window, "service-admin-dialog");
  ASSERT_TRUE(PressButton(*dialog, IDOK));

  // Sent by the panel itself, answered before the success; the browser
  // then gets the plain page only.
  auto done = WaitForMessageBox(s.panel.Pid(), s.panel.Main(), 20000);
  ASSERT_TRUE(done);
  ASSERT_EQ(recorder.Requests().size(), 1u);
  std::string request = recorder.Requests().front();
  EXPECT_EQ(request.substr(0, request.find("\r\n")),
            "GET /users.html?us_login=%B9%DC%C0%ED%20a%26b%3Dc&us_password=p%23%25%2B%201"
            "&us_password_verify=p%23%25%2B%201&us_email=admin%40localhost"
            "&us_access_view=on&us_access_dl=on&us_access_comments=on&us_access_upload=on"
            "&us_access_edit=on&us_access_admin=on&us_access_signup=on HTTP/1.1");
  EXPECT_NE(request.find("User-Agent: VexaPanel\r\n"), std::string::npos) << request;
  EXPECT_EQ(done->caption, kAppCaption);
  EXPECT_EQ(done->text, "创建超级用户成功!安装完成!");
  ASSERT_TRUE(PressButton(*done, IDOK));
  ASSERT_TRUE(recorder.WaitForRequests(2, 20000));
  EXPECT_EQ(HttpRecorder::Target(recorder.Requests()[1]), "/users.html");
  EXPECT_TRUE(WaitUntil([&] { return ItemText(s.page, IDC_SVC_ONE_CLICK) == kInstallFinishedCaption; }, 5000));
  SaveScreenshot(s.panel.Main(), "service-page-after-install");
  // The directories page shows the port the installation stored, so that
  // its next save keeps it.
  EXPECT_EQ(ItemText(s.panel.Page(1), IDC_DIR_PORT), "6969");
}

TEST(ServicePage, FootShowsTheCreditsAndTwoLinksKeptScrambled) {
  ServicePage s;
  ASSERT_TRUE(s.Start());
  EXPECT_EQ(ItemText(s.page, 1053), "VexaPanel 3.0  Vexa 开发组 制作");
  EXPECT_EQ(ItemText(s.page, 1052), "官方网站");
  EXPECT_EQ(ItemText(s.page, 1054), "技术支持");
  // That both are link labels, sized to their text and taking clicks, is
  // the label's own test and the looks test's; a click's, the next test's.
  // None of the three texts is readable in the executable.
  std::string exe = ReadFileBytes(s.dir.File("VexaPanel.exe"));
  ASSERT_FALSE(exe.empty());
  for (const char* text : {"http://localhost/vexapanel", "Vexa 开发组", "官方网站"}) {
    EXPECT_EQ(exe.find(text), std::string::npos) << text;
  }
  // The picture for the README, once the status line has its first reading.
  WaitUntil([&] { return !ItemText(s.page, IDC_SVC_STATUS).empty(); }, 5000);
  SaveScreenshot(s.panel.Main(), "service-page");
}

TEST(ServicePageKeyboard, ClickingALinkOpensTheSiteInTheBrowser) {
  HttpRecorder recorder;  // for the site's port 80, which the browser takes here
  ASSERT_TRUE(recorder.Start(0));
  recorder.RedirectPort80();
  ServicePage s;
  ASSERT_TRUE(s.Start());
  HWND link = Item(s.page, 1054);

  // From the keyboard: Tab reaches the link (a tab stop now), and Enter or
  // Space opens it as a click does. Wine may drop the very first key.
  for (int presses = 0; presses < 32 && FocusOf(s.panel) != link; ++presses) {
    HWND before = FocusOf(s.panel);
    ASSERT_TRUE(PressKeys(s.panel, "Tab"));
    WaitUntil([&] { return FocusOf(s.panel) != before; }, 2000);
  }
  ASSERT_EQ(FocusOf(s.panel), link);
  ASSERT_TRUE(PressKeys(s.panel, "Return"));
  ASSERT_TRUE(recorder.WaitForRequests(1, 20000));
  ASSERT_TRUE(PressKeys(s.panel, "space"));
  ASSERT_TRUE(recorder.WaitForRequests(2, 20000));

  PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  ASSERT_TRUE(recorder.WaitForRequests(3, 20000));
  for (const std::string& request : recorder.Requests()) {
    EXPECT_EQ(HttpRecorder::Target(request), "/vexapanel/");
  }
  EXPECT_TRUE(s.NoBox());
}

TEST(OneClickPort6969, StopsAtAFailedInstallWithoutSuccessOrRequest) {
  if (!Port6969Free()) GTEST_SKIP() << kPort6969Held;
  HttpRecorder recorder;
  ServicePage s;
  ASSERT_TRUE(s.dir.Write("vexa.cfg", "port = 7000\r\n"));
  ASSERT_TRUE(s.dir.Write("users.vexa", "old users"));
  ASSERT_TRUE(s.dir.SetStandInExitCode(3));  // every switch, -stop and -U too
  ASSERT_TRUE(s.Start());
  std::string backup = ConfirmAndPassBackup(s, &recorder);
  EXPECT_EQ(ReadFileBytes(backup + "users.vexa"), "old users");

  auto stopped = WaitForMessageBox(s.panel.Pid(), s.panel.Main(), 20000);
  ASSERT_TRUE(stopped);
  EXPECT_EQ(stopped->caption, kAppCaption);
  EXPECT_EQ(stopped->text, "一键安装已停止：Vexa服务未能安装或启动。\n\n命令 \"vexa.exe -i\" "
                           "返回了代码 3，请检查操作是否成功。");
  SaveScreenshot(stopped->window, "service-install-stopped");
  ASSERT_TRUE(PressButton(*stopped, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return ItemText(s.page, IDC_SVC_ONE_CLICK) == "一键安装服务器"; }, 5000));
  EXPECT_TRUE(s.dir.WaitForLogLine("一键安装：在安装服务时停止"));
  EXPECT_TRUE(s.NoBox());  // no administrator dialog, no success text
  const std::string q = Quoted(s.dir);
  EXPECT_EQ(s.dir.StandInCalls(),
            (std::vector<std::string>{q + " -stop", q + " -stop", q + " -U", q + " -i"}));
  EXPECT_TRUE(recorder.Requests().empty());

  // The log tells the same story, in order (its lines' form is the log's own test).
  std::string texts = TextFromGbk(s.dir.Read("VexaPanel.log"));
  for (const std::string& expected :
       {std::string("一键安装：开始"), std::string("保存 vexa.cfg：成功"),
        std::string("一键安装：停止Vexa"), "运行 " + q + " -stop：返回代码 3",
        std::string("一键安装：清空并备份数据"), "清空并备份数据到 " + backup + "：2 个文件",
        "运行 " + q + " -i：返回代码 3", std::string("一键安装：在安装服务时停止")}) {
    size_t at = texts.find(expected);
    EXPECT_NE(at, std::string::npos) << expected << "\nin\n" << texts;
    if (at != std::string::npos) texts = texts.substr(at + expected.size());
  }
}

// Nothing answers on 6969: after the wait the box says so, never the success.
TEST(OneClickPort6969, WithoutAListenerTheAccountIsNotReportedCreated) {
  if (!Port6969Free()) GTEST_SKIP() << kPort6969Held;
  ServicePage s;
  ASSERT_TRUE(s.dir.Write("users.vexa", "u"));
  ASSERT_TRUE(s.dir.SetStandInRealService());
  ASSERT_TRUE(s.Start());
  const std::string backup = ConfirmAndPassBackup(s);
  auto dialog = WaitForMessageBox(s.panel.Pid(), s.panel.Main(), 20000);
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(SetItemText(dialog->window, IDC_ADMIN_ACCOUNT, "a"));
  ASSERT_TRUE(SetItemText(dialog->window, IDC_ADMIN_PASSWORD, "p"));
  ASSERT_TRUE(PressButton(*dialog, IDOK));
  std::optional<MessageBoxInfo> failed;
  WaitUntil([&] { return (failed = FindMessageBox(s.panel.Pid(), s.panel.Main())) && failed->window != dialog->window; },
            30000);
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->text, "没有创建管理员：15 秒内本机端口 6969 上没有程序接受连接，Vexa服务器可能没有启动。"
                          "\n\nVexa服务已重新安装，原来的配置与数据文件已备份到：\n" + backup +
                              "\n\n以后可以在浏览器中打开 http://localhost:6969/users.html 创建管理员。");
  ASSERT_TRUE(PressButton(*failed, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return ItemText(s.page, IDC_SVC_ONE_CLICK) == "一键安装服务器"; }, 5000));
}

TEST(OneClickPort6969, ClearsDataATrackerConsoleHeldOpen) {
  if (!Port6969Free()) GTEST_SKIP() << kPort6969Held;
  ServicePage s;
  s.WriteFreePort();
  ASSERT_TRUE(s.dir.Write("users.vexa", "held users"));
  ASSERT_TRUE(s.dir.Write("hold-file", "users.vexa"));
  ASSERT_TRUE(s.dir.SetStandInRealService());
  ASSERT_TRUE(s.Start());
  ClickItem(s.page, IDC_SVC_CONSOLE_START);
  const auto consoleShown = [&] {
    const std::vector<DWORD> pids = ConsolesInside(s);
    for (HWND window : WindowsOfClass("ConsoleWindowClass")) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (std::count(pids.begin(), pids.end(), owner)) return true;
    }
    return false;
  };
  ASSERT_TRUE(WaitUntil(consoleShown, 10000));
  // Held: a plain delete fails while the console runs.
  EXPECT_FALSE(DeleteFileW(Wide(s.dir.File("users.vexa")).c_str()));

  std::string backup = ConfirmAndPassBackup(s);
  EXPECT_EQ(ReadFileBytes(backup + "users.vexa"), "held users");
  EXPECT_FALSE(s.dir.Exists("users.vexa"));
  // The service's process may have started since: it has no window.
  EXPECT_FALSE(consoleShown());
  // The close box leaves as Cancel does (an empty value and Cancel at the
  // confirmation are the flow's, tested natively), saying where the data went.
  auto dialog = WaitForMessageBox(s.panel.Pid(), s.panel.Main(), 20000);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->caption, "创建管理员");
  PostMessageA(dialog->window, WM_SYSCOMMAND, SC_CLOSE, 0);
  std::optional<MessageBoxInfo> left;
  WaitUntil(
      [&] {
        left = FindMessageBox(s.panel.Pid(), s.panel.Main());
        return left && left->window != dialog->window;
      },
      10000);
  ASSERT_TRUE(left);
  EXPECT_EQ(left->caption, kAppCaption);
  EXPECT_EQ(left->text,
            "您已经退出安装程序!\n\nVexa服务已重新安装，原来的配置与数据文件已备份到：\n" + backup +
                "\n\n以后可以在浏览器中打开 http://localhost:6969/users.html 创建管理员。");
  ASSERT_TRUE(PressButton(*left, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return ItemText(s.page, IDC_SVC_ONE_CLICK) == "一键安装服务器"; }, 5000));
}

}  // namespace
}  // namespace vexa::e2e
