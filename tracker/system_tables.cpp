#include "tracker/system_tables.h"

#include <windows.h>
#include <iphlpapi.h>
#include <tlhelp32.h>

#include <vector>

#include "base/wide_text.h"
#include "tracker/tracker_launcher.h"

namespace vexa {

namespace {

// AF_INET and AF_INET6, without Winsock's headers.
constexpr ULONG kIpv4 = 2, kIpv6 = 23;

ServiceState StateOf(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED: return ServiceState::kStopped;
    case SERVICE_START_PENDING:
    case SERVICE_CONTINUE_PENDING: return ServiceState::kStartPending;
    case SERVICE_STOP_PENDING: return ServiceState::kStopPending;
    default: return ServiceState::kRunning;  // running, paused or pausing: its process is there
  }
}

std::string ReadBinaryPath(SC_HANDLE manager, const std::string& name) {
  ScopedServiceHandle service(OpenServiceW(manager, Wide(name).c_str(), SERVICE_QUERY_CONFIG));
  if (!service) return "";
  DWORD needed = 0;
  QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
  if (needed == 0) return "";
  std::vector<unsigned char> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!QueryServiceConfigW(service.Get(), config, needed, &needed)) return "";
  return Narrow(config->lpBinaryPathName);
}

std::string ReadImagePath(DWORD pid) {
  ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return "";
  wchar_t path[MAX_PATH * 2];
  DWORD size = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(process.Get(), 0, path, &size)) return "";
  return Narrow(std::wstring(path, size));
}

// The listeners of one address family; the port sits in network byte order
// in the low 16 bits.
template <typename Table>
void ReadListeners(ULONG family, std::vector<TcpListener>* listeners) {
  std::vector<unsigned char> buffer(std::size_t{16} * 1024);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD error = GetExtendedTcpTable(buffer.data(), &size, FALSE, family,
                                      TCP_TABLE_OWNER_PID_LISTENER, 0);
    if (error == ERROR_INSUFFICIENT_BUFFER) {
      buffer.resize(size + 1024);
      continue;
    }
    if (error != NO_ERROR) return;
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
      DWORD port = table->table[i].dwLocalPort;
      listeners->push_back({((port & 0xFF) << 8) | ((port >> 8) & 0xFF), table->table[i].dwOwningPid});
    }
    return;
  }
}

// The file name of a path, e.g. "vexa.exe".
std::string FileName(const std::string& path) {
  std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

void SystemTableReader::ForgetServices() {
  binaryPaths_.clear();
  readsSinceFullScan_ = -1;
}

void SystemTableReader::ReadAllServices(const std::string& trackerPath, SystemTables* tables) {
  std::vector<unsigned char> buffer(std::size_t{64} * 1024);
  DWORD needed = 0, count = 0, resume = 0;
  std::map<std::string, std::string> seen;
  trackerService_.clear();
  for (;;) {
    BOOL done = EnumServicesStatusExW(
        manager_.Get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL, buffer.data(),
        static_cast<DWORD>(buffer.size()), &needed, &count, &resume, nullptr);
    if (!done && GetLastError() != ERROR_MORE_DATA) break;
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      const std::string name = Narrow(entries[i].lpServiceName);
      auto known = binaryPaths_.find(name);
      std::string path =
          known != binaryPaths_.end() ? known->second : ReadBinaryPath(manager_.Get(), name);
      seen[name] = path;
      const SERVICE_STATUS_PROCESS& status = entries[i].ServiceStatusProcess;
      tables->services.push_back({name, path, StateOf(status.dwCurrentState), status.dwProcessId});
      if (trackerService_.empty() && ServiceRunsImage(path, trackerPath)) trackerService_ = name;
    }
    if (done) break;
    if (needed > buffer.size()) buffer.resize(needed);
  }
  // Removed services drop out, so that a new one of the same name is read.
  binaryPaths_ = std::move(seen);
}

bool SystemTableReader::ReadTrackerService(SystemTables* tables) {
  ScopedServiceHandle service(
      OpenServiceW(manager_.Get(), Wide(trackerService_).c_str(), SERVICE_QUERY_STATUS));
  if (!service) return false;
  SERVICE_STATUS_PROCESS status = {};
  DWORD needed = 0;
  if (!QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO,
                            reinterpret_cast<BYTE*>(&status), sizeof status, &needed)) {
    return false;
  }
  tables->services.push_back({trackerService_, binaryPaths_[trackerService_],
                              StateOf(status.dwCurrentState), status.dwProcessId});
  return true;
}

void SystemTableReader::ReadProcesses(const std::string& imageName, SystemTables* tables) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  std::map<unsigned long, std::string> stillThere;
  const std::wstring wideImageName = Wide(imageName);
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    ProcessEntry process;
    process.pid = entry.th32ProcessID;
    process.exeName = Narrow(entry.szExeFile);
    if (lstrcmpiW(entry.szExeFile, wideImageName.c_str()) == 0) {
      auto known = imagePaths_.find(process.pid);
      process.imagePath = known != imagePaths_.end() ? known->second : ReadImagePath(process.pid);
      if (!process.imagePath.empty()) stillThere[process.pid] = process.imagePath;
    }
    tables->processes.push_back(process);
  }
  imagePaths_ = std::move(stillThere);
}

SystemTables SystemTableReader::Read(const std::string& trackerPath, bool withListeners) {
  SystemTables tables;
  if (!manager_) manager_.Reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  if (manager_) {
    bool scanned = false;
    if (readsSinceFullScan_ < 0 || readsSinceFullScan_ + 1 >= kFullScanEvery) {
      ReadAllServices(trackerPath, &tables);
      readsSinceFullScan_ = 0;
      scanned = true;
    } else {
      ++readsSinceFullScan_;
    }
    // The tracker's service gone since the last full scan: look at all now.
    if (!scanned && !trackerService_.empty() && !ReadTrackerService(&tables)) {
      ReadAllServices(trackerPath, &tables);
      readsSinceFullScan_ = 0;
    }
  }
  ReadProcesses(FileName(trackerPath), &tables);
  if (withListeners) {
    ReadListeners<MIB_TCPTABLE_OWNER_PID>(kIpv4, &tables.listeners);
    ReadListeners<MIB_TCP6TABLE_OWNER_PID>(kIpv6, &tables.listeners);
  }
  return tables;
}

TrackerProcesses QueryTrackerProcesses(const std::string& programDirectory) {
  const std::string trackerPath = TrackerExePath(programDirectory);
  SystemTableReader reader;
  return FindTrackerProcesses(trackerPath, reader.Read(trackerPath, false));
}

}  // namespace vexa
