/* The dialog manager off Windows: creating dialogs from the template data,
 * the modal loop around the backend, ending dialogs, focus, and the small
 * window calls (GetDlgItem, EnableWindow, texts, check boxes, message boxes,
 * the folder chooser, the class icon). Control messages are in control_messages.cpp, user input
 * in user_input.cpp.
 */
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/core/backend.h"
#include "platform/core/rules.h"
#include "platform/core/window.h"
#include "platform/desktop.h"
#include "platform/key_codes.h"
#include "platform/resources.h"

namespace {

std::vector<HWND> LiveWindows;
std::vector<HWND> OpenDialogs;
LONG_PTR DialogClassIcon = 0;

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

// A template is named by number (MAKEINTRESOURCEA) or as "#number".
int templateNumber(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return LOWORD(name);
  if (name[0] != '#') return -1;
  char *end = nullptr;
  long number = std::strtol(name + 1, &end, 10);
  if (end == name + 1 || *end != '\0' || number < 0 || number > 0xffff) return -1;
  return static_cast<int>(number);
}

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

// A dialog that loses activation to a window shown over it tells its focused
// control, which keeps its place for when the dialog is active again.
void deactivate(HWND dialog) {
  if (isWindow(dialog) && dialog->focus) focusNotification(dialog->focus, false);
}

void reactivate(HWND dialog) {
  if (isWindow(dialog) && dialog->focus) focusNotification(dialog->focus, true);
}

// Disables a modal window's owner; returns whether it has to be enabled again.
bool disableOwner(HWND owner) {
  if (!isWindow(owner) || !isEnabled(owner)) return false;
  EnableWindow(owner, FALSE);
  return true;
}

// The top-level window a handle belongs to (a control's owner is its dialog).
HWND topLevel(HWND window) {
  if (!isWindow(window)) return nullptr;
  return window->dialog;
}

void setText(HWND window, LPCSTR text) {
  window->text = text ? text : "";
  backendWindowChanged(window, WindowChange::Text);
}

int copyOut(const std::string &text, LPSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  int n = std::min<int>(static_cast<int>(text.size()), capacity - 1);
  std::memcpy(buffer, text.data(), static_cast<size_t>(n));
  buffer[n] = '\0';
  return n;
}

}  // namespace

// ---- Registry ----------------------------------------------------------------

bool isWindow(HWND window) {
  return window && std::find(LiveWindows.begin(), LiveWindows.end(), window) != LiveWindows.end();
}

bool isEnabled(HWND window) { return isWindow(window) && !(window->style & WS_DISABLED); }

const std::vector<HWND> &openDialogs() { return OpenDialogs; }

HWND activeDialog() { return OpenDialogs.empty() ? nullptr : OpenDialogs.back(); }

LONG_PTR dialogClassIcon() { return DialogClassIcon; }

const IconResource *dialogClassIconResource() {
  // LoadIconA's handles are the icon numbers.
  return DialogClassIcon > 0 && DialogClassIcon <= 0xffff ? findIcon(static_cast<int>(DialogClassIcon)) : nullptr;
}

// ---- Messages the dialog manager sends ------------------------------------

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

// ---- Focus -------------------------------------------------------------------

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

bool isTabStop(HWND control) {
  return isWindow(control) && control->kind != WindowKind::Dialog && (control->style & WS_VISIBLE) &&
         isEnabled(control) && (control->style & WS_TABSTOP);
}

std::vector<HWND> groupOf(HWND control) {
  std::vector<HWND> group;
  if (!isWindow(control) || control->kind == WindowKind::Dialog) return group;
  const std::vector<HWND> &all = control->dialog->controls;
  auto at = std::find(all.begin(), all.end(), control);
  size_t first = static_cast<size_t>(at - all.begin());
  while (first > 0 && !(all[first]->style & WS_GROUP)) --first;
  for (size_t i = first; i < all.size(); ++i) {
    if (i > first && (all[i]->style & WS_GROUP)) break;
    group.push_back(all[i]);
  }
  return group;
}

