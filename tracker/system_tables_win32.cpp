#include "tracker/system_tables_win32.h"

#include <windows.h>
#include <iphlpapi.h>
#include <winternl.h>

#include <algorithm>
#include <vector>

#include "base/system_library_win32.h"
#include "base/wide_text.h"
#include "tracker/image_path_win32.h"
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

// What the registry says a service runs, "" when it cannot tell. The
// service manager keeps it there; reading it costs no call to the service
// manager, which under Wine is a round trip to another process per service.
std::string RegisteredImagePath(HKEY services, const std::string& name) {
  ScopedRegKey service;
  if (!services || RegOpenKeyExW(services, Wide(name).c_str(), 0, KEY_QUERY_VALUE,
                                 service.Receive()) != ERROR_SUCCESS) {
    return "";
  }
  wchar_t path[MAX_PATH * 2];
  DWORD type = 0, size = sizeof path - sizeof(wchar_t);
  if (RegQueryValueExW(service.Get(), L"ImagePath", nullptr, &type, reinterpret_cast<BYTE*>(path),
                       &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return "";
  }
  path[size / sizeof(wchar_t)] = L'\0';
  return Narrow(path);
}

// The listeners of one address family; the port sits in network byte order
// in the low 16 bits.
template <typename Table>
void ReadListeners(ULONG family, std::vector<TcpListener>* listeners) {
  static const auto getTable =
      SystemFunction<decltype(&GetExtendedTcpTable)>(L"iphlpapi.dll", "GetExtendedTcpTable");
  if (!getTable) return;
  std::vector<unsigned char> buffer(std::size_t{16} * 1024);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD error = getTable(buffer.data(), &size, FALSE, family,
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

// Every process with its file name in one call. The toolhelp snapshot asks
// the same of the system and then copies it again: three times the CPU
// under Wine.
using QuerySystemInformation = NTSTATUS(WINAPI*)(SYSTEM_INFORMATION_CLASS, void*, ULONG, ULONG*);
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

QuerySystemInformation FindQuerySystemInformation() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  FARPROC query = ntdll ? GetProcAddress(ntdll, "NtQuerySystemInformation") : nullptr;
  return reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(query));
}

bool ReadProcessTable(std::vector<unsigned long long>* buffer) {
  static const QuerySystemInformation query = FindQuerySystemInformation();
  if (!query) return false;
  if (buffer->empty()) buffer->resize(std::size_t{64} * 1024 / sizeof(unsigned long long));
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ULONG size = static_cast<ULONG>(buffer->size() * sizeof(unsigned long long));
    ULONG needed = 0;
    NTSTATUS status = query(SystemProcessInformation, buffer->data(), size, &needed);
    if (status == kInfoLengthMismatch) {
      // Room for the processes started meanwhile.
      buffer->resize((std::max(needed, size) + 16 * 1024) / sizeof(unsigned long long) + 1);
      continue;
    }
    return status >= 0;
  }
  return false;
}

// The table's names are counted, not terminated.
std::wstring WideName(const UNICODE_STRING& name) {
  std::wstring text;
  if (name.Buffer) text.assign(name.Buffer, name.Length / sizeof(wchar_t));
  return text;
}

}  // namespace

void SystemTableReader::ForgetServices(const std::string& trackerPath) {
  const std::string name = FileName(trackerPath);
  for (auto service = binaryPaths_.begin(); service != binaryPaths_.end();) {
    service = BinaryPathMayRun(service->second, name) ? binaryPaths_.erase(service) : std::next(service);
  }
}

// Services are keys under this one: a key added or removed is a service
// installed or removed, wherever that was done.
void SystemTableReader::WatchServices() {
  servicesWatched_ = false;
  if (!servicesKey_ &&
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services", 0, KEY_NOTIFY,
                    servicesKey_.Receive()) != ERROR_SUCCESS) {
    return;
  }
  if (!servicesChanged_) servicesChanged_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!servicesChanged_) return;
  servicesWatched_ = RegNotifyChangeKeyValue(servicesKey_.Get(), FALSE, REG_NOTIFY_CHANGE_NAME,
                                             servicesChanged_.Get(), TRUE) == ERROR_SUCCESS;
}

