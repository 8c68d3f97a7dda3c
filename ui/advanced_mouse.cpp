// The "Advanced Mouse Options" dialog: the scale of each mouse axis on a
// track bar of tenths (-4.0 to 4.0), the aiming mode, the analog function of
// each axis, and the four digital directions, which open Select Function.
// Edits go straight into GameSettings; there is no cancel.
#include <cmath>
#include <cstdio>

#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/resource.h"

namespace {

const int TrackbarMinimum = -40;
const int TrackbarMaximum = 40;

enum {
  TrackbarThumbLength = 16,
  TrackbarTickFrequency = 5,  // a tick every 0.5
  TrackbarPageSize = 10,      // a page is 1.0
  ScaleLimit = 262144,        // 4.0, as the loader clamps it
};

// Each direction button and the direction it edits, in the order the fill
// sets their captions.
struct DirectionButton {
  int id;
  int32_t direction;
};
const DirectionButton DirectionButtonTable[MouseDirectionCount] = {
    {IDC_MOUSE_DIGITAL_LEFT, 0},
    {IDC_MOUSE_DIGITAL_RIGHT, 1},
    {IDC_MOUSE_DIGITAL_UP, 2},
    {IDC_MOUSE_DIGITAL_DOWN, 3},
};

void setScaleLabel(HWND dialog, int labelId, int32_t position) {
  char text[32];
  if (position < 0) {
    std::snprintf(text, sizeof text, "-%d.%d", (int)(-position / 10), (int)(-position % 10));
  } else {
    // A blank stands in for the sign so the digits do not shift.
    std::snprintf(text, sizeof text, " %d.%d", (int)(position / 10), (int)(position % 10));
  }
  SetDlgItemTextA(dialog, labelId, text);
}

void setUpTrackbar(HWND dialog, int id) {
  HWND trackbar = GetDlgItem(dialog, id);
  // The low word carries the signed minimum; casting first keeps the
  // compiler from warning about the macro's own truncation.
  SendMessageA(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM((WORD)TrackbarMinimum, (WORD)TrackbarMaximum));
}

void setUpTrackbars(HWND dialog) {
  setUpTrackbar(dialog, IDC_MOUSE_X_SCALE);
  setUpTrackbar(dialog, IDC_MOUSE_Y_SCALE);
  SendDlgItemMessageA(dialog, IDC_MOUSE_X_SCALE, TBM_SETTHUMBLENGTH, TrackbarThumbLength, 0);
  SendDlgItemMessageA(dialog, IDC_MOUSE_Y_SCALE, TBM_SETTHUMBLENGTH, TrackbarThumbLength, 0);
  SendDlgItemMessageA(dialog, IDC_MOUSE_X_SCALE, TBM_SETTICFREQ, TrackbarTickFrequency, 0);
  SendDlgItemMessageA(dialog, IDC_MOUSE_Y_SCALE, TBM_SETTICFREQ, TrackbarTickFrequency, 0);
  SendDlgItemMessageA(dialog, IDC_MOUSE_X_SCALE, TBM_SETPAGESIZE, 0, TrackbarPageSize);
  SendDlgItemMessageA(dialog, IDC_MOUSE_Y_SCALE, TBM_SETPAGESIZE, 0, TrackbarPageSize);
}

void fillAnalogLists(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_MOUSE_ANALOG_X, CB_RESETCONTENT, 0, 0);
  SendDlgItemMessageA(dialog, IDC_MOUSE_ANALOG_Y, CB_RESETCONTENT, 0, 0);
  // Row 0 is "no analog function", so row = index + 1.
  SendDlgItemMessageA(dialog, IDC_MOUSE_ANALOG_X, CB_ADDSTRING, 0, (LPARAM)EmptyName);
  SendDlgItemMessageA(dialog, IDC_MOUSE_ANALOG_Y, CB_ADDSTRING, 0, (LPARAM)EmptyName);
  for (int i = 0; i < AnalogFunctionCount; ++i) {
    SendDlgItemMessageA(dialog, IDC_MOUSE_ANALOG_X, CB_ADDSTRING, 0, (LPARAM)AnalogFunctionTable[i]);
    SendDlgItemMessageA(dialog, IDC_MOUSE_ANALOG_Y, CB_ADDSTRING, 0, (LPARAM)AnalogFunctionTable[i]);
  }
  SendDlgItemMessageA(dialog, IDC_MOUSE_ANALOG_X, CB_SETCURSEL, (WPARAM)(GameSettings.MouseAnalogAxes[0] + 1), 0);
  SendDlgItemMessageA(dialog, IDC_MOUSE_ANALOG_Y, CB_SETCURSEL, (WPARAM)(GameSettings.MouseAnalogAxes[1] + 1), 0);
}

// Track bar position (-40..40, tenths) for a 16.16 scale. Any fraction
// rounds up to the next tenth, so a scale stored from a position opens at
// that position again only when it is positive.
int32_t scaleToTrackbarPosition(int32_t scale) { return (int32_t)std::ceil((double)scale / 6553.6); }

