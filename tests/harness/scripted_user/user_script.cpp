/* The scripted user's queue of steps, its records and its failure reports.
 * Backend-neutral: a backend takes steps through script_driver.h and turns
 * actions into its own input. Windows are looked at through Win32 calls
 * only, so the same code serves our layer and the real Windows.
 */
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <deque>

#include "platform/core/message_box_rules.h"
#include "tests/harness/scripted_user/script_driver.h"

namespace userscript {

namespace {

enum class StepKind { Dialog, MessageBox, FolderChooser, KeyCapture };

struct Step {
  StepKind kind;
  std::string caption;          // dialog steps
  std::vector<Action> actions;  // dialog steps; a message box's actions before its answer
  int answer = 0;               // message-box steps: the button; key-capture steps: the key code
  std::string folder;           // folder-chooser steps: the folder chosen, empty for Cancel
};

std::deque<Step> Steps;
std::vector<MessageBoxRecord> MessageBoxes;
std::vector<FolderChooserRecord> FolderChoosers;
std::vector<KeyCaptureRecord> KeyCaptures;
std::vector<std::string> DialogsOpened;
std::function<void(const std::string &)> FailureHandler;

std::string hexCode(int code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(code));
  return hex;
}

std::string describeStep(const Step &step) {
  switch (step.kind) {
    case StepKind::Dialog: return "dialog \"" + step.caption + "\"";
    case StepKind::MessageBox: return "message box answered " + std::to_string(step.answer);
    case StepKind::FolderChooser:
      return step.folder.empty() ? "folder chooser cancelled" : "folder chooser choosing \"" + step.folder + "\"";
    case StepKind::KeyCapture: return "key-capture box given key " + hexCode(step.answer);
  }
  return "step";
}

bool hasButtonFor(UINT type, int answer) {
  MessageBoxButtons buttons = messageBoxButtons(type);
  for (int i = 0; i < buttons.count; ++i) {
    if (buttons.answers[i] == answer) return true;
  }
  return false;
}

// A box the script cannot answer still has to go: as Escape would end it, or
// where Escape does nothing, with its last button (No, Ignore).
int answerWithoutScript(UINT type) {
  if (int answer = messageBoxEscapeAnswer(type)) return answer;
  MessageBoxButtons buttons = messageBoxButtons(type);
  return buttons.answers[buttons.count - 1];
}

Action make(ActionKind kind, int id, int value) {
  Action action;
  action.kind = kind;
  action.id = id;
  action.value = value;
  return action;
}

// A dialog has shown with `caption` (after WM_INITDIALOG, so a caption set
// there counts): records it and takes the next step, which must be a dialog
// step with that caption. Otherwise reports the failure; a dialog step with
// another caption is used up, a message-box step stays for its box.
bool takeDialogStep(const std::string &caption, std::vector<Action> *actions) {
  DialogsOpened.push_back(caption);
  if (Steps.empty()) {
    reportFailure("dialog \"" + caption + "\" opened, but the scripted user has no step left");
    return false;
  }
  if (Steps.front().kind != StepKind::Dialog) {
    reportFailure("dialog \"" + caption + "\" opened where the script expects a " + describeStep(Steps.front()));
    return false;
  }
  Step step = std::move(Steps.front());
  Steps.pop_front();
  if (step.caption != caption) {
    reportFailure("dialog \"" + caption + "\" opened where the script expects dialog \"" + step.caption + "\"");
    return false;
  }
  *actions = std::move(step.actions);
  return true;
}

// What a control is, by its window class (the registered names; a template
// may spell them in any case).
enum class ListKind { None, ListBox, DropDown };

bool hasClass(HWND window, const char *name) {
  char found[64] = "";
  GetClassNameA(window, found, sizeof found);
  size_t i = 0;
  for (; found[i] && name[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(found[i])) != std::tolower(static_cast<unsigned char>(name[i])))
      return false;
  }
  return found[i] == name[i];
}

ListKind listKindOf(HWND control) {
  if (hasClass(control, "ListBox")) return ListKind::ListBox;
  if (hasClass(control, "ComboBox")) return ListKind::DropDown;
  return ListKind::None;
}

std::string captionOf(HWND dialog) {
  char caption[256] = "";
  GetWindowTextA(dialog, caption, sizeof caption);
  return caption;
}

}  // namespace

Action click(int id) { return make(ActionKind::Click, id, 0); }
Action selectRow(int id, int row) { return make(ActionKind::SelectRow, id, row); }
Action doubleClickRow(int id, int row) { return make(ActionKind::DoubleClickRow, id, row); }
Action key(int virtualKey) { return make(ActionKind::Key, 0, virtualKey); }
Action altKey(char letter) { return make(ActionKind::AltKey, 0, static_cast<unsigned char>(letter)); }
Action shiftTab() { return make(ActionKind::ShiftTab, 0, 0); }
Action focus(int id) { return make(ActionKind::Focus, id, 0); }
Action dragTrackbar(int id, int position) { return make(ActionKind::DragTrackbar, id, position); }
Action closeBox() { return make(ActionKind::CloseBox, 0, 0); }
Action inspect(std::function<void(HWND dialog)> look) {
  Action action = make(ActionKind::Inspect, 0, 0);
  action.inspect = std::move(look);
  return action;
}

