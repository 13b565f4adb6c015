#include "tracker/status_line.h"

#include <gtest/gtest.h>

#include "tracker/status_schedule.h"
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
  // Which binary paths are read anew after the panel's own commands.
  EXPECT_TRUE(BinaryPathMayRun("\"D:\\other\\VEXA.EXE\" -service", "vexa.exe"));
  EXPECT_TRUE(BinaryPathMayRun("C:\\Vexa 服务\\vexa.exe", "vexa.exe"));
  EXPECT_FALSE(BinaryPathMayRun("C:\\Windows\\System32\\spoolsv.exe", "vexa.exe"));
  EXPECT_FALSE(BinaryPathMayRun("C:\\vexa\\tracker.exe", "vexa.exe"));
  EXPECT_FALSE(BinaryPathMayRun("", "vexa.exe"));

  SystemTables tables = Tables();
  // The system's comparison, which opens both files, is asked once a second
  // only about paths holding the tracker's file name: the other service and
  // its process, and consoles 400 and 401.
  static int comparisons = 0;
  SystemTables more = tables;
  more.processes.push_back({600, "explorer.exe", "C:\\Windows\\explorer.exe"});
  EXPECT_EQ(FindTrackerProcesses(kTracker, more, [](const std::string& a, const std::string& b) {
              ++comparisons;
              return SameImagePath(a, b);
            }).consolePids,
            (std::vector<unsigned long>{400, 401}));
  EXPECT_EQ(comparisons, 4);
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

