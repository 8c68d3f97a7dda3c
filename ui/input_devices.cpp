// The "Input Devices" dialog: every key and mouse-button binding in two
// lists, the controller type, and the doors to Select Key, Select Function
// and Advanced Mouse Options. The lists are rebuilt from GameSettings after
// every Set in a sub-dialog; a cancelled sub-dialog leaves them alone. A key
// bound to more than one slot carries a "!" in the Action list, and Defaults
// puts every key binding back to the start-up's own.
#include <cstdio>

#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/resource.h"

namespace {

const char ConsoleSecondaryText[] = "The console may be activated by one key only.";
const char ConsoleSecondaryCaption[] = "Set Secondary Key";
const char DefaultsQuestion[] = "Put every key back to its default?";
const char DefaultsCaption[] = "Default Keys";
// After a key that another slot holds too. No key name has a "!" ("Kpad*"
// has the star), and the mouse list's "*" before a button means a double
// click; one character, so that the widest key with its mark ("NumLck!")
// still ends before the next column.
const char BoundElsewhereMark[] = "!";

const char *shownName(const char *name) { return name != nullptr ? name : EmptyName; }

void setTabStops(HWND dialog) {
  int actionStops[2] = {96, 128};
  SendDlgItemMessageA(dialog, IDC_INPUT_ACTIONS, LB_SETTABSTOPS, 2, (LPARAM)actionStops);
  int mouseStops[1] = {40};
  SendDlgItemMessageA(dialog, IDC_INPUT_MOUSE_LIST, LB_SETTABSTOPS, 1, (LPARAM)mouseStops);
}

void addListRow(HWND dialog, int id, const char *text) {
  SendDlgItemMessageA(dialog, id, LB_ADDSTRING, 0, (LPARAM)text);
}

// The key of every slot as the key table's own entry (EmptyName for none),
// so that names compare as the file compares them, ignoring letter case.
struct KeyUse {
  const char *key[GameFunctionCount][2];
};

KeyUse keysInUse() {
  KeyUse use;
  for (int f = 0; f < GameFunctionCount; ++f) {
    for (int slot = 0; slot < 2; ++slot) use.key[f][slot] = findKeyName(GameSettings.KeyBindings[f][slot]);
  }
  return use;
}

// Whether a slot holds a key that some other slot holds too, the function's
// other slot included ("KPad6" and "Kpad6" are one key); an unbound slot
// never clashes.
bool boundElsewhere(const KeyUse &use, int function, int slot) {
  const char *key = use.key[function][slot];
  if (key == EmptyName) return false;
  for (int f = 0; f < GameFunctionCount; ++f) {
    for (int s = 0; s < 2; ++s) {
      if ((f != function || s != slot) && use.key[f][s] == key) return true;
    }
  }
  return false;
}

void fillActionList(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_INPUT_ACTIONS, LB_RESETCONTENT, 0, 0);
  KeyUse use = keysInUse();
  for (int f = 0; f < GameFunctionCount; ++f) {
    char row[160];
    std::snprintf(row, sizeof row, "%s\t%s%s\t%s%s", GameFunctionTable[f], shownName(GameSettings.KeyBindings[f][0]),
                  boundElsewhere(use, f, 0) ? BoundElsewhereMark : "", shownName(GameSettings.KeyBindings[f][1]),
                  boundElsewhere(use, f, 1) ? BoundElsewhereMark : "");
    addListRow(dialog, IDC_INPUT_ACTIONS, row);
  }
}

void fillMouseList(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_INPUT_MOUSE_LIST, LB_RESETCONTENT, 0, 0);
  for (int b = 0; b < MouseButtonCount; ++b) {
    char row[96];
    std::snprintf(row, sizeof row, "%s\t%s", MouseButtonNameTable[b], shownName(GameSettings.MouseButton[b]));
    addListRow(dialog, IDC_INPUT_MOUSE_LIST, row);
    if (b < MouseDoubleClickCount) {
      std::snprintf(row, sizeof row, "*%s\t%s", MouseButtonNameTable[b], shownName(GameSettings.MouseButtonClicked[b]));
      addListRow(dialog, IDC_INPUT_MOUSE_LIST, row);
    }
  }
}

// A type outside the table (as read from the file) shows as the first one;
// the record keeps it until the box reports.
void fillControllerBox(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_INPUT_CONTROLLER, CB_RESETCONTENT, 0, 0);
  for (int t = 0; t < ControllerTypeCount; ++t) {
    SendDlgItemMessageA(dialog, IDC_INPUT_CONTROLLER, CB_ADDSTRING, 0, (LPARAM)ControllerTypeNameTable[t]);
  }
  int type = GameSettings.ControllerType;
  if (type < 0 || type >= ControllerTypeCount) type = 0;
  SendDlgItemMessageA(dialog, IDC_INPUT_CONTROLLER, CB_SETCURSEL, (WPARAM)type, 0);
}