void expectDialog(const std::string &caption, std::vector<Action> actions) {
  Step step;
  step.kind = StepKind::Dialog;
  step.caption = caption;
  step.actions = std::move(actions);
  Steps.push_back(std::move(step));
}

void expectMessageBox(int answer, std::vector<Action> first) {
  Step step;
  step.kind = StepKind::MessageBox;
  step.answer = answer;
  step.actions = std::move(first);
  Steps.push_back(std::move(step));
}

void expectFolderChooser(const std::string &folder) {
  Step step;
  step.kind = StepKind::FolderChooser;
  step.folder = folder;
  Steps.push_back(std::move(step));
}

const std::vector<FolderChooserRecord> &folderChoosers() { return FolderChoosers; }

void expectKeyCapture(int keyCode) {
  Step step;
  step.kind = StepKind::KeyCapture;
  step.answer = keyCode;
  Steps.push_back(std::move(step));
}

const std::vector<MessageBoxRecord> &messageBoxes() { return MessageBoxes; }
const std::vector<KeyCaptureRecord> &keyCaptures() { return KeyCaptures; }
const std::vector<std::string> &dialogsOpened() { return DialogsOpened; }

void reset() {
  Steps.clear();
  MessageBoxes.clear();
  FolderChoosers.clear();
  KeyCaptures.clear();
  DialogsOpened.clear();
}

bool finished() {
  if (Steps.empty()) return true;
  std::string message = "the scripted user has " + std::to_string(Steps.size()) + " step(s) left:";
  for (const Step &step : Steps) message += " " + describeStep(step) + ";";
  Steps.clear();
  reportFailure(message);
  return false;
}

void setFailureHandler(std::function<void(const std::string &message)> handler) { FailureHandler = std::move(handler); }

void reportFailure(const std::string &message) {
  if (FailureHandler) {
    FailureHandler(message);
    return;
  }
  std::fprintf(stderr, "scripted user: %s\n", message.c_str());
  std::abort();
}

std::string describeAction(const Action &action) {
  std::string id = std::to_string(action.id);
  std::string value = std::to_string(action.value);
  switch (action.kind) {
    case ActionKind::Click: return "click on control " + id;
    case ActionKind::SelectRow: return "select row " + value + " of control " + id;
    case ActionKind::DoubleClickRow: return "double-click row " + value + " of control " + id;
    case ActionKind::Key: return "key " + hexCode(action.value);
    case ActionKind::AltKey: return std::string("Alt+") + static_cast<char>(action.value);
    case ActionKind::ShiftTab: return "Shift+Tab";
    case ActionKind::Focus: return "focus control " + id;
    case ActionKind::DragTrackbar: return "drag track bar " + id + " to " + value;
    case ActionKind::CloseBox: return "close box";
    case ActionKind::Inspect: return "inspection";
  }
  return "action";
}

bool resolveAction(HWND dialog, const Action &action, HWND *control, std::string *why) {
  *control = nullptr;
  switch (action.kind) {
    case ActionKind::Click:
    case ActionKind::SelectRow:
    case ActionKind::DoubleClickRow:
    case ActionKind::Focus:
    case ActionKind::DragTrackbar:
      *control = GetDlgItem(dialog, action.id);
      if (!*control) {
        *why = "it has no control " + std::to_string(action.id);
        return false;
      }
      break;
    default: break;
  }
  switch (action.kind) {
    case ActionKind::SelectRow:
    case ActionKind::DoubleClickRow: {
      ListKind kind = listKindOf(*control);
      if (kind == ListKind::None) {
        *why = "control " + std::to_string(action.id) + " is not a list";
        return false;
      }
      int rows = static_cast<int>(SendMessageA(*control, kind == ListKind::ListBox ? LB_GETCOUNT : CB_GETCOUNT, 0, 0));
      if (action.value < 0 || action.value >= rows) {
        *why = "control " + std::to_string(action.id) + " has " + std::to_string(rows) + " rows";
        return false;
      }
      return true;
    }
    case ActionKind::DragTrackbar:
      if (!hasClass(*control, TRACKBAR_CLASSA)) {
        *why = "control " + std::to_string(action.id) + " is not a track bar";
        return false;
      }
      return true;
    case ActionKind::CloseBox:
      if (!(static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)) & WS_SYSMENU)) {
        *why = "it has no close box";
        return false;
      }
      return true;
    default: return true;
  }
}

