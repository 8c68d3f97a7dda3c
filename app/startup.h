// Start-up of the configurator: defaults, loading, the main menu, and the
// game launch. Shared by the Windows and the portable entry points.
#pragma once

#include "platform/win32.h"

// Runs the whole configurator once and returns the process exit code:
// 0 normally, 1 when the game could not be started. `instance` is the module
// that holds the dialog templates and the icon.
int tarrengardMain(HINSTANCE instance);
