# This test moves the mouse pointer over its own window: another test's
# window appearing beside it could take the pointer away.
set_tests_properties(
  win32.LinkLabel.HoverTurnsItRedAndUnderlinedUntilThePointerLeaves
  PROPERTIES RUN_SERIAL TRUE)
