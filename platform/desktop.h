/* Operations of our own beside the Win32 subset, for what Windows does with
 * several calls or a COM object and a desktop toolkit with one: the folder
 * chooser, the folder the program remembers between runs, and a window's
 * tooltip. Every platform has them: off Windows the core with the backend
 * chosen at link time (headless: the scripted user and an in-memory store;
 * Qt: QFileDialog and QSettings), on Windows platform/win32/desktop_win32.cpp
 * over the shell, the registry and a tooltip control. Like platform/win32.h,
 * the only platform header that start-up and the dialogs include. */
#pragma once

#include <string>

#include "platform/win32.h"

// Shows the desktop's folder chooser, owned by `owner` (may be null), with
// `title`, opened at `start` (empty: wherever the desktop opens it). True with
// the full path of the folder the user chose in *chosen; false, *chosen
// untouched, when the user cancelled.
bool chooseFolder(HWND owner, const char *title, const std::string &start, std::string *chosen);

// The game folder remembered for this user from an earlier run: true with it
// in *folder, false (untouched) when none is. Where it is kept:
// Windows: HKEY_CURRENT_USER\Software\Tarrengard\Setup, value GameFolder.
// Qt: QSettings("Tarrengard", "Setup"), key GameFolder (on Linux
//   $XDG_CONFIG_HOME/Tarrengard/Setup.conf, usually ~/.config).
// Headless: the process's memory, empty at start.
bool loadRememberedFolder(std::string *folder);
// Remembers `folder` for the next run; an empty one forgets it. False when it
// could not be stored.
bool storeRememberedFolder(const std::string &folder);

// The text shown when the pointer rests on `window` or on any of its
// controls (a dialog's controls must exist: call it from WM_INITDIALOG on).
// Null or empty removes it. FALSE for a window that does not exist.
BOOL setWindowToolTip(HWND window, LPCSTR text);
// Copies the tooltip of `window` like GetWindowTextA: at most capacity - 1
// characters and a terminator; answers the number copied, 0 for none.
int getWindowToolTip(HWND window, LPSTR buffer, int capacity);
