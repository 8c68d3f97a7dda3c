// Start-up of the configurator: the game folder, defaults, loading, the main
// menu, and the game launch. Shared by the Windows and the portable entry
// points.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

// The game, relative: started from the current folder.
extern const char GameProgramName[];  // "vexgame.exe"

// Runs the whole configurator once and returns the process exit code: 0
// normally (also when the user cancels the folder chooser), 1 when the game
// could not be started or the command line or its game folder cannot be
// used. `instance` is the module that holds the dialog templates and the
// icon; `arguments` are those after the program's name (app/command_line.h):
// with none, the configurator works in the current folder.
int tarrengardMain(HINSTANCE instance, const std::vector<std::string> &arguments = {});
