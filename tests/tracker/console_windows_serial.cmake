set_tests_properties(
  win32.ConsoleWindows.ClosesEveryConsoleAndGivesUpOnAStubbornOneInTime
  win32.ConsoleWindows.WholeRunEndsWithinItsBound
  PROPERTIES RUN_SERIAL TRUE)
