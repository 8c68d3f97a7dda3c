/* Modal windows: a dialog run from its template (DialogBoxParamA, EndDialog),
 * a message box, and the backend's own boxes (the folder chooser, the
 * key-capture box). Each disables its owner while it runs and enables it
 * again afterwards, and the dialog under it loses activation and gets it back.
 */
#include <cstdlib>

#include "platform/core/backend.h"
#include "platform/core/rules.h"
#include "platform/core/window.h"
#include "platform/desktop.h"
#include "platform/key_codes.h"
#include "platform/resources.h"

namespace {

// A template is named by number (MAKEINTRESOURCEA) or as "#number".
int templateNumber(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return LOWORD(name);
  if (name[0] != '#') return -1;
  char *end = nullptr;
  long number = std::strtol(name + 1, &end, 10);
  if (end == name + 1 || *end != '\0' || number < 0 || number > 0xffff) return -1;
  return static_cast<int>(number);
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

// The backend's own modal boxes (the folder chooser, the key-capture box) are
// modal like a message box: the owner takes no input while one shows, and its
// focused control hears that it lost the focus, then that it has it back.
template <typename Show>
auto runOwnedModal(HWND owner, Show show) {
  owner = topLevel(owner);
  HWND previouslyActive = activeDialog();
  bool disabled = disableOwner(owner);
  deactivate(previouslyActive);
  auto result = show(owner);
  if (disabled && isWindow(owner)) EnableWindow(owner, TRUE);
  if (previouslyActive == activeDialog()) reactivate(previouslyActive);
  return result;
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM initParam) {
  const DialogTemplateData *data = findDialogTemplate(templateNumber(templateName));
  if (!data || !proc) return -1;
  if (owner && !isWindow(owner)) return 0;  // Windows answers an invalid owner with 0
  owner = topLevel(owner);

  HWND dialog = createDialog(*data, owner, proc);
  HWND previouslyActive = activeDialog();
  bool enableOwner = disableOwner(owner);
  addOpenDialog(dialog);
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
  removeOpenDialog(dialog);
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

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  owner = topLevel(owner);
  HWND previouslyActive = activeDialog();
  // A task-modal box without an owner holds every dialog of the program;
  // only those it disabled are enabled again.
  std::vector<HWND> disabled;
  if (!owner && (type & MB_TASKMODAL)) {
    for (HWND dialog : openDialogs())
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
