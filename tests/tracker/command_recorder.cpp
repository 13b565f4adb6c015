// Stands in for vexa.exe in the launcher tests: appends the command line it
// was given to commands.log beside itself, in UTF-8, and exits with the
// number found in exitcode.txt there (0 without it), after the milliseconds
// in delay.txt.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

}  // namespace

int main() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir(self, n);
  dir.resize(dir.rfind(L'\\') + 1);

  if (FILE* log = _wfopen((dir + L"commands.log").c_str(), L"ab")) {
    std::fprintf(log, "%s\n", Utf8(GetCommandLineW()).c_str());
    std::fclose(log);
  }
  if (FILE* f = _wfopen((dir + L"delay.txt").c_str(), L"rb")) {
    unsigned delay = 0;
    if (std::fscanf(f, "%u", &delay) == 1) Sleep(delay);
    std::fclose(f);
  }
  int code = 0;
  if (FILE* f = _wfopen((dir + L"exitcode.txt").c_str(), L"rb")) {
    if (std::fscanf(f, "%d", &code) != 1) code = 0;
    std::fclose(f);
  }
  return code;
}