HWND nextTabStop(HWND dialog, HWND from, bool previous) {
  if (!isWindow(dialog)) return nullptr;
  const std::vector<HWND> &all = dialog->controls;
  int n = static_cast<int>(all.size());
  if (n == 0) return nullptr;
  int start = static_cast<int>(std::find(all.begin(), all.end(), from) - all.begin());
  if (start == n) start = previous ? 0 : n - 1;  // from nowhere: the first (or last) control
  std::vector<HWND> fromGroup;
  if (isWindow(from) && from->kind == WindowKind::RadioButton) fromGroup = groupOf(from);
  for (int step = 1; step <= n; ++step) {
    HWND candidate = all[static_cast<size_t>(((start + (previous ? -step : step)) % n + n) % n)];
    if (!isTabStop(candidate)) continue;
    if (candidate->kind != WindowKind::RadioButton) return candidate;
    // A radio group is one stop: Tab leaves it, and enters it on the checked button.
    if (std::find(fromGroup.begin(), fromGroup.end(), candidate) != fromGroup.end()) continue;
    for (HWND member : groupOf(candidate)) {
      if (member->kind == WindowKind::RadioButton && member->check == BST_CHECKED && isTabStop(member)) return member;
    }
    return candidate;
  }
  return nullptr;
}

// ---- Control state helpers --------------------------------------------------

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

// ---- Win32 calls ---------------------------------------------------------------

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM initParam) {
  const DialogTemplateData *data = findDialogTemplate(templateNumber(templateName));
  if (!data || !proc) return -1;
  if (owner && !isWindow(owner)) return 0;  // Windows answers an invalid owner with 0
  owner = topLevel(owner);

  HWND dialog = createDialog(*data, owner, proc);
  HWND previouslyActive = activeDialog();
  bool enableOwner = disableOwner(owner);
  OpenDialogs.push_back(dialog);
  backendDialogCreated(dialog);

  HWND first = nextTabStop(dialog, nullptr, false);
  INT_PTR focusDefault = sendToDialog(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam);
  // A dialog ended during WM_INITDIALOG is never shown and takes nothing from its owner.
  bool shown = !dialog->ended;
  if (shown) {
    deactivate(previouslyActive);
    // The procedure may have enabled or disabled controls: look again.
    HWND target = focusDefault ? nextTabStop(dialog, nullptr, false) : nullptr;
    if (target && !dialog->ended) moveFocus(dialog, target);
    if (!dialog->ended) backendRunModalLoop(dialog);
  }

  INT_PTR result = dialog->result;
  OpenDialogs.erase(std::remove(OpenDialogs.begin(), OpenDialogs.end(), dialog), OpenDialogs.end());
  backendDialogDestroyed(dialog);
  destroyDialog(dialog);
  if (enableOwner && isWindow(owner)) EnableWindow(owner, TRUE);
  if (shown && previouslyActive == activeDialog()) reactivate(previouslyActive);
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  if (!isWindow(dialog) || dialog->kind != WindowKind::Dialog) return FALSE;
  dialog->ended = true;
  dialog->result = result;
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  if (!isWindow(dialog) || dialog->kind != WindowKind::Dialog) return nullptr;
  for (HWND control : dialog->controls) {
    if (static_cast<WORD>(control->id) == static_cast<WORD>(id)) return control;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND control) {
  if (!isWindow(control) || control->kind == WindowKind::Dialog) return 0;
  return control->id;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessageA(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? static_cast<UINT>(SendMessageA(control, BM_GETCHECK, 0, 0)) : 0;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  if (!isWindow(window)) return FALSE;
  BOOL wasDisabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable && wasDisabled) {
    window->style &= ~WS_DISABLED;
    backendWindowChanged(window, WindowChange::Enabled);
  } else if (!enable && !wasDisabled) {
    window->style |= WS_DISABLED;
    backendWindowChanged(window, WindowChange::Enabled);
    // A disabled control cannot keep the focus (Enter then goes to the default button).
    if (window->kind != WindowKind::Dialog && window->dialog->focus == window) moveFocus(window->dialog, nullptr);
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) { return isEnabled(window) ? TRUE : FALSE; }

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  setText(control, text);
  return TRUE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int capacity) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) {
    copyOut("", buffer, capacity);
    return 0;
  }
  return static_cast<UINT>(copyOut(control->text, buffer, capacity));
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (!isWindow(window)) return FALSE;
  setText(window, text);
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int capacity) {
  if (!isWindow(window)) {
    copyOut("", buffer, capacity);
    return 0;
  }
  return copyOut(window->text, buffer, capacity);
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

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  owner = topLevel(owner);
  HWND previouslyActive = activeDialog();
  // A task-modal box without an owner holds every dialog of the program;
  // only those it disabled are enabled again.
  std::vector<HWND> disabled;
  if (!owner && (type & MB_TASKMODAL)) {
    for (HWND dialog : OpenDialogs)
      if (disableOwner(dialog)) disabled.push_back(dialog);
  } else if (disableOwner(owner)) {
    disabled.push_back(owner);
  }
  deactivate(previouslyActive);
  int answer = backendMessageBox(owner, text ? text : "", caption ? caption : "Error", type);
  for (HWND window : disabled)
    if (isWindow(window)) EnableWindow(window, TRUE);
  if (previouslyActive == activeDialog()) reactivate(previouslyActive);
  return answer;
}

