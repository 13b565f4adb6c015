#include "tracker/system_tables.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <tlhelp32.h>

#include <vector>

#include "tracker/tracker_launcher.h"
#include "ui/scoped.h"

namespace vexa {

namespace {

struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CloseServiceHandle(h); }
};
using ScopedServiceHandle = ScopedHandleT<ServiceHandleTraits>;

bool SameAsciiName(const char* a, const std::string& b) { return lstrcmpiA(a, b.c_str()) == 0; }

ServiceState StateOf(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED: return ServiceState::kStopped;
    case SERVICE_START_PENDING:
    case SERVICE_CONTINUE_PENDING: return ServiceState::kStartPending;
    case SERVICE_STOP_PENDING: return ServiceState::kStopPending;
    default: return ServiceState::kRunning;  // running, paused or pausing: its process is there
  }
}

std::string ReadBinaryPath(SC_HANDLE manager, const char* name) {
  ScopedServiceHandle service(OpenServiceA(manager, name, SERVICE_QUERY_CONFIG));
  if (!service) return "";
  DWORD needed = 0;
  QueryServiceConfigA(service.Get(), nullptr, 0, &needed);
  if (needed == 0) return "";
  std::vector<unsigned char> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
  if (!QueryServiceConfigA(service.Get(), config, needed, &needed)) return "";
  return config->lpBinaryPathName ? config->lpBinaryPathName : "";
}

std::string ReadImagePath(DWORD pid) {
  ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return "";
  char path[MAX_PATH * 2];
  DWORD size = sizeof path;
  if (!QueryFullProcessImageNameA(process.Get(), 0, path, &size)) return "";
  return std::string(path, size);
}

std::vector<ProcessEntry> ReadProcesses(const std::string& imageName) {
  std::vector<ProcessEntry> processes;
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return processes;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.Get(), &entry); more;
       more = Process32Next(snapshot.Get(), &entry)) {
    ProcessEntry process;
    process.pid = entry.th32ProcessID;
    process.exeName = entry.szExeFile;
    if (SameAsciiName(entry.szExeFile, imageName)) process.imagePath = ReadImagePath(entry.th32ProcessID);
    processes.push_back(process);
  }
  return processes;
}

// The listeners of one address family; the port sits in network byte order
// in the low 16 bits.
template <typename Table>
void ReadListeners(ULONG family, std::vector<TcpListener>* listeners) {
  std::vector<unsigned char> buffer(16 * 1024);
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

}  // namespace

SystemTables SystemTableReader::Read(const std::string& imageName, bool withListeners) {
  SystemTables tables;
  ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  if (manager) {
    std::vector<unsigned char> buffer(64 * 1024);
    DWORD needed = 0, count = 0, resume = 0;
    std::map<std::string, std::string> seen;
    for (;;) {
      BOOL done = EnumServicesStatusExA(manager.Get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32,
                                        SERVICE_STATE_ALL, buffer.data(),
                                        static_cast<DWORD>(buffer.size()), &needed, &count,
                                        &resume, nullptr);
      if (!done && GetLastError() != ERROR_MORE_DATA) break;
      const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSA*>(buffer.data());
      for (DWORD i = 0; i < count; ++i) {
        const std::string name = entries[i].lpServiceName;
        auto known = binaryPaths_.find(name);
        std::string path = known != binaryPaths_.end() ? known->second
                                                       : ReadBinaryPath(manager.Get(), name.c_str());
        seen[name] = path;
        const SERVICE_STATUS_PROCESS& status = entries[i].ServiceStatusProcess;
        tables.services.push_back({name, path, StateOf(status.dwCurrentState), status.dwProcessId});
      }
      if (done) break;
      if (needed > buffer.size()) buffer.resize(needed);
    }
    // Removed services drop out, so that a new one of the same name is read.
    binaryPaths_ = std::move(seen);
  }
  tables.processes = ReadProcesses(imageName);
  if (withListeners) {
    ReadListeners<MIB_TCPTABLE_OWNER_PID>(AF_INET, &tables.listeners);
    ReadListeners<MIB_TCP6TABLE_OWNER_PID>(AF_INET6, &tables.listeners);
  }
  return tables;
}

TrackerProcesses QueryTrackerProcesses(const std::string& programDirectory) {
  SystemTableReader reader;
  return FindTrackerProcesses(TrackerExePath(programDirectory),
                              reader.Read(kTrackerExe, false));
}

}  // namespace vexa
