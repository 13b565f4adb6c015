# Real keystrokes go to whichever window is in front: nothing may run beside them.
set_tests_properties(
  e2e.Keyboard.TabWalksFromTheStripThroughThePageAndCtrlTabSwitchesTabs
  e2e.Keyboard.EnterPressesTheButtonThatShowsTheDefaultFrame
  e2e.Looks.SlideDrawsEveryStepOnceAndWhole
  PROPERTIES RUN_SERIAL TRUE)
