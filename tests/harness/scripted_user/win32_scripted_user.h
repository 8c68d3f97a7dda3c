/* The scripted user on the real Windows dialog manager (user_script.h): the
 * test program's dialogs and message boxes are the system's own, and each
 * action becomes input to their real controls. Linked only into test
 * programs, never into tarrengard-setup.exe.
 */
#pragma once

#include <functional>

#include "platform/win32.h"

// From now on dialogs and message boxes of this thread take their steps from
// the script: watches the windows being created, and routes the program's
// MessageBoxA and MIDI device calls through the script's records. Call it
// once, before the first dialog.
void win32UseScriptedUser();

// Called with each dialog and message box when its first turn comes (it is
// on screen and painted), before its first action. The screenshot tool
// photographs them here.
void win32ObserveWindows(std::function<void(HWND window, bool messageBox)> observer);