// The backend's own modal boxes (the folder chooser, the key-capture box) are
// modal like a message box: the owner takes no input while one shows, and its
// focused control hears that it lost the focus, then that it has it back.
template <typename Show>
static auto runOwnedModal(HWND owner, Show show) {
  owner = topLevel(owner);
  HWND previouslyActive = activeDialog();
  bool disabled = disableOwner(owner);
  deactivate(previouslyActive);
  auto result = show(owner);
  if (disabled && isWindow(owner)) EnableWindow(owner, TRUE);
  if (previouslyActive == activeDialog()) reactivate(previouslyActive);
  return result;
}

bool chooseFolder(HWND owner, const char *title, const std::string &start, std::string *chosen) {
  std::string answer;
  bool chose =
      runOwnedModal(owner, [&](HWND top) { return backendChooseFolder(top, title ? title : "", start, &answer); });
  if (chose && chosen) *chosen = answer;
  return chose;
}

// Escape is the user's way out; the backend reports it as the key it is.
int capturePressedKey(HWND owner, const char *caption, const char *prompt) {
  int key = runOwnedModal(
      owner, [&](HWND top) { return backendCaptureKey(top, caption ? caption : "", prompt ? prompt : ""); });
  return key < 0 || key == KeyCodeEscape ? -1 : key;
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
  // An icon of the program's icon table. Its handle is its number, so that it
  // survives SetClassLongA, which keeps 32 bits, as well as SetClassLongPtrA.
  if (!IS_INTRESOURCE(name) || !findIcon(LOWORD(name))) return nullptr;
  return reinterpret_cast<HICON>(static_cast<uintptr_t>(LOWORD(name)));
}

ULONG_PTR SetClassLongPtrA(HWND window, int index, LONG_PTR value) {
  if (!isWindow(window) || index != GCLP_HICON) return 0;
  // Every dialog shares one window class, so the icon is process-wide.
  LONG_PTR previous = DialogClassIcon;
  DialogClassIcon = value;
  backendWindowChanged(window->dialog, WindowChange::Icon);
  return static_cast<ULONG_PTR>(previous);
}

// The 32-bit form: the value set and the one returned are 32 bits wide.
DWORD SetClassLongA(HWND window, int index, LONG value) {
  static_assert(GCL_HICON == GCLP_HICON);
  return static_cast<DWORD>(SetClassLongPtrA(window, index, value));
}

ULONG_PTR GetClassLongPtrA(HWND window, int index) {
  if (!isWindow(window) || index != GCLP_HICON) return 0;
  return static_cast<ULONG_PTR>(DialogClassIcon);
}

DWORD GetClassLongA(HWND window, int index) { return static_cast<DWORD>(GetClassLongPtrA(window, index)); }

// The names Windows registers its classes under (a template may spell them
// in any case).
int GetClassNameA(HWND window, LPSTR buffer, int capacity) {
  if (!isWindow(window)) {
    copyOut("", buffer, capacity);
    return 0;
  }
  static const char *const Names[] = {"#32770", "Button",  "Button",   "Button",           "Button",
                                      "Static", "ListBox", "ComboBox", "msctls_trackbar32"};
  static_assert(sizeof Names / sizeof Names[0] == static_cast<size_t>(WindowKind::Trackbar) + 1);
  return copyOut(Names[static_cast<int>(window->kind)], buffer, capacity);
}

LONG GetWindowLongA(HWND window, int index) {
  if (!isWindow(window)) return 0;
  if (index == GWL_STYLE) return static_cast<LONG>(window->style);
  if (index == GWL_ID) return window->kind == WindowKind::Dialog ? 0 : window->id;
  return 0;
}

// Windows registers the track bar's window class here; the core's track bars
// need nothing registered, but the backend is started.
void InitCommonControls(void) { backendStart(); }
