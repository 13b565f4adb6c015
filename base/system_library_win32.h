#pragma once
// DLLs of the system folder only. The panel runs elevated and as SYSTEM
// from the program's own folder; the loader looks there first for a DLL that
// is not a known DLL, so a winmm.dll lying beside the program would run with
// those rights. Such DLLs are loaded here, at run time, from System32.
#include <windows.h>

namespace vexa {

// Limits every later LoadLibrary (and what the DLLs it loads pull in) to
// System32. First thing in the process: VexaAdmin.dll, imported, is loaded
// from beside the program before it, and nothing is loaded from there later.
void RestrictDllSearch();

// A function of a DLL of System32 (e.g. L"winmm.dll"), or null when the
// DLL or the function is missing. The DLL stays loaded: keep the result in
// a function-local static, so that it is looked up once.
FARPROC SystemLibraryFunction(const wchar_t* dll, const char* function);

template <typename Function>
Function SystemFunction(const wchar_t* dll, const char* function) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(SystemLibraryFunction(dll, function)));
}

}  // namespace vexa
