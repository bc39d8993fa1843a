#pragma once
#include "layer_private.h"
// Qt's own messages. None reaches the player, but a fatal one that comes
// before the program's message loop first runs (Qt cannot open the display,
// finds no platform plugin, ...): that ends the program with one line on
// standard error and exit status 1, where Qt would abort and dump a core
// with nothing said. A fatal message after that is Qt's to handle.
// User-interface thread.

#include <string>

void InstallToolkitMessageHandler();
// The program's message loop runs.
void ToolkitStarted();

// The line said for a fatal message, given the display Qt was refused, if
// it said so before, and the DISPLAY variable (null when unset).
std::string StartFailureLine(const std::string& fatalMessage, const std::string& refusedDisplay,
                             const char* displayVariable);
