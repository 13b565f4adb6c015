// The service manager and the firewall for real: under Wine the path is
// quoted, while the recovery (its flag's level is unknown there, 124) and
// the firewall are refused and must be reported as such, in the outcome
// and in the status line's tip.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "base/process_win32.h"
#include "base/wide_text.h"
#include "service_page/status_control_win32.h"
#include "tests/tracker/scratch_directory.h"
#include "tracker/firewall_rules_win32.h"
#include "tracker/image_path_win32.h"
#include "tracker/service_config_win32.h"
#include "tracker/system_tables_win32.h"

namespace vexa {
namespace {

using test::ScratchDirectory;

// The text of the line's tooltip, a popup owned by the window of the line.
std::string TipShownBy(HWND owner) {
  HWND tip = nullptr;
  do tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
  while (tip && GetWindow(tip, GW_OWNER) != owner);
  wchar_t text[1024] = L"(no tooltip)";
  TTTOOLINFOW tool = {sizeof tool, 0, owner, 1, {}, nullptr, text, 0, nullptr};
  if (tip) SendMessageW(tip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
  return Narrow(text);
}

bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(ServiceSafetyOnTheSystem, QuotesTheInstalledPathAndShowsWhatCouldNotBeSetOrRead) {
  ScratchDirectory dir("安全 目录");
  test::WriteBytes(dir.Path() + "vexa.exe", "");
  ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  ASSERT_TRUE(manager) << GetLastError();
  const std::string unquoted = dir.Path() + "vexa.exe -service";
  ScopedServiceHandle service(CreateServiceW(
      manager.Get(), L"VexaPanelSafetyTest", L"VexaPanelSafetyTest", SERVICE_ALL_ACCESS,
      SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
      Wide(unquoted).c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(service) << GetLastError();

  const TrackerProcesses found = QueryTrackerProcesses(dir.Path());
  ASSERT_TRUE(ProcessRunsElevated());
  ServiceConfigWin32 config(found.serviceName, true);
  FirewallWin32 firewall;
  const ServiceSecuring done = SecureService(
      {dir.Path() + "vexa.exe", found.serviceName, found.serviceBinaryPath, true}, config, firewall,
      SameImageFile);
  const std::string pathAfter = QueryTrackerProcesses(dir.Path()).serviceBinaryPath;

  // The line's tip, with the service as the system now shows it.
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 40, nullptr, nullptr,
                                nullptr, nullptr);
  HWND line = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 400, 20, window, nullptr, nullptr,
                              nullptr);
  CServiceStatus status;
  status.Attach(line);
  status.SetSecuringNote(SecuringFailureLine(done));
  status.Refresh(dir.Path(), "47133", StatusRefresh::kAfresh);
  const std::string tip = status.Tip();
  // Made at the first reading, not when the line was attached.
  EXPECT_EQ(TipShownBy(window), tip);
  DestroyWindow(window);
  EXPECT_TRUE(DeleteService(service.Get()));

  EXPECT_EQ(found.serviceName, "VexaPanelSafetyTest");
  EXPECT_TRUE(done.quoted) << done.quoting.message;
  EXPECT_EQ(pathAfter, "\"" + dir.Path() + "vexa.exe\" -service");
  if (!UnderWine()) return;  // what follows is Wine's, which stores neither
  EXPECT_NE(done.recovery.message.find("(124)"), std::string::npos) << done.recovery.message;
  EXPECT_NE(done.firewall.message.find("(0x80004001)"), std::string::npos) << done.firewall.message;
  const std::string lines = "\n防火墙：无法读取（";
  EXPECT_EQ(tip.rfind(status.Shown() + lines, 0), 0u) << tip;
  EXPECT_NE(tip.find("）\n故障恢复：无法读取（"), std::string::npos) << tip;
  EXPECT_NE(tip.find("\n" + SecuringFailureLine(done)), std::string::npos) << tip;
}

}  // namespace
}  // namespace vexa
