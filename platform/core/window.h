/* Window objects of the dialog layer off Windows, and the dialog manager's
 * internal calls that the core files and the backends share. Dialog code
 * never includes this header: it sees only platform/win32.h.
 *
 * An HWND is a pointer to one of these records. A dialog and each of its
 * controls is one record; the dialog owns its controls. Handles are checked
 * against the set of live windows before use, so a stale handle answers like
 * an invalid one on Windows (0, FALSE, null) instead of touching freed memory.
 */
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"
#include "platform/resources.h"

enum class WindowKind {
  Dialog,
  PushButton,   // BS_PUSHBUTTON and BS_DEFPUSHBUTTON
  CheckBox,     // BS_AUTOCHECKBOX
  RadioButton,  // BS_AUTORADIOBUTTON
  GroupBox,
  Static,
  ListBox,
  ComboBox,  // drop-down list
  Trackbar,
};

struct HWND__ {
  WindowKind kind = WindowKind::Static;
  HWND dialog = nullptr;  // the dialog a control belongs to; a dialog's own handle for a dialog
  int id = 0;
  std::string className;
  std::string text;
  std::string toolTip;                 // setWindowToolTip (platform/desktop.h)
  uint32_t style = 0;                  // WS_DISABLED and (for radio buttons) WS_TABSTOP follow the control's state
  short x = 0, y = 0, cx = 0, cy = 0;  // dialog units

  // Buttons
  UINT check = BST_UNCHECKED;

  // List boxes and drop-down lists
  std::vector<std::string> items;
  int selection = -1;
  std::vector<int> tabStops;  // dialog template units, as LB_SETTABSTOPS gave them
  bool dropped = false;       // drop-down list open

  // Track bars
  int rangeMin = 0, rangeMax = 100, position = 0;
  int pageSize = 20, lineSize = 1, ticFrequency = 1, thumbLength = 0;

  // Dialogs
  const DialogTemplateData *dialogTemplate = nullptr;
  DLGPROC proc = nullptr;
  HWND owner = nullptr;
  std::vector<HWND> controls;  // template order = tab order
  HWND focus = nullptr;        // the control with the focus, kept while the dialog is inactive
  int defaultId = IDOK;
  bool ended = false;
  INT_PTR result = 0;
};

// The core's internal calls, grouped by the file that implements them.
// The rules every backend asks are in rules.h.

// ---- window_registry.cpp ------------------------------------------------------
// True while `window` is a live dialog or control.
bool isWindow(HWND window);
bool isEnabled(HWND window);
// Whether a live window has WS_VISIBLE: the one test of "shown" in this layer.
bool isVisible(HWND window);
// The dialogs running modally, outermost first; the last one is active.
const std::vector<HWND> &openDialogs();
HWND activeDialog();
void addOpenDialog(HWND dialog);
void removeOpenDialog(HWND dialog);
// The records of a dialog and its controls, made from the template (template
// order = tab order), and freed with their handles.
HWND createDialog(const DialogTemplateData &data, HWND owner, DLGPROC proc);
void destroyDialog(HWND dialog);

// ---- focus.cpp ------------------------------------------------------------------
// Moves the focus of `control`'s dialog to `control` (null: no control), with
// the kill-focus notifications of the old control before the set-focus ones of
// the new. Returns the previously focused control.
HWND moveFocus(HWND dialog, HWND control);
// A window opens over `dialog` (it loses activation) or closes again: its
// focused control hears that it lost the focus, then that it has it back.
void deactivate(HWND dialog);
void reactivate(HWND dialog);

// ---- control_state.cpp ------------------------------------------------------------
// Calls the dialog procedure (0 when the dialog is gone).
INT_PTR sendToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// WM_COMMAND(MAKEWPARAM(id, code), control) to the control's dialog.
void notifyCommand(HWND control, int code);
// WM_HSCROLL(MAKEWPARAM(code, position), trackbar) to the track bar's dialog.
void notifyScroll(HWND trackbar, int code, int position);
// What the close box and WM_CLOSE do: WM_CLOSE to the procedure, and when it
// does not handle it, WM_COMMAND(IDCANCEL).
void requestClose(HWND dialog);
// Sets a button's check state; an automatic radio button that becomes checked
// also unchecks the other radio buttons of its group (clicks only).
void setCheck(HWND button, UINT check);
void checkRadioInGroup(HWND radio);
// Opens a drop-down list (CBN_DROPDOWN, then the list shows) or closes it
// (CBN_SELENDOK or CBN_SELENDCANCEL, then CBN_CLOSEUP).
void openDropDown(HWND combo);
void closeDropDown(HWND combo, bool accepted);

// ---- user_input.cpp ---------------------------------------------------------------
// A click as the user makes it (also BM_CLICK): the focus moves to the button,
// an automatic button takes its new state, then BN_CLICKED. Nothing happens to
// a disabled or hidden button; returns whether it was clicked.
bool clickButton(HWND button);

// ---- class_icon.cpp -----------------------------------------------------------------
// The dialog window class's icon as SetClassLongPtrA(GCLP_HICON) or
// SetClassLongA(GCL_HICON) set it (0 if never), shared by every dialog.
LONG_PTR dialogClassIcon();
// The icon resource behind that handle, for a backend to show (null if none).
const IconResource *dialogClassIconResource();