TEST(TrackerProcesses, OfTwoServicesOnOneTrackerTheRunningOneElseTheFirstByName) {
  const ServiceEntry stoppedB{"VexaB", kTracker, ServiceState::kStopped, 0},
      pendingA{"vexaA", kTracker, ServiceState::kStartPending, 0},
      runningC{"VexaC", kTracker, ServiceState::kRunning, 77};
  // Whatever order the system lists them in.
  for (const auto& services : std::vector<std::vector<ServiceEntry>>{
           {stoppedB, pendingA}, {pendingA, stoppedB}, {stoppedB, runningC, pendingA}, {runningC, pendingA}}) {
    SystemTables tables;
    tables.services = services;
    EXPECT_EQ(FindTrackerProcesses(kTracker, tables).serviceState,
              services.size() == 2 && services[0].pid == 0 ? ServiceState::kStartPending : ServiceState::kRunning);
  }
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
  tables.listeners = {{80, 500},  {6969, 401}, {6969, 0},   {8080, 0},   {8081, 999},
                      {9000, 500}, {9000, 0},   {7070, 400}, {7070, 401}, {9001, 401}, {9001, 500}};
  struct Case {
    const char* port;
    PortUse use;
    const char* segment;
    bool asked;  // when no tracker process ran
  };
  const Case cases[] = {
      {"80", PortUse::kOther, "端口 80：被 httpd.exe (PID 500) 占用", true},
      // Ours only when every listener is: a request may reach any of them.
      {"7070", PortUse::kTracker, "端口 7070：Vexa 监听中", false},  // IPv4 and IPv6 ours
      {"6969", PortUse::kUnknownOwner, "端口 6969：被 未知程序 占用", true},  // IPv6 unknown
      {"9001", PortUse::kOther, "端口 9001：被 httpd.exe (PID 500) 占用", true},
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

TEST(StatusLine, AListenerMissingFromTheProcessTableAsksForItFirst) {
  SystemTables tables = Tables();
  tables.listeners = {{80, 500}, {6969, 0}, {8081, 999}, {8081, 500}};
  EXPECT_FALSE(PortHolderUnlisted("80", tables));    // listed: httpd.exe
  EXPECT_FALSE(PortHolderUnlisted("6969", tables));  // no owner said (Wine): nothing to read
  EXPECT_TRUE(PortHolderUnlisted("8081", tables));   // 999 started after the table
  EXPECT_FALSE(PortHolderUnlisted("7000", tables));
  EXPECT_FALSE(PortHolderUnlisted("80x", tables));
}

// What a run of refreshes reads, one letter a table: P processes, S the
// tracker's service, A all services, L listeners.
std::string ReadsText(const StatusReads& reads) {
  std::string text;
  if (reads.processes) text += 'P';
  if (reads.trackerService) text += 'S';
  if (reads.allServices) text += 'A';
  if (reads.listeners) text += 'L';
  return text;
}

TEST(StatusSchedule, ReadsEachTableWhenItMayHaveChangedAndOtherwiseEveryFewRefreshes) {
  StatusChanges timer;
  timer.servicesWatched = true;
  auto run = [](StatusSchedule& schedule, const std::vector<StatusChanges>& ticks) {
    std::vector<std::string> reads;
    reads.reserve(ticks.size());
    for (const StatusChanges& tick : ticks) reads.push_back(ReadsText(schedule.Next(tick)));
    return reads;
  };
  StatusChanges everything = timer, current = timer, ended = timer, pending = timer, added = timer;
  everything.everything = true;
  current.current = true;
  ended.trackerEnded = true;
  pending.servicePending = true;
  added.servicesChanged = true;

  StatusSchedule schedule;
  // The first reading takes everything, then the processes and the service
  // take turns, a step apart, and the listeners come every time.
  EXPECT_EQ(run(schedule, {timer, timer, timer, timer, timer, timer, timer}),
            (std::vector<std::string>{"PSAL", "L", "SL", "PL", "L", "SL", "PL"}));
  // What cannot wait: the panel's own commands, the line shown again or a
  // port question, an ended tracker process, a pending service, a service
  // added or removed.
  EXPECT_EQ(run(schedule, {everything, timer, current, ended, pending, pending, added, timer}),
            (std::vector<std::string>{"PSAL", "L", "PSL", "PSL", "SL", "SL", "PAL", "L"}));

  // The full listing's safety net: rare when services are watched, every
  // 30th refresh when they cannot be.
  for (bool watched : {true, false}) {
    StatusSchedule fresh;
    StatusChanges tick;
    tick.servicesWatched = watched;
    std::vector<unsigned> listings;
    for (unsigned i = 0; i <= StatusSchedule::kAllServicesEvery; ++i) {
      if (fresh.Next(tick).allServices) listings.push_back(i);
    }
    if (watched) {
      EXPECT_EQ(listings, (std::vector<unsigned>{0, StatusSchedule::kAllServicesEvery}));
    } else {
      EXPECT_EQ(listings.size(), StatusSchedule::kAllServicesEvery / 30 + 1);
      EXPECT_EQ(listings.at(1), StatusSchedule::kAllServicesUnwatchedEvery);
    }
  }
}

TEST(StatusLine, JudgesWhetherThisDirectorysTrackerRuns) {
  const std::string tracker = "C:\\程序 嘰\\vexa.exe";
  const ProcessEntry panel{10, "VexaPanel.exe", ""};
  const ProcessEntry otherTracker{11, "vexa.exe", "C:\\其他\\vexa.exe"};
  struct Row {
    const char* what;
    SystemTables tables;
    bool known, running;
    const char* detail;
  } const rows[] = {
      {"nothing of ours", {{}, {panel, otherTracker}, {}}, true, false, ""},
      {"a console", {{}, {panel, {42, "VEXA.EXE", "c:\\程序 嘰\\VEXA.exe"}}, {}}, true, true,
       "服务：未安装\n控制台：运行中 (PID 42)"},
      {"a service starting",
       {{{"vexa", tracker, ServiceState::kStartPending, 0}}, {panel}, {}}, true, true,
       "服务：正在启动\n控制台：未运行"},
      {"a stopped service", {{{"vexa", tracker, ServiceState::kStopped, 0}}, {panel}, {}}, true,
       false, ""},
      {"no process list", {}, false, false, "无法读取正在运行的进程列表。"},
      {"a tracker hiding its path", {{}, {panel, otherTracker, {12, "Vexa.exe", ""}}, {}}, false,
       false, "无法读取进程 Vexa.exe (PID 12) 的程序路径，它可能是本目录的Vexa服务器。"},
  };
  for (const Row& row : rows) {
    const TrackerRunCheck check = JudgeTrackerRun(FindTrackerProcesses(tracker, row.tables));
    EXPECT_EQ(check.known, row.known) << row.what;
    EXPECT_EQ(check.running, row.running) << row.what;
    EXPECT_EQ(check.detail, row.detail) << row.what;
  }
}

}  // namespace
}  // namespace vexa
