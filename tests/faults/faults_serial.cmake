# Closes every console window of the desktop and counts them: nothing may
# run beside it.
set_tests_properties(
  faults.FileFaults.RestartWithAConsoleThatIgnoresCloseNamesItAndGoesOn
  PROPERTIES RUN_SERIAL TRUE)