// Rebuilds both lists and the controller box; leaves both lists without a
// selection.
void refreshInputDevicesDialog(HWND dialog) {
  fillActionList(dialog);
  fillMouseList(dialog);
  fillControllerBox(dialog);
}

int listSelection(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0); }

// Any notification of the box re-reads it, focus changes included. No
// selection stores nothing, so no type outside the table gets in this way.
void onControllerType(HWND dialog) {
  int type = (int)SendDlgItemMessageA(dialog, IDC_INPUT_CONTROLLER, CB_GETCURSEL, 0, 0);
  if (type >= 0) GameSettings.ControllerType = type;
  GameSettings.configChanged = true;
}

// Opens Select Key for the slot already in KeySelectRequest. Even a cancel
// counts as an edit, so leaving the menu afterwards still asks to save.
void selectKeyForRequest(HWND dialog) {
  openSubDialog<selectKeyDialogProc>(dialog, IDD_SELECT_KEY, [dialog] {
    refreshInputDevicesDialog(dialog);
    SendDlgItemMessageA(dialog, IDC_INPUT_ACTIONS, LB_SETCURSEL, (WPARAM)KeySelectRequest.functionIndex, 0);
  });
  GameSettings.configChanged = true;
}

void onSelectPrimary(HWND dialog) {
  KeySelectRequest.functionIndex = listSelection(dialog, IDC_INPUT_ACTIONS);
  KeySelectRequest.keySlot = 0;
  if (KeySelectRequest.functionIndex < 0) return;
  selectKeyForRequest(dialog);
}

void onSelectSecondary(HWND dialog) {
  KeySelectRequest.functionIndex = listSelection(dialog, IDC_INPUT_ACTIONS);
  if (KeySelectRequest.functionIndex == ConsoleFunction) {
    MessageBoxA(dialog, ConsoleSecondaryText, ConsoleSecondaryCaption, MB_OK | MB_ICONINFORMATION);
    return;
  }
  KeySelectRequest.keySlot = 1;
  if (KeySelectRequest.functionIndex < 0) return;
  selectKeyForRequest(dialog);
}

// Rows 0..7 pair each of the first four buttons with its double click;
// rows 8 and 9 are the wheel, which has no double click.
void onSelectMouseFunction(HWND dialog) {
  int row = listSelection(dialog, IDC_INPUT_MOUSE_LIST);
  if (row < 0) return;
  FunctionSelectRequest.sourceKind = SourceMouseButton;
  if (row < 2 * MouseDoubleClickCount) {
    FunctionSelectRequest.sourceIndex = row / 2;
    FunctionSelectRequest.doubleClicked = row % 2;
  } else {
    FunctionSelectRequest.sourceIndex = row - MouseDoubleClickCount;
    FunctionSelectRequest.doubleClicked = 0;
  }
  openSubDialog<selectFunctionDialogProc>(dialog, IDD_SELECT_FUNCTION, [dialog, row] {
    refreshInputDevicesDialog(dialog);
    SendDlgItemMessageA(dialog, IDC_INPUT_MOUSE_LIST, LB_SETCURSEL, (WPARAM)row, 0);
  });
  GameSettings.configChanged = true;
}

// Only the key bindings go back, to the very defaults start-up places; the
// mouse and every other setting stay. The Action list keeps its row, as
// after a Set. No changes nothing.
void onDefaults(HWND dialog) {
  if (MessageBoxA(dialog, DefaultsQuestion, DefaultsCaption, MB_ICONQUESTION | MB_YESNO) != IDYES) return;
  int row = listSelection(dialog, IDC_INPUT_ACTIONS);
  placeDefaultKeyBindings();
  refreshInputDevicesDialog(dialog);
  if (row >= 0) SendDlgItemMessageA(dialog, IDC_INPUT_ACTIONS, LB_SETCURSEL, (WPARAM)row, 0);
  GameSettings.configChanged = true;
}

void initDialog(HWND dialog) {
  setTabStops(dialog);
  refreshInputDevicesDialog(dialog);
}

// Only the id counts, so list notifications (a double click too) fall to
// the default case and open nothing.
INT_PTR onCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDC_INPUT_CONTROLLER: onControllerType(dialog); return TRUE;
    case IDC_INPUT_SELECT_PRIMARY: onSelectPrimary(dialog); return TRUE;
    case IDC_INPUT_SELECT_SECONDARY: onSelectSecondary(dialog); return TRUE;
    case IDC_INPUT_MOUSE_SELECT: onSelectMouseFunction(dialog); return TRUE;
    case IDC_INPUT_ADVANCED: openSubDialog<advancedMouseDialogProc>(dialog, IDD_ADVANCED_MOUSE); return TRUE;
    case IDC_INPUT_DEFAULTS: onDefaults(dialog); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK inputDevicesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: initDialog(dialog); return TRUE;
    case WM_COMMAND: return onCommand(dialog, wParam);
    default: return FALSE;
  }
}
