/* The focus: which control of a dialog has it, the notifications a control
 * sends when it gains or loses it, and what a dialog's focused control hears
 * when a window opens over the dialog and closes again. Which control Tab
 * reaches is a rule (rules.h).
 */
#include "platform/core/backend.h"
#include "platform/core/window.h"

namespace {

// A dialog that loses activation (a nested dialog or message box opens over
// it) tells its focused control, which keeps its place for when it returns.
void focusNotification(HWND control, bool gained) {
  if (!isWindow(control)) return;
  if (control->kind == WindowKind::ComboBox) {
    if (!gained && control->dropped) closeDropDown(control, false);
    notifyCommand(control, gained ? CBN_SETFOCUS : CBN_KILLFOCUS);
  } else if (control->kind == WindowKind::ListBox && (control->style & LBS_NOTIFY)) {
    notifyCommand(control, gained ? LBN_SETFOCUS : LBN_KILLFOCUS);
  }
}

}  // namespace

HWND moveFocus(HWND dialog, HWND control) {
  if (!isWindow(dialog)) return nullptr;
  HWND old = dialog->focus;
  if (old == control) return old;
  if (isWindow(old)) focusNotification(old, false);
  if (!isWindow(dialog)) return old;
  dialog->focus = control;
  backendWindowChanged(control ? control : dialog, WindowChange::Focus);
  if (control) focusNotification(control, true);
  return old;
}

// A dialog that loses activation to a window shown over it tells its focused
// control, which keeps its place for when the dialog is active again.
void deactivate(HWND dialog) {
  if (isWindow(dialog) && dialog->focus) focusNotification(dialog->focus, false);
}

void reactivate(HWND dialog) {
  if (isWindow(dialog) && dialog->focus) focusNotification(dialog->focus, true);
}

HWND GetFocus(void) {
  HWND dialog = activeDialog();
  return dialog ? dialog->focus : nullptr;
}

HWND SetFocus(HWND window) {
  if (!window) {
    HWND dialog = activeDialog();
    return dialog ? moveFocus(dialog, nullptr) : nullptr;
  }
  if (!isWindow(window)) return nullptr;
  // Focusing a dialog leaves the focus on its current control.
  if (window->kind == WindowKind::Dialog) return window->focus;
  // Windows refuses the focus to a disabled window or one in a disabled dialog.
  if (!isEnabled(window) || !isEnabled(window->dialog)) return nullptr;
  return moveFocus(window->dialog, window);
}
