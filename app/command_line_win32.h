#pragma once
// The runs of VexaPanel.exe that open no main window: "/backup [/keep N]",
// "/?" and arguments it does not understand. Their result goes to
// VexaPanel.log (not for "/?") and to the console the program was started
// from or its redirected output; the usage, with no one to read it there,
// to a box.
#include <string>
#include <vector>

#include "app/panel_command.h"

namespace vexa {

// The process's arguments, without the program's name, as UTF-8.
std::vector<std::string> ProcessArguments();

// The whole run of a command other than kWindow; returns the exit code.
int RunPanelCommand(const PanelCommand& command);

}  // namespace vexa
