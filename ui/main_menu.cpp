// The main menu: opens the two settings dialogs, saves, leaves (asking first
// when something changed) or saves and asks start-up to run the game.
//
// A save that fails is never passed off as done: the user is told, nothing
// counts as saved, and the menu stays open so the edits can still be saved
// again or dropped. The same holds when the user declines to replace a file
// another program changed meanwhile: at "Exit" too the menu then stays open,
// so that neither that change nor the user's edits are lost unasked.
#include "ui/main_menu.h"

#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/resource.h"

namespace {

const char SaveCaption[] = "Save Configuration Changes";

HINSTANCE appInstance() { return (HINSTANCE)GameSettings.appInstance; }

// Every dialog shares the window class, so its icon is every dialog's.
void initDialog(HWND dialog) {
  HICON icon = LoadIconA(appInstance(), MAKEINTRESOURCEA(IDI_TARRENGARD));
  SetClassLongPtrA(dialog, GCLP_HICON, (LONG_PTR)icon);
}

// Saves, and tells the user when gardum.cfg could not be written. A file
// another program changed since it was read is replaced only when the user
// agrees; otherwise nothing is saved and the edits stay, as after a failure.
bool saveOrReport(HWND menu) {
  SaveOutcome outcome = saveSettingsChecked(false);
  if (outcome == SaveFileChanged) {
    if (MessageBoxA(menu,
                    "gardum.cfg was changed by another program since it was read. Replace it with the settings "
                    "shown here?",
                    SaveCaption, MB_ICONWARNING | MB_YESNO) != IDYES)
      return false;
    outcome = saveSettingsChecked(true);
  }
  if (outcome == SaveWritten) return true;
  MessageBoxA(menu, "Could not write gardum.cfg.", SaveCaption, MB_ICONERROR | MB_OK);
  return false;
}

void onSaveConfiguration(HWND menu) {
  if (!saveOrReport(menu)) return;  // still unsaved: leaving must ask again
  MessageBoxA(menu, "Configuration saved.", SaveCaption, MB_ICONINFORMATION | MB_OK);
  GameSettings.configChanged = false;
}

void onExit(HWND menu) {
  if (GameSettings.configChanged &&
      MessageBoxA(menu, "Your configuration has been changed. Save now?", SaveCaption, MB_ICONQUESTION | MB_YESNO) ==
          IDYES &&
      !saveOrReport(menu))
    return;
  EndDialog(menu, 0);
}

void onSaveAndRun(HWND menu) {
  if (!saveOrReport(menu)) return;  // the game would read the old file
  GameSettings.runGameOnExit = true;
  EndDialog(menu, 0);
}

// Only the id counts: Escape and the close box arrive as IDCANCEL = "Exit".
INT_PTR onCommand(HWND menu, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDC_MENU_SAVE: onSaveConfiguration(menu); return TRUE;
    case IDC_MENU_EXIT: onExit(menu); return TRUE;
    case IDC_MENU_SAVE_AND_RUN: onSaveAndRun(menu); return TRUE;
    case IDC_MENU_MUSIC_SOUND_VIDEO:
      openDialogBox<musicSoundVideoDialogProc>(menu, IDD_MUSIC_SOUND_VIDEO);
      return TRUE;
    case IDC_MENU_INPUT_DEVICES: openDialogBox<inputDevicesDialogProc>(menu, IDD_INPUT_DEVICES); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK mainMenuDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: initDialog(dialog); return TRUE;
    case WM_COMMAND: return onCommand(dialog, wParam);
    default: return FALSE;
  }
}
