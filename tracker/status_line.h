#pragma once
// The service page's status line and the question before a start: texts and
// decisions from the system's tables, without Windows.
#include <string>

#include "tracker/tracker_processes.h"

namespace vexa {

enum class PortUse {
  kFree,
  kTracker,       // a process of this program directory's tracker listens
  kOther,         // another program, named
  kUnknownOwner,  // held, but the system does not say by whom (Wine: always)
  kInvalid,       // the configured port is no number from 1 to 65535
};

struct PortHolder {
  PortUse use = PortUse::kFree;
  unsigned long pid = 0;  // kOther only
  std::string name;       // kOther only: the program's file name
};

// The tracker's processes and the holder of the configured port, read at once.
struct TrackerSnapshot {
  TrackerProcesses processes;
  PortHolder port;
};

// The port as configured, when it is a plain decimal number from 1 to 65535.
bool ParsePort(const std::string& text, unsigned* port);

// Who listens on the configured port (IPv4 or IPv6).
PortHolder FindPortHolder(const std::string& portText, const SystemTables& tables,
                          const TrackerProcesses& tracker);

// Whether a listener on the port is a process that the tables do not list
// (it started after they were read), so that its name must be read first.
bool PortHolderUnlisted(const std::string& portText, const SystemTables& tables);

// "httpd.exe (PID 44)", or "未知程序" when the system does not say.
std::string PortHolderText(const PortHolder& holder);

std::string ServiceSegment(const TrackerProcesses& tracker);
std::string ConsoleSegment(const TrackerProcesses& tracker);
std::string PortSegment(const std::string& portText, const PortHolder& holder);
// The three segments joined by " | ".
std::string StatusLineText(const TrackerProcesses& tracker, const std::string& portText,
                           const PortHolder& holder);

// Whether the tracker of this program directory runs, as far as can be told.
struct TrackerRunCheck {
  bool known = true;  // false: it could not be told; detail says why
  bool running = false;
  std::string detail;  // which processes run, or why it could not be told
  // Whatever must not run beside the tracker must not run now.
  bool MayRun() const { return !known || running; }
};

// Running when a tracker process runs or its service is on its way up or
// down; not known when the process list could not be read or a process named
// like the tracker hides its path, which might be ours.
// The one judgement of every job that must not run beside the tracker (the
// restore, the one-click clearing, the console start).
TrackerRunCheck JudgeTrackerRun(const TrackerProcesses& tracker);
// The sentence for a process named like the tracker whose path is hidden.
std::string UnreadPathText(const ProcessEntry& process);

// The question before a start, or "" when none is due: only when another
// program holds the port and no tracker process of this directory runs.
std::string PortQuestionText(const std::string& portText, const PortHolder& holder,
                             const TrackerProcesses& tracker);

}  // namespace vexa
