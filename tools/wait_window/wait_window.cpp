// Waits until a program shows its main window: a visible, unowned top-level
// dialog ("#32770") of a process whose executable file has the given name.
// Used by scripts/start-panel.sh before it takes a screenshot.
//
//   vexa-wait-window.exe VexaPanel.exe [timeout-ms]
// Exit code 0 when the window is there, 1 after the timeout, 2 on bad usage.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <set>
#include <string>

namespace {

std::set<DWORD> ProcessesNamed(const char* exeName) {
  std::set<DWORD> pids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return pids;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, exeName) == 0) pids.insert(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return pids;
}

struct Search {
  std::set<DWORD> pids;
  bool found = false;
};

BOOL CALLBACK Check(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char className[16] = {};
  GetClassNameA(window, className, sizeof(className));
  if (search->pids.count(pid) && IsWindowVisible(window) && !GetWindow(window, GW_OWNER) &&
      std::string(className) == "#32770") {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  DWORD timeoutMs = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 30000;
  DWORD start = GetTickCount();
  do {
    Search search;
    search.pids = ProcessesNamed(argv[1]);
    if (!search.pids.empty()) EnumWindows(Check, reinterpret_cast<LPARAM>(&search));
    if (search.found) return 0;
    Sleep(100);
  } while (GetTickCount() - start < timeoutMs);
  return 1;
}