bool DialogRun::start(HWND dialog) {
  caption_ = captionOf(dialog);
  next_ = 0;
  return takeDialogStep(caption_, &actions_);
}

const Action *DialogRun::next() {
  if (next_ < actions_.size()) return &actions_[next_++];
  reportFailure(dialogName() + " is still open after the script's last action for it");
  return nullptr;
}

void DialogRun::cannot(const Action &action, const std::string &why) {
  reportFailure(dialogName() + ": cannot " + describeAction(action) + ": " + why);
}

void DialogRun::closed() {
  if (next_ >= actions_.size()) return;
  reportFailure(dialogName() + " closed with " + std::to_string(actions_.size() - next_) +
                " action(s) left, the next: " + describeAction(actions_[next_]));
}

std::string DialogRun::dialogName() const { return "dialog \"" + caption_ + "\""; }

void MessageBoxRun::start(bool owned, const std::string &text, const std::string &caption, UINT type) {
  record_ = MessageBoxRecord{owned, text, caption, type, 0};
  scripted_ = false;
  answer_ = answerWithoutScript(type);
  actions_.clear();
  next_ = 0;
  if (Steps.empty()) {
    reportFailure(boxName() + " shown, but the scripted user has no step left");
  } else if (Steps.front().kind != StepKind::MessageBox) {
    reportFailure(boxName() + " shown where the script expects " + describeStep(Steps.front()));
  } else {
    Step step = std::move(Steps.front());
    Steps.pop_front();
    if (hasButtonFor(type, step.answer)) {
      scripted_ = true;
      answer_ = step.answer;
      actions_ = std::move(step.actions);
    } else {
      reportFailure(boxName() + " has no button for the answer " + std::to_string(step.answer));
    }
  }
}

const Action *MessageBoxRun::next() { return next_ < actions_.size() ? &actions_[next_++] : nullptr; }

bool MessageBoxRun::possible(const Action &action, std::string *why) {
  bool escape = action.kind == ActionKind::Key && action.value == VK_ESCAPE;
  if (escape || action.kind == ActionKind::CloseBox || action.kind == ActionKind::Inspect) return true;
  *why = "a message box takes only Escape, its close box and a button";
  return false;
}

void MessageBoxRun::cannot(const Action &action, const std::string &why) {
  reportFailure(boxName() + ": cannot " + describeAction(action) + ": " + why);
}

int MessageBoxRun::closed(int given) {
  record_.answer = given;
  MessageBoxes.push_back(record_);
  if (!scripted_) return given;
  if (next_ < actions_.size()) {
    reportFailure(boxName() + " closed with answer " + std::to_string(given) + " and " +
                  std::to_string(actions_.size() - next_) +
                  " action(s) left, the next: " + describeAction(actions_[next_]));
  } else if (given != answer_) {
    reportFailure(boxName() + " closed with answer " + std::to_string(given) + " where the script answers " +
                  std::to_string(answer_));
  }
  return given;
}

void FolderChooserRun::start(bool owned, const std::string &title, const std::string &start) {
  record_ = FolderChooserRecord{owned, title, start, ""};
  std::string name = "folder chooser \"" + title + "\"";
  if (Steps.empty()) {
    reportFailure(name + " shown, but the scripted user has no step left; it is cancelled");
  } else if (Steps.front().kind != StepKind::FolderChooser) {
    reportFailure(name + " shown where the script expects " + describeStep(Steps.front()) + "; it is cancelled");
  } else {
    record_.chosen = Steps.front().folder;
    Steps.pop_front();
  }
}

void FolderChooserRun::closed(const std::string &chosen) {
  record_.chosen = chosen;
  FolderChoosers.push_back(record_);
}

std::string MessageBoxRun::boxName() const {
  return "message box \"" + record_.text + "\" (caption \"" + record_.caption + "\")";
}

int KeyCaptureRun::start(bool owned, const std::string &caption, const std::string &prompt) {
  record_ = KeyCaptureRecord{owned, caption, prompt, -1};
  scripted_ = false;
  keyCode_ = -1;
  std::string name = "key-capture box \"" + prompt + "\"";
  if (Steps.empty()) {
    reportFailure(name + " shown, but the scripted user has no step left");
  } else if (Steps.front().kind != StepKind::KeyCapture) {
    reportFailure(name + " shown where the script expects " + describeStep(Steps.front()));
  } else {
    scripted_ = true;
    keyCode_ = Steps.front().answer;
    Steps.pop_front();
  }
  return keyCode_;
}

void KeyCaptureRun::closed(int keyCode) {
  record_.keyCode = keyCode;
  KeyCaptures.push_back(record_);
  if (scripted_ && keyCode != keyCode_) {
    reportFailure("key-capture box \"" + record_.prompt + "\" read key " + hexCode(keyCode) +
                  " where the script pressed " + hexCode(keyCode_));
  }
}

}  // namespace userscript
