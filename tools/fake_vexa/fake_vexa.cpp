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
#include <windows.h>

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

// Whether the command line holds anything after the program's own name.
bool HasArguments(const char* commandLine) {
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
  return *p != '\0';
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
  AppendLog(dir, kLogName, commandLine);
  wchar_t workingDirectory[MAX_PATH * 2] = {};
  GetCurrentDirectoryW(MAX_PATH * 2, workingDirectory);
  AppendLog(dir, kWorkingDirectoryLogName, vexa::Narrow(workingDirectory));
  if (HasArguments(commandLine.c_str())) {
    if (int delay = std::atoi(SmallFile(dir + kDelayName).c_str()); delay > 0) Sleep(delay);
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
