/* User input, as the dialog manager receives it from a backend. Every backend
 * turns its own events into these calls (headless: from the scripted user; Qt:
 * from mouse and key events), so every backend produces the same
 * notifications in the same order, the order Windows produces them.
 *
 * Each call returns false when the input cannot reach its target (a
 * disabled or hidden control or dialog, a dialog that is not active, a row
 * that does not exist, no close box); nothing is sent then.
 */
#pragma once

#include "platform/core/window.h"

// Mouse click on a control: the focus moves there first (when the control
// takes the focus), then a button, check box or radio button is clicked.
bool userClick(HWND control);
// Mouse click on a list box row; on a drop-down list: open it and pick the row.
bool userSelectRow(HWND control, int row);
// Double click on a list box row (a drop-down list treats it as a pick).
bool userDoubleClickRow(HWND control, int row);
// A key pressed and released while `dialog` is active (VK_*, or 'A'..'Z' and
// '0'..'9'); `shift` held for Shift+Tab. F4 opens or closes the focused
// drop-down list.
bool userKey(HWND dialog, int virtualKey, bool shift = false);
// Alt + a key: a letter or digit is a mnemonic; Up and Down open or close
// the focused drop-down list (togglesDropDown in rules.h).
bool userAltKey(HWND dialog, int key);
// Mouse click that only moves the focus (a drop-down list opens and closes).
bool userFocus(HWND control);
// Drags a track bar's thumb to `position`, one step at a time.
bool userDragTrackbar(HWND trackbar, int position);
// The caption's close box (only a dialog with WS_SYSMENU has one).
bool userCloseBox(HWND dialog);
