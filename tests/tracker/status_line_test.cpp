#include "tracker/status_line.h"

#include <gtest/gtest.h>

#include "tracker/tracker_processes.h"

namespace vexa {
namespace {

const char kTracker[] = "C:\\Vexa 服务\\vexa.exe";

SystemTables Tables() {
  SystemTables tables;
  tables.services = {
      {"Spooler", "C:\\Windows\\System32\\spoolsv.exe", ServiceState::kRunning, 300},
      {"OtherVexa", "\"D:\\other\\vexa.exe\" -service", ServiceState::kRunning, 301},
  };
  tables.processes = {
      {300, "spoolsv.exe", ""},
      {301, "vexa.exe", "D:\\other\\vexa.exe"},
      {400, "VEXA.EXE", "c:\\vexa 服务\\VEXA.EXE"},    // ours, case apart
      {401, "vexa.exe", "\\\\?\\C:\\Vexa 服务\\vexa.exe"},  // ours, long form
      {402, "vexa.exe", ""},                            // path unreadable: not counted
      {500, "httpd.exe", ""},
  };
  return tables;
}

TEST(TrackerProcesses, ServiceByBinaryPathConsolesByImagePath) {
  // Quoted with arguments, unquoted with blanks in the path, other case.
  EXPECT_TRUE(ServiceRunsImage("\"C:\\Vexa 服务\\vexa.exe\" -service", kTracker));
  EXPECT_TRUE(ServiceRunsImage("  c:\\vexa 服务\\VEXA.exe -service", kTracker));
  EXPECT_TRUE(ServiceRunsImage("C:\\Vexa 服务\\vexa.exe", kTracker));
  EXPECT_FALSE(ServiceRunsImage("C:\\Vexa 服务\\vexa.exe2", kTracker));
  EXPECT_FALSE(ServiceRunsImage("\"C:\\Vexa 服务\\vexa.exe -service\"", kTracker));
  EXPECT_FALSE(ServiceRunsImage("", kTracker));
  // Only ASCII letters fold; the bytes of other characters are compared as they are.
  EXPECT_FALSE(SameImagePath("C:\\É\\vexa.exe", "C:\\é\\vexa.exe"));
  EXPECT_TRUE(SameImagePath("C:\\服务\\VEXA.exe", "c:\\服务\\vexa.EXE"));

  SystemTables tables = Tables();
  TrackerProcesses none = FindTrackerProcesses(kTracker, tables);
  EXPECT_EQ(none.serviceState, ServiceState::kNotInstalled);
  EXPECT_EQ(none.servicePid, 0u);
  EXPECT_EQ(none.consolePids, (std::vector<unsigned long>{400, 401}));
  EXPECT_TRUE(none.AnyRunning());

  // The service's own process is not a console instance.
  tables.services.push_back({"Vexa", "C:\\Vexa 服务\\vexa.exe -service", ServiceState::kRunning, 401});
  TrackerProcesses running = FindTrackerProcesses(kTracker, tables);
  EXPECT_EQ(running.serviceState, ServiceState::kRunning);
  EXPECT_EQ(running.servicePid, 401u);
  EXPECT_EQ(running.consolePids, (std::vector<unsigned long>{400}));
  EXPECT_TRUE(running.Owns(401) && running.Owns(400));
  EXPECT_FALSE(running.Owns(301) || running.Owns(0));

  tables.processes.resize(1);
  tables.services.back() = {"Vexa", "\"C:\\Vexa 服务\\vexa.exe\"", ServiceState::kStopped, 0};
  TrackerProcesses stopped = FindTrackerProcesses(kTracker, tables);
  EXPECT_EQ(stopped.serviceState, ServiceState::kStopped);
  EXPECT_FALSE(stopped.AnyRunning());
}

TEST(StatusLine, ShowsServiceConsolesAndPortInThreeSegments) {
  struct Case {
    ServiceState state;
    unsigned long servicePid;
    std::vector<unsigned long> consoles;
    const char* expected;
  };
  const Case cases[] = {
      {ServiceState::kNotInstalled, 0, {}, "服务：未安装 | 控制台：未运行 | 端口 6969：空闲"},
      {ServiceState::kStopped, 0, {12}, "服务：已停止 | 控制台：运行中 (PID 12) | 端口 6969：空闲"},
      {ServiceState::kStartPending, 0, {12, 34},
       "服务：正在启动 | 控制台：运行中 (PID 12, 34) | 端口 6969：空闲"},
      {ServiceState::kStopPending, 7, {}, "服务：正在停止 | 控制台：未运行 | 端口 6969：空闲"},
      {ServiceState::kRunning, 4321, {}, "服务：运行中 (PID 4321) | 控制台：未运行 | 端口 6969：空闲"},
  };
  for (const Case& c : cases) {
    TrackerProcesses tracker;
    tracker.serviceState = c.state;
    tracker.servicePid = c.servicePid;
    tracker.consolePids = c.consoles;
    EXPECT_EQ(StatusLineText(tracker, "6969", PortHolder{}), c.expected);
  }
}

TEST(StatusLine, NamesThePortsHolderOrSaysItIsUnknown) {
  SystemTables tables = Tables();
  TrackerProcesses tracker = FindTrackerProcesses(kTracker, tables);  // consoles 400, 401
  tables.listeners = {{80, 500}, {6969, 401}, {6969, 0}, {8080, 0}, {8081, 999}, {9000, 500}, {9000, 0}};
  struct Case {
    const char* port;
    PortUse use;
    const char* segment;
    bool asked;  // when no tracker process ran
  };
  const Case cases[] = {
      {"80", PortUse::kOther, "端口 80：被 httpd.exe (PID 500) 占用", true},
      {"6969", PortUse::kTracker, "端口 6969：Vexa 监听中", false},  // IPv6 unknown, IPv4 ours
      {"8080", PortUse::kUnknownOwner, "端口 8080：被 未知程序 占用", true},  // Wine: PID 0
      {"8081", PortUse::kUnknownOwner, "端口 8081：被 未知程序 占用", true},  // PID gone
      {"9000", PortUse::kOther, "端口 9000：被 httpd.exe (PID 500) 占用", true},
      {"7000", PortUse::kFree, "端口 7000：空闲", false},
      {"69x", PortUse::kInvalid, "端口 69x：无效", false},
      {"70000", PortUse::kInvalid, "端口 70000：无效", false},
      {"", PortUse::kInvalid, "端口 ：无效", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    PortHolder holder = FindPortHolder(c.port, tables, tracker);
    EXPECT_EQ(holder.use, c.use);
    EXPECT_EQ(PortSegment(c.port, holder), c.segment);
    // A tracker process of this directory runs: never a question.
    EXPECT_EQ(PortQuestionText(c.port, holder, tracker), "");
    EXPECT_EQ(!PortQuestionText(c.port, holder, TrackerProcesses{}).empty(), c.asked);
  }
  EXPECT_EQ(PortQuestionText("8080", FindPortHolder("8080", tables, tracker), TrackerProcesses{}),
            "端口 8080 已被其他程序占用：未知程序。\nVexa服务器可能无法在这个端口上监听。\n\n仍要启动吗?");
}

}  // namespace
}  // namespace vexa