StatusChanges SystemTableReader::Changes() {
  StatusChanges changes;
  if (!watchTried_) {
    watchTried_ = true;
    WatchServices();
  }
  if (servicesWatched_ && WaitForSingleObject(servicesChanged_.Get(), 0) == WAIT_OBJECT_0) {
    changes.servicesChanged = true;
    WatchServices();  // before the reading, so that no change falls between
  }
  changes.servicesWatched = servicesWatched_;
  std::vector<HANDLE> handles;
  for (const auto& process : watched_) {
    if (handles.size() < MAXIMUM_WAIT_OBJECTS) handles.push_back(process.second.Get());
  }
  changes.trackerEnded =
      !handles.empty() && WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(),
                                                 FALSE, 0) < WAIT_OBJECT_0 + handles.size();
  for (const ServiceEntry& service : tables_.services) {
    const bool tracker =
        std::find(trackerServices_.begin(), trackerServices_.end(), service.name) != trackerServices_.end();
    if (tracker && (service.state == ServiceState::kStartPending ||
                                            service.state == ServiceState::kStopPending)) {
      changes.servicePending = true;
    }
  }
  return changes;
}

void SystemTableReader::ReadAllServices(const std::string& trackerPath) {
  std::vector<unsigned char> buffer(std::size_t{64} * 1024);
  DWORD needed = 0, count = 0, resume = 0;
  std::map<std::string, std::string> seen;
  tables_.services.clear();
  if (!servicesRead_) {
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services", 0, KEY_READ,
                  servicesRead_.Receive());
  }
  const std::string imageName = FileName(trackerPath);
  trackerServices_.clear();
  for (;;) {
    BOOL done = EnumServicesStatusExW(
        manager_.Get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL, buffer.data(),
        static_cast<DWORD>(buffer.size()), &needed, &count, &resume, nullptr);
    if (!done && GetLastError() != ERROR_MORE_DATA) break;
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      const std::string name = Narrow(entries[i].lpServiceName);
      auto known = binaryPaths_.find(name);
      std::string path = known != binaryPaths_.end() ? known->second : "";
      if (known == binaryPaths_.end()) {
        // Only a service that certainly runs no vexa.exe is taken on the
        // registry's word; the service manager answers for the rest.
        path = RegisteredImagePath(servicesRead_.Get(), name);
        if (path.empty() || BinaryPathMayRun(path, imageName)) {
          path = ReadBinaryPath(manager_.Get(), name);
        }
      }
      seen[name] = path;
      const SERVICE_STATUS_PROCESS& status = entries[i].ServiceStatusProcess;
      tables_.services.push_back({name, path, StateOf(status.dwCurrentState), status.dwProcessId});
      if (ServiceRunsImage(path, trackerPath, SameImageFile)) trackerServices_.push_back(name);
    }
    if (done) break;
    if (needed > buffer.size()) buffer.resize(needed);
  }
  // Removed services drop out, so that a new one of the same name is read.
  binaryPaths_ = std::move(seen);
}

// Every service on the tracker, so that the line can choose among them as a
// full listing does (two services may run the same vexa.exe).
bool SystemTableReader::ReadTrackerService() {
  std::vector<ServiceEntry> services;
  for (const std::string& name : trackerServices_) {
    ScopedServiceHandle service(OpenServiceW(manager_.Get(), Wide(name).c_str(), SERVICE_QUERY_STATUS));
    if (!service) return false;
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO,
                              reinterpret_cast<BYTE*>(&status), sizeof status, &needed)) {
      return false;
    }
    services.push_back({name, binaryPaths_[name], StateOf(status.dwCurrentState), status.dwProcessId});
  }
  // The others of a full listing are of no use to the line.
  tables_.services = std::move(services);
  return true;
}

