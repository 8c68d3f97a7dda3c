// The settings dialogs: their dialog procedures, the fill helpers the
// procedures share with their openers, the option tables of the music, sound
// and video dialog, and the two process-wide request records through which
// an opener tells a binding dialog which binding to edit.
#pragma once

#include <cstdint>

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

// ---- Option tables of the music, sound and video dialog -------------------------

enum {
  NumVoicesCount = 8,
  MixRateCount = 7,
  ResolutionCount = 11,
  ScreenBPPCount = 3,
  ResolutionRowCount = ResolutionCount * ScreenBPPCount,  // 33 rows: depth-major
};

struct ScreenResolution {
  int32_t width;
  int32_t height;
};

extern const int32_t NumVoicesTable[NumVoicesCount];
extern const int32_t MixRateTable[MixRateCount];
extern const ScreenResolution ResolutionTable[ResolutionCount];
extern const int32_t ScreenBPPTable[ScreenBPPCount];

// ---- Dialog procedures -------------------------------------------------------

INT_PTR CALLBACK musicSoundVideoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK inputDevicesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK selectKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK selectFunctionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK advancedMouseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens dialog template `templateId` modally over `owner` (null for none),
// with procedure Proc behind the callback guard; answers what EndDialog was
// given. Every dialog of the program is opened this way.
template <DLGPROC Proc>
INT_PTR openDialogBox(HWND owner, int templateId) {
  return DialogBoxParamA((HINSTANCE)GameSettings.appInstance, MAKEINTRESOURCEA(templateId), owner,
                         guardedDialogProc<Proc>, 0);
}

// ---- Fill helpers --------------------------------------------------------------

// Sets every control of the music, sound and video dialog from GameSettings.
void fillMusicSoundVideoDialog(HWND dialog);
// Rebuilds both lists and the controller box of the input devices dialog;
// leaves both lists without a selection.
void refreshInputDevicesDialog(HWND dialog);
// Sets every control of the advanced mouse options dialog from GameSettings.
void fillAdvancedMouseDialog(HWND dialog);

// Track bar position (-40..40, tenths) for a 16.16 scale: rounded up.
int32_t scaleToTrackbarPosition(int32_t scale);
// 16.16 scale for a track bar position: truncated toward zero.
int32_t trackbarPositionToScale(int32_t position);
