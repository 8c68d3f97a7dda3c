/* Opens a dialog as its opener in the program would, for the tests that
 * drive the dialogs on any backend.
 */
#pragma once

#include "platform/win32.h"
#include "settings/settings.h"

// The templates come from the module start-up recorded; the creation
// parameter is always 0.
inline INT_PTR openDialog(int templateId, DLGPROC proc) {
  return DialogBoxParamA((HINSTANCE)GameSettings.appInstance, MAKEINTRESOURCEA(templateId), nullptr, proc, 0);
}
