#pragma once
// Reads the tables behind the tracker's processes from the system: services
// with their binary paths, processes, TCP listeners.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "base/scoped_handles_win32.h"
#include "tracker/status_line.h"
#include "tracker/status_schedule.h"
#include "tracker/tracker_processes.h"

namespace vexa {

struct ServiceManagerTraits {
  using Handle = SC_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CloseServiceHandle(h); }
};
using ScopedServiceHandle = ScopedHandleT<ServiceManagerTraits>;

// Asked once a second, so it remembers what rarely changes: the service
// manager's handle (never a service's: an open handle would keep a removed
// service alive), the tracker's service by name, services' binary paths and
// processes' image paths, and the tables as last read.
class SystemTableReader {
 public:
  // The tables for the tracker at trackerPath (ProgramDirectory +
  // "vexa.exe"), with what `reads` asks for read now and the rest as last
  // read. The tracker's service is asked only when one was found (a full
  // listing looks again when it has gone). Image paths are read only for
  // processes named like the tracker.
  const SystemTables& Read(const std::string& trackerPath, const StatusReads& reads);

  // What changed since the last reading, as far as the system tells without
  // reading its tables: a watched tracker process ended, services were
  // added or removed.
  StatusChanges Changes();

  // The panel's own commands may have installed, removed or changed the
  // tracker's service: list every service at the next reading, and read
  // anew the binary paths of those that may run a program named like the
  // tracker (the others the tracker's commands do not touch).
  void ForgetServices(const std::string& trackerPath);

  // A handle of its own (SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION)
  // to a process named like the tracker, as held since the listing that
  // found it; empty for any other.
  ScopedHandle ListedProcess(unsigned long pid) const;

 private:
  struct ListedImage {
    ScopedHandle process;  // held, so that its id cannot pass to another process
    std::string path;
  };

  void ReadAllServices(const std::string& trackerPath);
  bool ReadTrackerService();
  void ReadProcesses(const std::string& imageName);
  void WatchTrackerProcesses(const std::string& trackerPath);
  void WatchServices();

  ScopedServiceHandle manager_;
  SystemTables tables_;
  std::map<std::string, std::string> binaryPaths_;  // by service name
  std::vector<std::string> trackerServices_;         // by name; none when none was found
  std::map<unsigned long, ListedImage> images_;      // processes named like the tracker, by id
  std::vector<unsigned long long> processBuffer_;    // reused: it is asked every few seconds
  std::map<unsigned long, ScopedHandle> watched_;    // the tracker's processes, by id
  ScopedRegKey servicesKey_;                         // notifies additions and removals
  ScopedRegKey servicesRead_;                        // the services' registered image paths
  ScopedHandle servicesChanged_;
  bool watchTried_ = false;
  bool servicesWatched_ = false;
};

// The one way the panel asks the system which processes of this program
// directory's tracker run and who holds the port. Kept from one question to
// the next (the status line keeps one), it reads only what may have changed.
class TrackerQuery {
 public:
  TrackerSnapshot Look(const std::string& programDirectory, const std::string& port,
                       StatusRefresh how);
  // The handle held for a tracker process of the last Look.
  ScopedHandle ListedProcess(unsigned long pid) const { return reader_.ListedProcess(pid); }

 private:
  SystemTableReader reader_;
  StatusSchedule schedule_;
};

}  // namespace vexa
