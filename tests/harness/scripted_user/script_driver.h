/* The backend's side of the scripted user (user_script.h): taking the step
 * for a window as it shows, running it, and reporting what went wrong.
 * Shared by every backend, so the queue rules and the failure texts are the
 * same everywhere; only the way an action becomes input differs per backend.
 */
#pragma once

#include <string>
#include <vector>

#include "tests/harness/scripted_user/user_script.h"

namespace userscript {

// Sends a failure to the handler set with setFailureHandler.
void reportFailure(const std::string &message);

// "click on control 117", "key 0x0D", ... for failure messages.
std::string describeAction(const Action &action);

// Whether a person could do `action` in `dialog` at all: the control exists
// and is of the kind the action needs, the row exists, the dialog has a close
// box. Sets *control (null for actions without one); false with the reason in
// *why otherwise. A disabled control is no reason: the user clicks, and
// nothing happens.
bool resolveAction(HWND dialog, const Action &action, HWND *control, std::string *why);

// One dialog's step as the backend performs it: its actions one after
// another, and the failures of the run reported in the same words on every
// backend.
class DialogRun {
 public:
  // Takes the step for `dialog`, which has just shown. False when the script
  // does not fit it (reported); the backend then ends the dialog with -1.
  bool start(HWND dialog);
  // The next action to perform; null when the actions have run out while the
  // dialog is still open, which is reported: the backend then ends it with -1.
  const Action *next();
  // An action that could not be done at all, and why.
  void cannot(const Action &action, const std::string &why);
  // The dialog has closed: actions left over are reported.
  void closed();

 private:
  std::string dialogName() const;

  std::string caption_;
  std::vector<Action> actions_;
  size_t next_ = 0;
};

// One message box's step as the backend performs it: the actions taken while
// it is up, then the answer's button; the box is recorded when it closes.
class MessageBoxRun {
 public:
  // A message box has shown: takes the next step. With no message-box step
  // next, or an answer the box has no button for, the failure is reported and
  // the box is answered as Escape would answer it, or where Escape does
  // nothing, with its last button (No for Yes/No).
  void start(bool owned, const std::string &text, const std::string &caption, UINT type);
  // The next action to take while the box is up; null when they are done.
  const Action *next();
  // Whether a person can do `action` in a message box at all (Escape, the
  // close box, an inspection); false with the reason otherwise.
  static bool possible(const Action &action, std::string *why);
  // An action that could not be done, and why.
  void cannot(const Action &action, const std::string &why);
  // The answer whose button to press once the actions are done.
  int answer() const { return answer_; }
  // The box has closed with `given`, by its button or as Escape or the close
  // box answered it: records the box, reports actions left over or an answer
  // other than the script's, and returns `given`.
  int closed(int given);

 private:
  std::string boxName() const;

  MessageBoxRecord record_{};
  bool scripted_ = false;
  int answer_ = 0;
  std::vector<Action> actions_;
  size_t next_ = 0;
};

// One folder chooser's step: the folder to choose (empty: Cancel), and the
// chooser's record once it has been answered.
class FolderChooserRun {
 public:
  // A folder chooser has shown: takes the next step. With no folder-chooser
  // step next the failure is reported and the chooser is cancelled.
  void start(bool owned, const std::string &title, const std::string &start);
  // The folder to choose; empty for Cancel.
  const std::string &answer() const { return record_.chosen; }
  // The chooser has closed with `chosen` (empty: cancelled): records it.
  void closed(const std::string &chosen);

 private:
  FolderChooserRecord record_{};
};

// One key-capture box's step as the backend performs it: the key to press,
// and the box recorded when it closes.
class KeyCaptureRun {
 public:
  // A key-capture box has shown: takes the next step and answers the code of
  // the key to press in it. With no key-capture step next the failure is
  // reported and the answer is -1: the backend closes the box without a key.
  int start(bool owned, const std::string &caption, const std::string &prompt);
  // The box has closed having read `keyCode` (-1: none): records the box and
  // reports a key other than the script's.
  void closed(int keyCode);

 private:
  KeyCaptureRecord record_{};
  bool scripted_ = false;
  int keyCode_ = -1;
};

}  // namespace userscript
