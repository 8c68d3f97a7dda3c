// The main menu: the configurator's only top-level window, from which the
// settings dialogs are opened, the configuration saved and the game started.
#pragma once

#include "platform/win32.h"

// Dialog procedure of template 100. Leaves runGameOnExit set when the user
// chose "Save and Run Brax" and the save succeeded.
INT_PTR CALLBACK mainMenuDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
