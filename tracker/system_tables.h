#pragma once
// Reads the tables behind the tracker's processes from the system: services
// with their binary paths, processes, TCP listeners.
#include <map>
#include <string>

#include "tracker/tracker_processes.h"

namespace vexa {

class SystemTableReader {
 public:
  // Full image paths are read only for processes whose file name is
  // imageName ("vexa.exe"): opening every process would cost too much.
  SystemTables Read(const std::string& imageName, bool withListeners);
  // The panel's own commands change services: read their paths afresh.
  void ForgetServicePaths() { binaryPaths_.clear(); }

 private:
  // Binary paths by service name; a service's path is read once while it exists.
  std::map<std::string, std::string> binaryPaths_;
};

}  // namespace vexa
