// Stand-in for the tracker's console instance as a real console program, for
// the Ctrl-C path: a console without a "ConsoleWindowClass" window of its own
// (Wine's console, or Windows Terminal).
//
// Every start appends its command line to "vexa-calls.log" beside the
// executable, in UTF-8. With arguments it exits at once with code 0. Without, it
// appends "ready <pid>" once its Ctrl-C handler is in place, and on Ctrl-C
// appends "ctrl-c" and exits with code 0; it gives up after kMaxLifetimeMs so
// that a test run never leaves it behind.
#include <windows.h>

#include <string>

#include "base/wide_text.h"
#include "tools/stand_in_log.h"

namespace {

constexpr char kLogName[] = "vexa-calls.log";
constexpr DWORD kMaxLifetimeMs = 60000;

std::string logPath;
HANDLE ctrlC = nullptr;

void AppendLog(const std::string& text) { vexa::tools::AppendLine(logPath, text); }

BOOL WINAPI OnCtrl(DWORD type) {
  if (type != CTRL_C_EVENT) return FALSE;
  AppendLog("ctrl-c");
  SetEvent(ctrlC);
  return TRUE;
}

bool HasArguments(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '"') {
    for (++p; *p && *p != '"'; ++p) {
    }
    if (*p) ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return *p != '\0';
}

}  // namespace

int main() {
  wchar_t path[MAX_PATH * 2] = {};
  const std::string own =
      vexa::Narrow(std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH * 2)));
  logPath = own.substr(0, own.rfind('\\') + 1) + kLogName;
  const std::string commandLine = vexa::Narrow(GetCommandLineW());
  AppendLog(commandLine);
  if (HasArguments(commandLine.c_str())) return 0;

  ctrlC = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // No reset of an inherited "ignore Ctrl-C": a starter that passed it on
  // must fail the test, as it would leave a real tracker deaf to Ctrl-C.
  SetConsoleCtrlHandler(OnCtrl, TRUE);
  AppendLog("ready " + std::to_string(GetCurrentProcessId()));
  return WaitForSingleObject(ctrlC, kMaxLifetimeMs) == WAIT_OBJECT_0 ? 0 : 2;
}
