/* The buttons of a Windows message box and what Escape and its close box
 * answer, by the box's type. Pure functions of the type: our dialog manager
 * follows them, and the scripted user asks them on every backend, the real
 * Windows included.
 */
#pragma once

#include "platform/win32.h"

// The buttons of a message box type (the MB_TYPEMASK bits: MB_OK, MB_YESNO,
// ...), left to right, by the answer each gives (IDOK, IDYES, ...). The first
// is the default button. An unknown type has MB_OK's button.
struct MessageBoxButtons {
  int count;
  int answers[3];
};
MessageBoxButtons messageBoxButtons(UINT type);

// What Escape and the close box answer in a message box of this type: IDOK
// where OK is the only button, IDCANCEL where there is a Cancel button. 0
// for MB_YESNO and MB_ABORTRETRYIGNORE: Windows ignores Escape there and
// greys the close box, so only a button answers such a box.
int messageBoxEscapeAnswer(UINT type);
