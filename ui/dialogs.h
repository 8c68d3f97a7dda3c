// What the dialogs share: their dialog procedures, the way one dialog opens
// another, and the two process-wide request records through which an opener
// tells a binding dialog which binding to edit. What one dialog alone uses
// stays in its own file.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/callback_guard.h"
#include "platform/win32.h"
#include "settings/settings.h"

// ---- Request records ---------------------------------------------------------

// Which key slot of which game function the Select Key dialog edits.
struct KeySelectRequestRecord {
  int32_t functionIndex = 0;  // 0..52, row of KeyBindings
  int32_t keySlot = 0;        // 0 primary, otherwise secondary
};
extern KeySelectRequestRecord KeySelectRequest;

// Bit 31 set: a digital direction; bits 0..30: the device (0 = the mouse).
constexpr uint32_t SourceMouseButton = 0;
constexpr uint32_t SourceMouseDigital = 0x80000000u;

// Which mouse binding the Select Function dialog edits.
struct FunctionSelectRequestRecord {
  uint32_t sourceKind = SourceMouseButton;
  int32_t sourceIndex = 0;    // button 0..5, or direction 0 left, 1 right, 2 up, 3 down
  int32_t doubleClicked = 0;  // non-zero: the button's double-click binding
};
extern FunctionSelectRequestRecord FunctionSelectRequest;

// ---- Dialog procedures -------------------------------------------------------

INT_PTR CALLBACK musicSoundVideoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK inputDevicesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK selectKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK selectFunctionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK advancedMouseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens dialog template `templateId` modally over `owner` (null for none),
// with procedure Proc behind the callback guard; answers what EndDialog was
// given. Every dialog of the program is opened this way: the main menu
// directly, every other one through openSubDialog.
template <DLGPROC Proc>
INT_PTR openDialogBox(HWND owner, int templateId) {
  return DialogBoxParamA((HINSTANCE)GameSettings.appInstance, MAKEINTRESOURCEA(templateId), owner,
                         guardedDialogProc<Proc>, 0);
}

// How a dialog opens another: modally over itself, `owner`, which is
// disabled until the sub-dialog ends. A sub-dialog ends with 0 after Set (or
// always, when it has no cancel), 1 on cancel; after 0, `refreshOwner` (if
// given) shows the opener's controls from GameSettings again.
template <DLGPROC Proc>
void openSubDialog(HWND owner, int templateId, const std::function<void()> &refreshOwner = nullptr) {
  if (openDialogBox<Proc>(owner, templateId) == 0 && refreshOwner) refreshOwner();
}
