// The scripted user: tests say what a person does in each dialog as it opens,
// and the backend turns that into the input a real user would give (the
// headless backend into in-memory control input, the Qt backend into real
// mouse and key events). One scenario, every backend: nothing here is
// specific to one backend.
//
// A script is a queue of steps, consumed in the order the windows open: each
// dialog that opens (DialogBoxParamA) takes the next step, which must be a
// dialog step with that caption; each MessageBoxA takes the next step, which
// must be a message-box step, each folder chooser a folder-chooser step, and each key-capture box
// (capturePressedKey) a key-capture step. A dialog step's actions run one after
// another; an action that opens a nested dialog runs that dialog's step to its end before the next action. Every
// mismatch is reported to the failure handler: a caption that differs, a window with no step left, a dialog still open
// when its actions have run out (it is then ended with -1, so nothing hangs),
// and steps left over at the end (see finished()).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace userscript {

enum class ActionKind {
  Click,           // mouse click on a button, check box or radio button
  SelectRow,       // mouse click on a list box row; or open a drop-down list and pick a row
  DoubleClickRow,  // double click on a list box row
  Key,             // one key press and release to the focused control (VK_*, or 'A'..'Z');
                   // in a message box only VK_ESCAPE
  AltKey,          // Alt + letter (a mnemonic)
  ShiftTab,        // Shift+Tab
  Focus,           // mouse click that only moves the focus into a control (a drop-down list
                   // is opened and closed again without a choice)
  DragTrackbar,    // drag a track bar's thumb to a position (one WM_HSCROLL per step)
  CloseBox,        // the caption's close box
  Inspect,         // look at the dialog (in a message box: its owner, or null) through the Win32
                   // calls; changes nothing
};

struct Action {
  ActionKind kind;
  int id = 0;     // control id (Click, SelectRow, DoubleClickRow, Focus, DragTrackbar)
  int value = 0;  // row, key code or track bar position
  std::function<void(HWND dialog)> inspect;
};

Action click(int id);
Action selectRow(int id, int row);
Action doubleClickRow(int id, int row);
Action key(int virtualKey);
Action altKey(char letter);
Action shiftTab();
Action focus(int id);
Action dragTrackbar(int id, int position);
Action closeBox();
Action inspect(std::function<void(HWND dialog)> look);

// The next dialog to open must carry `caption`; then `actions` run in it.
void expectDialog(const std::string &caption, std::vector<Action> actions);
// The next message box: `first` runs while it is up (key(VK_ESCAPE), closeBox()
// and inspections only), then the button of `answer` (IDOK, IDYES, IDNO, ...)
// is pressed. Where Escape or the close box ends the box, as it does in a box
// with OK or Cancel, the answer it gives must be `answer` and no action may
// be left; in a Yes/No box both do nothing, as on Windows.
void expectMessageBox(int answer, std::vector<Action> first = {});

// The next window is the desktop's folder chooser (chooseFolder,
// platform/desktop.h): the user picks `folder`, or with an empty one presses
// Cancel.
void expectFolderChooser(const std::string &folder);
// The next key-capture box (capturePressedKey): the user presses the key
// with `keyCode` in it (platform/key_codes.h: 0x1E is A, 0xE04B the Left
// arrow, KeyCodeEscape cancels). The key reaches the box as the system would
// report it: on the headless backend as the code itself; on Qt as a key
// event whose native scan code is the key's XKB keycode (evdevCodeForKeyCode
// + 8); on Windows as a WM_KEYDOWN to the box (class KeyCaptureWindowClass)
// with keyMessageDataForKeyCode's lParam. One key per box: a box that asks
// again (the program reopens it) takes a step of its own.
void expectKeyCapture(int keyCode);

struct MessageBoxRecord {
  bool owned;  // shown with an owner window
  std::string text;
  std::string caption;
  UINT style;
  int answer;
};
// Every message box shown since reset(), in order.
const std::vector<MessageBoxRecord> &messageBoxes();
struct FolderChooserRecord {
  bool owned;
  std::string title;
  std::string start;   // the folder it opened at
  std::string chosen;  // empty: cancelled
};
// Every folder chooser shown since reset(), in order.
const std::vector<FolderChooserRecord> &folderChoosers();
struct KeyCaptureRecord {
  bool owned;  // shown with an owner window
  std::string caption;
  std::string prompt;
  int keyCode;  // the key the box read; -1 when it was closed without one
};
// Every key-capture box shown since reset(), in order.
const std::vector<KeyCaptureRecord> &keyCaptures();
// Captions of every dialog opened since reset(), in order.
const std::vector<std::string> &dialogsOpened();

// Clears the queue and the records.
void reset();
// True when every step has been used; otherwise reports the leftovers as a failure.
bool finished();
// Where failures go (tests route them to the test framework). The default prints
// them to standard error and aborts.
void setFailureHandler(std::function<void(const std::string &message)> handler);

}  // namespace userscript