// 16.16 scale for a track bar position, truncated toward zero. Wider
// arithmetic and the loader's clamp keep a position the track bar should
// never report from overflowing.
int32_t trackbarPositionToScale(int32_t position) {
  int64_t scale = (int64_t)position * 65536 / 10;
  if (scale > ScaleLimit) scale = ScaleLimit;
  if (scale < -ScaleLimit) scale = -ScaleLimit;
  return (int32_t)scale;
}

// Sets every control from GameSettings.
void fillAdvancedMouseDialog(HWND dialog) {
  int32_t positionX = scaleToTrackbarPosition(GameSettings.MouseAnalogScale[0]);
  int32_t positionY = scaleToTrackbarPosition(GameSettings.MouseAnalogScale[1]);
  SendDlgItemMessageA(dialog, IDC_MOUSE_X_SCALE, TBM_SETPOS, TRUE, positionX);
  SendDlgItemMessageA(dialog, IDC_MOUSE_Y_SCALE, TBM_SETPOS, TRUE, positionY);
  // The labels show the computed positions even where the track bar clamps.
  setScaleLabel(dialog, IDC_MOUSE_X_LABEL, positionX);
  setScaleLabel(dialog, IDC_MOUSE_Y_LABEL, positionY);

  CheckDlgButton(dialog, GameSettings.MouseAiming == 0 ? IDC_MOUSE_TOGGLE : IDC_MOUSE_MOMENTARY, BST_CHECKED);

  fillAnalogLists(dialog);

  for (const DirectionButton &button : DirectionButtonTable) {
    const char *name = GameSettings.MouseDigitalAxes[button.direction];
    SetDlgItemTextA(dialog, button.id, name != nullptr ? name : EmptyName);
  }
}

void onScaleMoved(HWND dialog, int trackbarId, int labelId, int axis) {
  int32_t position = (int32_t)SendDlgItemMessageA(dialog, trackbarId, TBM_GETPOS, 0, 0);
  setScaleLabel(dialog, labelId, position);
  GameSettings.MouseAnalogScale[axis] = trackbarPositionToScale(position);
  GameSettings.configChanged = true;
}

// The scroll code is not looked at: every step of a drag is an edit.
INT_PTR onHorizontalScroll(HWND dialog, LPARAM lParam) {
  if ((HWND)lParam == GetDlgItem(dialog, IDC_MOUSE_X_SCALE)) {
    onScaleMoved(dialog, IDC_MOUSE_X_SCALE, IDC_MOUSE_X_LABEL, 0);
    return TRUE;
  }
  if ((HWND)lParam == GetDlgItem(dialog, IDC_MOUSE_Y_SCALE)) {
    onScaleMoved(dialog, IDC_MOUSE_Y_SCALE, IDC_MOUSE_Y_LABEL, 1);
    return TRUE;
  }
  return FALSE;
}

// A list without a selection stores nothing: -1 - 1 would be no index at all.
void onAnalogFunction(HWND dialog, int listId, int axis) {
  int row = (int)SendDlgItemMessageA(dialog, listId, CB_GETCURSEL, 0, 0);
  if (row >= 0 && row <= AnalogFunctionCount) GameSettings.MouseAnalogAxes[axis] = row - 1;
  GameSettings.configChanged = true;
}

// Select Function sets configChanged itself when the user presses Set.
void onDirection(HWND dialog, int32_t direction) {
  FunctionSelectRequest.sourceKind = SourceMouseDigital;
  FunctionSelectRequest.sourceIndex = direction;
  FunctionSelectRequest.doubleClicked = 0;
  openSubDialog<selectFunctionDialogProc>(dialog, IDD_SELECT_FUNCTION, [dialog] { fillAdvancedMouseDialog(dialog); });
}

int32_t directionOfButton(int id) {
  for (const DirectionButton &button : DirectionButtonTable) {
    if (button.id == id) return button.direction;
  }
  return -1;
}

void initDialog(HWND dialog) {
  setUpTrackbars(dialog);
  fillAdvancedMouseDialog(dialog);
}

// Only the id counts; the notification code is not looked at.
INT_PTR onCommand(HWND dialog, WPARAM wParam) {
  int id = LOWORD(wParam);
  switch (id) {
    case IDOK:
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDC_MOUSE_MOMENTARY:
      GameSettings.MouseAiming = 1;
      GameSettings.configChanged = true;
      return TRUE;
    case IDC_MOUSE_TOGGLE:
      GameSettings.MouseAiming = 0;
      GameSettings.configChanged = true;
      return TRUE;
    case IDC_MOUSE_ANALOG_X: onAnalogFunction(dialog, IDC_MOUSE_ANALOG_X, 0); return TRUE;
    case IDC_MOUSE_ANALOG_Y: onAnalogFunction(dialog, IDC_MOUSE_ANALOG_Y, 1); return TRUE;
    case IDC_MOUSE_DIGITAL_UP:
    case IDC_MOUSE_DIGITAL_LEFT:
    case IDC_MOUSE_DIGITAL_RIGHT:
    case IDC_MOUSE_DIGITAL_DOWN: onDirection(dialog, directionOfButton(id)); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK advancedMouseDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: initDialog(dialog); return TRUE;
    case WM_COMMAND: return onCommand(dialog, wParam);
    case WM_HSCROLL: return onHorizontalScroll(dialog, lParam);
    default: return FALSE;
  }
}
