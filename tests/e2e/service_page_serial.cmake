# These count every console window of the desktop or listen on a fixed port (6969, 80):
# nothing may run beside them.
set_tests_properties(
  e2e.ServicePage.ConsoleButtonsStartAndCloseOnlyTheTrackersConsolesShownInTheStatusLine
  e2e.ServicePage.PortHeldByAnotherProgramIsAskedAboutBeforeEitherStart
  e2e.ServicePage.TrackerInARealConsoleIsEndedByCtrlCAndThePanelStays
  e2e.ServicePage.RestartClosesConsolesAndRecreatesTheServiceShowingNothing
  e2e.ServicePage.OneClickInstallationFromConfirmationToTheAdministratorRequest
  e2e.ServicePage.OneClickInstallationCancelledAtEachStep
  e2e.ServicePage.OneClickInstallationStopsAtAFailedInstallWithoutSuccessOrRequest
  e2e.ServicePage.OneClickInstallationClearsDataATrackerConsoleHeldOpen
  e2e.ServicePage.ClickingALinkOpensTheSiteInTheBrowser
  PROPERTIES RUN_SERIAL TRUE)
# Its stand-in console window would be counted by the console tests.
set_tests_properties(e2e.Restore.ARunningTrackerConsoleRefusesTheRestore PROPERTIES RUN_SERIAL TRUE)
# The code-page scenarios start the panel, back up and save: alone, as the
# second run (e2e-cp1252.CodePageE2e) is.
set_tests_properties(
  e2e.CodePageE2e.TitleTabsButtonsAndBoxesAreChineseUnderTheAnsiCodePage
  e2e.CodePageE2e.VexaCfgKeepsTheCodePagesBytesAndRefusesWhatItCannotHold
  e2e.CodePageE2e.ShortcutFileHasItsChineseName
  PROPERTIES RUN_SERIAL TRUE)
