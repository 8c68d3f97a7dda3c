/* Control state that the user and the program both change (a button's check,
 * a drop-down list open or closed), and the messages the dialog manager sends
 * a dialog's procedure about its controls.
 */
#include "platform/core/backend.h"
#include "platform/core/rules.h"
#include "platform/core/window.h"

INT_PTR sendToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!isWindow(dialog) || dialog->kind != WindowKind::Dialog || !dialog->proc) return 0;
  return dialog->proc(dialog, message, wParam, lParam);
}

void notifyCommand(HWND control, int code) {
  if (!isWindow(control)) return;
  sendToDialog(control->dialog, WM_COMMAND, MAKEWPARAM(control->id, code), reinterpret_cast<LPARAM>(control));
}

void notifyScroll(HWND trackbar, int code, int position) {
  if (!isWindow(trackbar)) return;
  sendToDialog(trackbar->dialog, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(trackbar));
}

void requestClose(HWND dialog) {
  if (!isWindow(dialog) || dialog->kind != WindowKind::Dialog) return;
  if (sendToDialog(dialog, WM_CLOSE, 0, 0)) return;
  sendCancel(dialog);
}

void setCheck(HWND button, UINT check) {
  if (!isWindow(button)) return;
  if (check > BST_CHECKED) check = BST_CHECKED;  // our buttons have no third state
  if (button->check == check) return;
  button->check = check;
  backendWindowChanged(button, WindowChange::Check);
}

void checkRadioInGroup(HWND radio) {
  for (HWND member : groupOf(radio)) {
    if (member != radio && member->kind == WindowKind::RadioButton) setCheck(member, BST_UNCHECKED);
  }
  setCheck(radio, BST_CHECKED);
}

void openDropDown(HWND combo) {
  if (!isWindow(combo) || combo->dropped) return;
  notifyCommand(combo, CBN_DROPDOWN);
  if (!isWindow(combo)) return;
  combo->dropped = true;
  backendWindowChanged(combo, WindowChange::Dropped);
}

void closeDropDown(HWND combo, bool accepted) {
  if (!isWindow(combo) || !combo->dropped) return;
  notifyCommand(combo, accepted ? CBN_SELENDOK : CBN_SELENDCANCEL);
  if (!isWindow(combo)) return;
  combo->dropped = false;
  backendWindowChanged(combo, WindowChange::Dropped);
  notifyCommand(combo, CBN_CLOSEUP);
}