ScopedHandle SystemTableReader::ListedProcess(unsigned long pid) const {
  const auto listed = images_.find(pid);
  HANDLE copy = nullptr;
  if (listed == images_.end() ||
      !DuplicateHandle(GetCurrentProcess(), listed->second.process.Get(), GetCurrentProcess(), &copy,
                       0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return ScopedHandle();
  }
  return ScopedHandle(copy);
}

void SystemTableReader::ReadProcesses(const std::string& imageName) {
  if (!ReadProcessTable(&processBuffer_)) return;  // the last table stands
  tables_.processes.clear();
  std::map<unsigned long, ListedImage> stillThere;
  const std::wstring wideImageName = Wide(imageName);
  const auto* bytes = reinterpret_cast<const unsigned char*>(processBuffer_.data());
  for (std::size_t offset = 0;;) {
    const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(bytes + offset);
    ProcessEntry process;
    process.pid = static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId));
    const std::wstring exeName = WideName(entry->ImageName);
    process.exeName = Narrow(exeName);
    if (!exeName.empty() && lstrcmpiW(exeName.c_str(), wideImageName.c_str()) == 0) {
      // Opened once, when first listed, and held while it is listed: its id
      // then names this process and no other, for the path kept here and
      // for closing its console later.
      auto known = images_.find(process.pid);
      ListedImage image;
      if (known != images_.end()) {
        image = std::move(known->second);
      } else {
        image.process.Reset(
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.pid));
        image.path = ImagePathOf(image.process.Get());
      }
      process.imagePath = image.path;
      if (!image.path.empty()) stillThere[process.pid] = std::move(image);
    }
    tables_.processes.push_back(process);
    if (entry->NextEntryOffset == 0) break;
    offset += entry->NextEntryOffset;
  }
  images_ = std::move(stillThere);
}

// Handles of the tracker's processes, so that one that ends is seen at the
// next refresh without a new process table.
void SystemTableReader::WatchTrackerProcesses(const std::string& trackerPath) {
  const TrackerProcesses tracker = FindTrackerProcesses(trackerPath, tables_, SameImageFile);
  std::vector<unsigned long> pids = tracker.consolePids;
  if (tracker.servicePid != 0) pids.push_back(tracker.servicePid);
  std::map<unsigned long, ScopedHandle> watched;
  for (unsigned long pid : pids) {
    auto known = watched_.find(pid);
    ScopedHandle process = known != watched_.end() ? std::move(known->second)
                                                   : ScopedHandle(OpenProcess(SYNCHRONIZE, FALSE, pid));
    // One that ended but is still listed (its table was not read again)
    // would wake every refresh.
    if (process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) watched[pid] = std::move(process);
  }
  watched_ = std::move(watched);
}

const SystemTables& SystemTableReader::Read(const std::string& trackerPath,
                                            const StatusReads& reads) {
  if (!manager_) manager_.Reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
  if (manager_ && (reads.allServices || reads.trackerService)) {
    bool listed = false;
    if (reads.allServices) {
      ReadAllServices(trackerPath);
      listed = true;
    }
    // The tracker's service gone since the last full listing: look at all now.
    if (!listed && !trackerServices_.empty() && !ReadTrackerService()) ReadAllServices(trackerPath);
  }
  if (reads.processes) ReadProcesses(FileName(trackerPath));
  if (reads.listeners) {
    tables_.listeners.clear();
    ReadListeners<MIB_TCPTABLE_OWNER_PID>(kIpv4, &tables_.listeners);
    ReadListeners<MIB_TCP6TABLE_OWNER_PID>(kIpv6, &tables_.listeners);
  }
  if (reads.processes || reads.allServices || reads.trackerService) WatchTrackerProcesses(trackerPath);
  return tables_;
}

TrackerSnapshot TrackerQuery::Look(const std::string& programDirectory, const std::string& port,
                                   StatusRefresh how) {
  const std::string trackerPath = TrackerExePath(programDirectory);
  StatusChanges changes = reader_.Changes();
  changes.everything = how == StatusRefresh::kAfresh;
  changes.current = how == StatusRefresh::kCurrent;
  if (changes.everything) reader_.ForgetServices(trackerPath);
  const StatusReads reads = schedule_.Next(changes);
  const SystemTables* tables = &reader_.Read(trackerPath, reads);
  if (!reads.processes && PortHolderUnlisted(port, *tables)) {
    StatusReads names;
    names.processes = true;
    tables = &reader_.Read(trackerPath, names);
  }
  TrackerSnapshot now;
  now.processes = FindTrackerProcesses(trackerPath, *tables, SameImageFile);
  now.port = FindPortHolder(port, *tables, now.processes);
  return now;
}

TrackerProcesses QueryTrackerProcesses(const std::string& programDirectory) {
  // No port: nobody asks who holds one.
  return TrackerQuery().Look(programDirectory, "", StatusRefresh::kAfresh).processes;
}

}  // namespace vexa
