/* What a backend supplies to the dialog manager. Each backend library
 * (headless, Qt) defines these functions once; the core calls them. There is
 * no virtual dispatch: the backend is chosen at link time.
 *
 * The core keeps all control state (platform/core/window.h) and produces every
 * notification; a backend only mirrors state into its widgets, runs the modal
 * loop, shows message boxes and the key-capture box, and feeds user input
 * back through platform/core/user_input.h.
 */
#pragma once

#include "platform/core/window.h"

enum class WindowChange {
  Text,       // window or control text
  Check,      // button check state
  Enabled,    // enabled or disabled
  Items,      // list items added or removed
  Selection,  // current list selection
  Dropped,    // drop-down list opened or closed
  Trackbar,   // range, position, page size, tick frequency or thumb length
  TabStops,   // list box tab stops
  Icon,       // the dialog class icon (SetClassLongPtrA; window = the dialog it was set through)
  Focus,      // the dialog's focused control (window = the new one, or the dialog)
  ToolTip,    // the window's tooltip (setWindowToolTip)
};

// Start-up (InitCommonControls): the toolkit is made ready, so that what it
// costs is paid before the program's work and a message box about a later
// failure, for want of memory say, needs little more.
void backendStart();
// The dialog and all its controls exist; WM_INITDIALOG follows.
void backendDialogCreated(HWND dialog);
// The dialog is about to be freed (its modal loop has returned).
void backendDialogDestroyed(HWND dialog);
// Some state of a dialog or control changed, by code or by input.
void backendWindowChanged(HWND window, WindowChange what);
// Runs the dialog's modal loop; returns once EndDialog has been called for it.
void backendRunModalLoop(HWND dialog);
// Shows a modal message box and returns the button pressed (IDOK, IDYES, ...).
int backendMessageBox(HWND owner, const char *text, const char *caption, UINT type);

// The operations of platform/desktop.h that belong to the desktop: the
// folder chooser (modal, like a message box) and the remembered game folder.
bool backendChooseFolder(HWND owner, const char *title, const std::string &start, std::string *chosen);
bool backendLoadRememberedFolder(std::string *folder);
bool backendStoreRememberedFolder(const std::string &folder);
// Shows the modal key-capture box (capturePressedKey) and returns the code of
// the first key pressed in it (platform/key_codes.h), Escape's included, or
// -1 when it was closed without a key.
int backendCaptureKey(HWND owner, const char *caption, const char *prompt);
