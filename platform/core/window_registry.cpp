/* The window registry: every live dialog and control, the dialogs running
 * modally, and the records made from a dialog template and freed again. A
 * handle is checked here before any call touches it, so a stale one answers
 * as an invalid one does on Windows.
 */
#include <algorithm>

#include "platform/core/window.h"

namespace {

std::vector<HWND> LiveWindows;
std::vector<HWND> OpenDialogs;

WindowKind kindOf(const DialogControlTemplate &control) {
  std::string className = control.className ? control.className : "";
  if (className == "BUTTON") {
    switch (control.style & BS_TYPEMASK) {
      case BS_AUTOCHECKBOX: return WindowKind::CheckBox;
      case BS_AUTORADIOBUTTON: return WindowKind::RadioButton;
      case BS_GROUPBOX: return WindowKind::GroupBox;
      default: return WindowKind::PushButton;
    }
  }
  if (className == "LISTBOX") return WindowKind::ListBox;
  if (className == "COMBOBOX") return WindowKind::ComboBox;
  if (className == TRACKBAR_CLASSA) return WindowKind::Trackbar;
  return WindowKind::Static;
}

}  // namespace

bool isWindow(HWND window) {
  return window && std::find(LiveWindows.begin(), LiveWindows.end(), window) != LiveWindows.end();
}

bool isEnabled(HWND window) { return isWindow(window) && !(window->style & WS_DISABLED); }

bool isVisible(HWND window) { return isWindow(window) && (window->style & WS_VISIBLE); }

const std::vector<HWND> &openDialogs() { return OpenDialogs; }

HWND activeDialog() { return OpenDialogs.empty() ? nullptr : OpenDialogs.back(); }

void addOpenDialog(HWND dialog) { OpenDialogs.push_back(dialog); }

void removeOpenDialog(HWND dialog) {
  OpenDialogs.erase(std::remove(OpenDialogs.begin(), OpenDialogs.end(), dialog), OpenDialogs.end());
}

HWND createDialog(const DialogTemplateData &data, HWND owner, DLGPROC proc) {
  HWND dialog = new HWND__;
  dialog->kind = WindowKind::Dialog;
  dialog->dialog = dialog;
  dialog->className = "#32770";
  dialog->text = data.caption ? data.caption : "";
  dialog->style = data.style;
  dialog->x = data.x;
  dialog->y = data.y;
  dialog->cx = data.cx;
  dialog->cy = data.cy;
  dialog->dialogTemplate = &data;
  dialog->proc = proc;
  dialog->owner = owner;
  LiveWindows.push_back(dialog);
  for (int i = 0; i < data.controlCount; ++i) {
    const DialogControlTemplate &t = data.controls[i];
    HWND control = new HWND__;
    control->kind = kindOf(t);
    control->dialog = dialog;
    control->id = t.id;
    control->className = t.className ? t.className : "";
    control->text = t.text ? t.text : "";
    control->style = t.style;
    control->x = t.x;
    control->y = t.y;
    control->cx = t.cx;
    control->cy = t.cy;
    if (control->kind == WindowKind::PushButton && (t.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      dialog->defaultId = t.id;
    }
    dialog->controls.push_back(control);
    LiveWindows.push_back(control);
  }
  return dialog;
}

void destroyDialog(HWND dialog) {
  for (HWND control : dialog->controls) {
    LiveWindows.erase(std::remove(LiveWindows.begin(), LiveWindows.end(), control), LiveWindows.end());
    delete control;
  }
  LiveWindows.erase(std::remove(LiveWindows.begin(), LiveWindows.end(), dialog), LiveWindows.end());
  delete dialog;
}
