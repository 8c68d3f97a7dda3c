/* The headless backend: no widgets, only the core's in-memory controls. The
 * modal loop is the scripted user: it takes the dialog's step and performs
 * its actions through the core's user-input calls, so tests see exactly the
 * notifications a real user would cause. Message boxes are answered from the
 * script, after the Escape and close-box presses it asks for (which the core's
 * rule for the box's type turns into an answer, or into nothing), and
 * recorded; so are the folder chooser and the key-capture box (given the
 * script's key). The remembered game folder lives in memory.
 */
#include "platform/core/backend.h"
#include "platform/core/rules.h"
#include "platform/core/user_input.h"
#include "tests/harness/scripted_user/script_driver.h"

namespace {

// Performs one action; false (with the reason) when the user could not do it
// at all.
bool perform(HWND dialog, const userscript::Action &action, std::string *why) {
  using userscript::ActionKind;
  HWND control = nullptr;
  if (!userscript::resolveAction(dialog, action, &control, why)) return false;
  switch (action.kind) {
    case ActionKind::Click: userClick(control); return true;
    case ActionKind::SelectRow: userSelectRow(control, action.value); return true;
    case ActionKind::DoubleClickRow: userDoubleClickRow(control, action.value); return true;
    case ActionKind::Key: userKey(dialog, action.value); return true;
    case ActionKind::AltKey: userAltKey(dialog, static_cast<char>(action.value)); return true;
    case ActionKind::ShiftTab: userKey(dialog, VK_TAB, true); return true;
    case ActionKind::Focus: userFocus(control); return true;
    case ActionKind::DragTrackbar: userDragTrackbar(control, action.value); return true;
    case ActionKind::CloseBox: userCloseBox(dialog); return true;
    case ActionKind::Inspect:
      if (action.inspect) action.inspect(dialog);
      return true;
  }
  return true;
}

}  // namespace

void backendStart() {}
void backendDialogCreated(HWND) {}
void backendDialogDestroyed(HWND) {}
void backendWindowChanged(HWND, WindowChange) {}

void backendRunModalLoop(HWND dialog) {
  userscript::DialogRun run;
  if (!run.start(dialog)) {
    EndDialog(dialog, -1);
    return;
  }
  while (!dialog->ended) {
    const userscript::Action *action = run.next();
    if (!action) {
      EndDialog(dialog, -1);
      return;
    }
    std::string why;
    if (!perform(dialog, *action, &why)) run.cannot(*action, why);
  }
  run.closed();
}

int backendMessageBox(HWND owner, const char *text, const char *caption, UINT type) {
  userscript::MessageBoxRun run;
  run.start(owner != nullptr, text, caption, type);
  while (const userscript::Action *action = run.next()) {
    std::string why;
    if (!userscript::MessageBoxRun::possible(*action, &why)) {
      run.cannot(*action, why);
    } else if (action->kind == userscript::ActionKind::Inspect) {
      if (action->inspect) action->inspect(owner);
    } else if (int answer = messageBoxEscapeAnswer(type)) {
      return run.closed(answer);  // Escape or the close box ended it
    }
  }
  return run.closed(run.answer());
}

// The chooser is answered from the script; the folder it names is taken as
// given, as a person may choose any folder.
bool backendChooseFolder(HWND owner, const char *title, const std::string &start, std::string *chosen) {
  userscript::FolderChooserRun run;
  run.start(owner != nullptr, title, start);
  std::string answer = run.answer();
  run.closed(answer);
  if (answer.empty()) return false;
  *chosen = answer;
  return true;
}

// Remembered for the life of the process only: tests set it as they need.
namespace {
std::string RememberedFolder;
}

bool backendLoadRememberedFolder(std::string *folder) {
  *folder = RememberedFolder;
  return true;
}

bool backendStoreRememberedFolder(const std::string &folder) {
  RememberedFolder = folder;
  return true;
}

// The script's key goes in as the code itself: there is no keyboard to read.
int backendCaptureKey(HWND owner, const char *caption, const char *prompt) {
  userscript::KeyCaptureRun run;
  int keyCode = run.start(owner != nullptr, caption, prompt);
  run.closed(keyCode);
  return keyCode;
}
