// Keeps the desktop of a test run in use, so that its explorer runs from
// before the first test to the end. Wine starts a desktop's explorer from
// the first program that needs the desktop, ends it when no program uses the
// desktop any more, and every Wine program keeps the standard error of the
// program that started it. A test's own program could thus start the
// explorer, which then held the test runner's pipe: the finished test
// waited for the explorer, until its time-out. Started once, detached from
// any pipe, before the tests; it ends with the wineserver.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  GetDesktopWindow();  // the desktop and its explorer start here
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
