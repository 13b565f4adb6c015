# These close every console window of the desktop or listen on port 6969:
# nothing may run beside them.
set_tests_properties(
  e2e.ServicePage.ConsoleButtonsStartTheTrackerAndCloseEveryConsole
  e2e.ServicePage.RestartClosesConsolesAndRecreatesTheServiceShowingNothing
  e2e.ServicePage.OneClickInstallationFromConfirmationToTheAdministratorRequest
  e2e.ServicePage.OneClickInstallationCancelledAtEachStep
  PROPERTIES RUN_SERIAL TRUE)
