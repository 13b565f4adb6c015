// Stand-in for the tracker program vexa.exe in the end-to-end tests.
//
// Every start appends its raw command line as one line to "vexa-calls.log"
// beside the executable, and its working directory to "vexa-cwd.log", both
// in UTF-8 whatever the code page, so that the tests read them alike. With arguments (-i, -start,
// -stop, -U or anything else) it exits at once with code 0, or with the decimal number held in a
// file "exit-code" beside it. Without arguments it plays the tracker's console instance: a visible
// top-level window of class "ConsoleWindowClass" that closes, ending the process, on WM_CLOSE. A
// file "ignore-close" beside it makes the window ignore WM_CLOSE, like a console owned by a process
// the panel may not close; it still gives up after kMaxLifetimeMs so that a test run never leaves
// it behind. A file "delay-ms" makes each switch take that many milliseconds; a file "hold-file"
// names a file beside it that the console instance keeps open, without delete sharing, as the
// tracker holds its data files.
//
// A file "real-service" beside it makes the switches work on a real service of the service manager,
// named after its directory, whose program is this executable with "-service": -i creates it
// (demand start), -start starts it, -stop asks it to stop, -U deletes it; a failed call exits with
// the system's error code. Started with "-service" (by the service manager, not logged) it runs as
// that service until it is told to stop.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/wide_text.h"
#include "tools/stand_in_log.h"

namespace {

constexpr char kLogName[] = "vexa-calls.log";
constexpr char kWorkingDirectoryLogName[] = "vexa-cwd.log";
constexpr char kExitCodeName[] = "exit-code";
constexpr char kIgnoreCloseName[] = "ignore-close";
constexpr char kDelayName[] = "delay-ms";
constexpr char kHoldFileName[] = "hold-file";
constexpr char kRealServiceName[] = "real-service";
constexpr char kServiceSwitch[] = "-service";
constexpr char kConsoleClass[] = "ConsoleWindowClass";
constexpr UINT_PTR kLifetimeTimerId = 1;
constexpr UINT kMaxLifetimeMs = 60000;
HANDLE heldFile = INVALID_HANDLE_VALUE;  // the hold-file, open for the process's life

bool ignoreClose = false;

std::string OwnDirectory() {
  wchar_t path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  const std::string s = vexa::Narrow(std::wstring(path, n));
  return s.substr(0, s.find_last_of("\\/") + 1);
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(vexa::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void AppendLog(const std::string& dir, const char* logName, const std::string& text) {
  vexa::tools::AppendLine(dir + logName, text);
}

std::string SmallFile(const std::string& path) {
  HANDLE file = CreateFileW(vexa::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  char text[260] = {};
  DWORD read = 0;
  ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
  CloseHandle(file);
  return std::string(text, read);
}

int ConfiguredExitCode(const std::string& dir) {
  return std::atoi(SmallFile(dir + kExitCodeName).c_str());
}

// What the command line holds after the program's own name.
std::string ArgumentsOf(const char* commandLine) {
  const char* p = commandLine;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

// One name per directory, so that test folders side by side do not meet.
std::wstring ServiceName(const std::string& dir) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (unsigned char c : dir) hash = (hash ^ c) * 16777619u;
  return L"VexaStandIn" + std::to_wstring(hash);
}

struct ServiceHandle {
  SC_HANDLE handle;
  explicit ServiceHandle(SC_HANDLE h) : handle(h) {}
  ~ServiceHandle() {
    if (handle) CloseServiceHandle(handle);
  }
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
};

// 0 when the switch did what it says, else the system's error code.
DWORD RunServiceSwitch(const std::string& dir, const std::string& arguments) {
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager.handle) return GetLastError();
  const std::wstring name = ServiceName(dir);
  if (arguments == "-i") {
    wchar_t self[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    const std::wstring program = L"\"" + std::wstring(self) + L"\" " + vexa::Wide(kServiceSwitch);
    const ServiceHandle created(CreateServiceW(
        manager.handle, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
        SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, program.c_str(), nullptr, nullptr, nullptr,
        nullptr, nullptr));
    return created.handle ? 0 : GetLastError();
  }
  const ServiceHandle service(OpenServiceW(manager.handle, name.c_str(), SERVICE_ALL_ACCESS));
  if (!service.handle) return GetLastError();
  SERVICE_STATUS status = {};
  const bool done = arguments == "-start"  ? StartServiceW(service.handle, 0, nullptr)
                    : arguments == "-stop" ? ControlService(service.handle, SERVICE_CONTROL_STOP, &status)
                    : arguments == "-U"    ? DeleteService(service.handle)
                                           : true;
  return done ? 0 : GetLastError();
}

SERVICE_STATUS_HANDLE serviceStatus = nullptr;
HANDLE stopRequested = nullptr;

void ReportState(DWORD state) {
  SERVICE_STATUS status = {};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(serviceStatus, &status);
}

DWORD WINAPI ServiceControl(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) {
    ReportState(SERVICE_STOP_PENDING);
    SetEvent(stopRequested);
  }
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, wchar_t** arguments) {
  serviceStatus = RegisterServiceCtrlHandlerExW(arguments[0], ServiceControl, nullptr);
  if (!serviceStatus) return;
  stopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ReportState(SERVICE_RUNNING);
  // Never past the console's lifetime, so that no test run leaves it behind.
  WaitForSingleObject(stopRequested, kMaxLifetimeMs * 5);
  CloseHandle(stopRequested);
  ReportState(SERVICE_STOPPED);
}

int RunAsService(const std::string& dir) {
  std::wstring name = ServiceName(dir);
  SERVICE_TABLE_ENTRYW table[] = {{name.data(), ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : static_cast<int>(GetLastError());
}

LRESULT CALLBACK ConsoleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      if (ignoreClose) return 0;
      DestroyWindow(window);
      return 0;
    case WM_TIMER:
      if (wParam == kLifetimeTimerId) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

int RunConsole(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ConsoleProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kConsoleClass;
  if (!RegisterClassA(&wc)) return 3;
  HWND window = CreateWindowExA(0, kConsoleClass, "vexa", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600,
                                400, 320, 200, nullptr, nullptr, instance, nullptr);
  if (!window) return 4;
  SetTimer(window, kLifetimeTimerId, kMaxLifetimeMs, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::string commandLine = vexa::Narrow(GetCommandLineW());
  std::string dir = OwnDirectory();
  const std::string arguments = ArgumentsOf(commandLine.c_str());
  if (arguments == kServiceSwitch) return RunAsService(dir);
  AppendLog(dir, kLogName, commandLine);
  wchar_t workingDirectory[MAX_PATH * 2] = {};
  GetCurrentDirectoryW(MAX_PATH * 2, workingDirectory);
  AppendLog(dir, kWorkingDirectoryLogName, vexa::Narrow(workingDirectory));
  if (!arguments.empty()) {
    if (int delay = std::atoi(SmallFile(dir + kDelayName).c_str()); delay > 0) Sleep(delay);
    if (FileExists(dir + kRealServiceName)) {
      if (const DWORD failed = RunServiceSwitch(dir, arguments)) return static_cast<int>(failed);
    }
    return ConfiguredExitCode(dir);
  }
  ignoreClose = FileExists(dir + kIgnoreCloseName);
  // Open until the process ends, which closes it.
  const std::string held = SmallFile(dir + kHoldFileName);
  if (!held.empty()) {
    heldFile = CreateFileW(vexa::Wide(dir + held).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  return RunConsole(instance);
}
