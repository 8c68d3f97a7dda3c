/* Rules of the Windows dialog manager that more than one part of this layer
 * needs, each written once. The core follows them, and every backend asks
 * them rather than working them out again: a second copy of a rule drifts
 * from the first. The message-box rules (message_box_rules.h) need no window
 * of ours, so the scripted user on the real Windows asks them too.
 */
#pragma once

#include <string>
#include <vector>

#include "platform/core/message_box_rules.h"
#include "platform/core/window.h"

// ---- Who takes input ------------------------------------------------------------

// Whether user input reaches `window` now. A dialog: it is the active one,
// enabled and not yet ended. A control: it is visible and enabled, and its
// dialog takes input.
bool acceptsInput(HWND window);

// Whether a control takes the focus when clicked or tabbed to: every kind
// but static texts and group boxes.
bool takesFocus(HWND control);

// ---- Tab order and groups ----------------------------------------------------------

// Controls reached by Tab: visible, enabled, WS_TABSTOP.
bool isTabStop(HWND control);

// The controls of `control`'s group: from the WS_GROUP control at or before it
// up to the next WS_GROUP control.
std::vector<HWND> groupOf(HWND control);

// The next (or previous) tab stop after `from` in template order, wrapping;
// null when there is none. A radio group is one stop: Tab leaves it, and
// enters it on its checked button (the first one reached when none is).
HWND nextTabStop(HWND dialog, HWND from, bool previous);

// ---- Keys and mnemonics ---------------------------------------------------------

// Letters and digits ('A'..'Z', '0'..'9'): the keys that act as mnemonics and
// as a list's type-ahead.
bool isCharacterKey(int virtualKey);

// The mnemonic of a control text: the character after the first '&' that does
// not start "&&", upper-cased; 0 when there is none. (An SS_NOPREFIX static has
// none whatever its text says; that is the caller's check.)
int mnemonicOf(const std::string &text);

// The text as a control shows it: "&x" is an underlined x, "&&" one '&'.
std::string textWithoutMnemonicMarks(const std::string &text);

// Whether a key opens or closes the focused drop-down list: F4, or Up or
// Down with Alt held (Alt+F4 is the window's, not the list's).
bool togglesDropDown(int virtualKey, bool alt);

// ---- Sorted lists --------------------------------------------------------------------

// Case-insensitive comparison in the order a Windows sorted list uses
// (punctuation, then digits, then letters; '-' and '\'' count only to break
// ties). LBS_SORT and CBS_SORT insert a row after every row not above it.
int compareListText(const std::string &a, const std::string &b);

// ---- Cancel ---------------------------------------------------------------------------

// What Escape and an unhandled close box send: WM_COMMAND(IDCANCEL,
// BN_CLICKED) to the dialog, with the IDCANCEL control (or null) in lParam.
void sendCancel(HWND dialog);

// ---- Names for screen readers -----------------------------------------------------

// The name assistive technology gives a control, found first as the Windows
// accessibility layer finds it. A control with a text of its own (a button, a
// check box, a radio button, a label, a group box) is named by that text as
// shown. Any other (a list, a drop-down list, a track bar), or one whose text
// is empty, takes the name the program's table gives it (findAccessibleName)
// where it gives one; else it is named by the nearest label or group box
// before it in template order: the search goes back past hidden controls and
// stops at the first visible tab stop or group start. Where Windows finds nothing (or an empty
// label), the name comes from the label after the control (up to the next
// visible tab stop), else the nearest label before it however far back, else
// the group box it lies in. Blanks around a text are left out. Empty only
// when there is none of these.
std::string accessibleNameOf(HWND control);
