#pragma once
// Reads the tables behind the tracker's processes from the system: services
// with their binary paths, processes, TCP listeners.
#include <windows.h>

#include <map>
#include <string>

#include "tracker/tracker_processes.h"
#include "ui/scoped.h"

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
// processes' image paths.
class SystemTableReader {
 public:
  // The tables for the tracker at trackerPath (ProgramDirectory +
  // "vexa.exe"). All services are listed only now and then (see
  // kFullScanEvery) and after ForgetServices; in between, only the
  // tracker's service found last time is asked, or none when there was none.
  // Image paths are read only for processes named like the tracker.
  SystemTables Read(const std::string& trackerPath, bool withListeners);
  // The panel's own commands change services: list them all next time.
  void ForgetServices();

  static constexpr int kFullScanEvery = 30;

 private:
  void ReadAllServices(const std::string& trackerPath, SystemTables* tables);
  bool ReadTrackerService(SystemTables* tables);
  void ReadProcesses(const std::string& imageName, SystemTables* tables);

  ScopedServiceHandle manager_;
  std::map<std::string, std::string> binaryPaths_;  // by service name
  std::string trackerService_;                       // "" when none was found
  int readsSinceFullScan_ = -1;                      // -1: list them all next time
  std::map<unsigned long, std::string> imagePaths_;  // by process id, while it runs
};

}  // namespace vexa
