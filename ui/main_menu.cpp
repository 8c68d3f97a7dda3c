// The main menu: opens the two settings dialogs, saves, leaves (asking first
// when something changed) or saves and asks start-up to run the game.
//
// A save that fails is never passed off as done: the user is told, nothing
// counts as saved, and the menu stays open so the edits can still be saved
// again or dropped. The same holds when the user declines to replace a file
// another program changed meanwhile: at "Exit" too the menu then stays open,
// so that neither that change nor the user's edits are lost unasked.
#include "ui/main_menu.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "config/support.h"
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

// Why a save failed, in the player's words rather than the system's, as the
// second line under "Could not write gardum.cfg.". `error` is the errno value
// the save left (on Windows mapped there from the C runtime and Win32 calls),
// or for a file kept because it could not be read, the reason for that.
std::string saveFailureReason(int error) {
  const std::string &name = GameSettings.configFileName;
  switch (error) {
    case FileErrorNotRegular: return name + " is not an ordinary file";
    case FileErrorChanged: return name + " changed as it was read at start";
    case EACCES:
    case EPERM: return "Permission denied";
    case ENOSPC: return "The disk is full";
#ifdef EDQUOT
    case EDQUOT: return "Your disk quota is used up";
#endif
    case EFBIG: return "The file is too large for this system";
    case EROFS: return "The disk is read-only";
    case EISDIR: return name + " is a folder";
    case EINVAL: return name + " is not an ordinary file";
    case ENOENT: return "The game folder is gone";
    case ELOOP: return name + " is a chain of too many links";
    case EWOULDBLOCK: return "Another program kept it locked for " + std::to_string(ConfigLockWaitSeconds) + " seconds";
    case EIO: return "The disk reported an error";
    default: return strerror(error);
  }
}

// Saves, and tells the user when gardum.cfg could not be written, and why. A file
// another program changed since it was read is replaced only when the user
// agrees; otherwise nothing is saved and the edits stay, as after a failure.
bool saveOrReport(HWND menu) {
  int reason = 0;
  SaveOutcome outcome = saveSettingsChecked(false, &reason);
  if (outcome == SaveFileChanged) {
    if (MessageBoxA(menu,
                    "gardum.cfg was changed by another program since it was read. Replace it with the settings "
                    "shown here?",
                    SaveCaption, MB_ICONWARNING | MB_YESNO) != IDYES)
      return false;
    outcome = saveSettingsChecked(true, &reason);
  }
  if (outcome == SaveWritten) return true;
  std::string text = "Could not write gardum.cfg.\n" + saveFailureReason(reason);
  MessageBoxA(menu, text.c_str(), SaveCaption, MB_ICONERROR | MB_OK);
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
    case IDC_MENU_MUSIC_SOUND_VIDEO: openSubDialog<musicSoundVideoDialogProc>(menu, IDD_MUSIC_SOUND_VIDEO); return TRUE;
    case IDC_MENU_INPUT_DEVICES: openSubDialog<inputDevicesDialogProc>(menu, IDD_INPUT_DEVICES); return TRUE;
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
