// Stands in for vexa.exe in the launcher tests: appends the command line it
// was given to commands.log beside itself and exits with the number found
// in exitcode.txt there (0 without it), after the milliseconds in delay.txt.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main() {
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir(self, n);
  // Cut after the last real backslash; the directory may hold 嘰 (87 5C).
  std::size_t cut = 0;
  for (std::size_t i = 0; i < dir.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(dir[i])) && i + 1 < dir.size()) {
      ++i;
    } else if (dir[i] == '\\') {
      cut = i + 1;
    }
  }
  dir.resize(cut);

  if (FILE* log = std::fopen((dir + "commands.log").c_str(), "ab")) {
    std::fprintf(log, "%s\n", GetCommandLineA());
    std::fclose(log);
  }
  if (FILE* f = std::fopen((dir + "delay.txt").c_str(), "rb")) {
    unsigned delay = 0;
    if (std::fscanf(f, "%u", &delay) == 1) Sleep(delay);
    std::fclose(f);
  }
  int code = 0;
  if (FILE* f = std::fopen((dir + "exitcode.txt").c_str(), "rb")) {
    if (std::fscanf(f, "%d", &code) != 1) code = 0;
    std::fclose(f);
  }
  return code;
}
