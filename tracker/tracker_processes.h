#pragma once
// Which processes of the system are this program directory's tracker: its
// service, found in the service manager by binary path, and its console
// instances, found by image path. The system's tables come in as plain
// values, so every decision here runs without Windows.
#include <string>
#include <vector>

namespace vexa {

enum class ServiceState { kNotInstalled, kStopped, kStartPending, kStopPending, kRunning };

struct ServiceEntry {
  std::string name;
  std::string binaryPath;  // as the service manager keeps it: maybe quoted, maybe with arguments
  ServiceState state = ServiceState::kStopped;
  unsigned long pid = 0;  // 0 unless a process runs it
};

struct ProcessEntry {
  unsigned long pid = 0;
  std::string exeName;    // file name alone, e.g. "vexa.exe"
  std::string imagePath;  // full path; empty when it was not asked for or could not be read
};

struct TcpListener {
  unsigned port = 0;
  unsigned long pid = 0;  // 0: the system does not say (always so under Wine)
};

// What the system shows at one moment.
struct SystemTables {
  std::vector<ServiceEntry> services;
  std::vector<ProcessEntry> processes;
  std::vector<TcpListener> listeners;  // IPv4 and IPv6
};

struct TrackerProcesses {
  ServiceState serviceState = ServiceState::kNotInstalled;
  unsigned long servicePid = 0;            // the service's process while there is one
  std::string serviceName;                 // kNotInstalled: none
  std::string serviceBinaryPath;           // as the service manager keeps it
  std::vector<unsigned long> consolePids;  // tracker processes other than the service's
  // Why it cannot be told that none runs: the process list could not be
  // read, or processes named like the tracker hide their paths (they might
  // be ours).
  bool processesRead = true;
  std::vector<ProcessEntry> pathsUnread;

  // True when any process of the tracker runs, service or console.
  bool AnyRunning() const { return servicePid != 0 || !consolePids.empty(); }
  bool Owns(unsigned long pid) const;
};

// Paths compared as Windows compares them: ASCII letters without case,
// double-byte characters byte for byte; "\\?\" and "\??\" prefixes ignored.
bool SameImagePath(const std::string& a, const std::string& b);
// The system's own comparison goes in here on Windows (every letter without
// case, short names made long).
using SamePathFunction = bool (*)(const std::string&, const std::string&);

// A path without its "\\?\" or "\??\" prefix.
std::string WithoutLongPathPrefix(const std::string& path);

// The file name of a path, e.g. "vexa.exe".
std::string FileName(const std::string& path);

// Whether a service's binary path runs imagePath: its quoted first part, or
// unquoted the whole text or the text up to a blank, as the service manager
// itself tries an unquoted path that holds blanks. Only a path that holds
// imagePath's file name is compared.
bool ServiceRunsImage(const std::string& binaryPath, const std::string& imagePath,
                      SamePathFunction same = SameImagePath);

// Whether a service's binary path may run a program of that file name
// (e.g. "vexa.exe") in some folder: the name anywhere in it, letters
// without case. May say yes for a path that does not.
bool BinaryPathMayRun(const std::string& binaryPath, const std::string& fileName);

// The tracker processes of trackerPath (ProgramDirectory + "vexa.exe"). Of
// two services on the same program the one with a process counts, else the
// first by name, whatever order the system lists them in.
TrackerProcesses FindTrackerProcesses(const std::string& trackerPath, const SystemTables& tables,
                                      SamePathFunction same = SameImagePath);

// "PID 123", as the status line and the boxes name a process.
std::string PidText(unsigned long pid);

// The live answer for a program directory, read afresh from the system
// (Windows only: TrackerQuery in tracker/system_tables_win32.h).
TrackerProcesses QueryTrackerProcesses(const std::string& programDirectory);

}  // namespace vexa
