/* The scripted user's Windows side. A CBT hook on the test thread sees each
 * dialog and message box (window class #32770) as it is created; the window
 * is subclassed and given a timer, and on each tick its step advances by one
 * action, inside the window's own modal loop. A timer tick is the lowest
 * message a thread gets: it comes only once the posted input of the previous
 * action, and whatever that input posted in turn, has been handled, so the
 * pace follows the messages, not the clock.
 *
 * Input is posted to the real controls as the system would deliver it: key
 * presses to the focused control (the modal loop's IsDialogMessage then does
 * Tab, Enter, Escape, arrows and mnemonics, and TranslateMessage makes the
 * characters), with the thread's keyboard state holding Shift or Alt while
 * they are handled; mouse presses and releases to the window under the
 * point, or to the one holding the capture, in its client coordinates. A
 * track bar drag is sent rather than posted, so the thumb's position can be
 * read between the moves. The close box is the system menu's Close command.
 *
 * Message boxes are the system's MessageBoxA. The program's own import of it
 * is replaced with one that records the call (the style is not visible on
 * the box) and closes the box's run when it returns; the box itself is
 * answered by pressing its buttons. The folder chooser is the shell's
 * SHBrowseForFolderA, wrapped the same way: its dialog is told the folder
 * with BFFM_SETSELECTIONA, as a person would pick it, and its OK or Cancel
 * button is pressed. The key-capture box (capturePressedKey) is recognised
 * by its window class and gets the key as Windows posts it. The MIDI device
 * calls are replaced in the import table too (win32_test_midi_devices.cpp).
 * The queue, the records and the failure texts are the shared ones of
 * script_driver.h.
 */
#include "tests/harness/scripted_user/win32_scripted_user.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <commctrl.h>
#include <shlobj.h>

#include "platform/callback_guard.h"
#include "platform/key_codes.h"
#include "tests/harness/scripted_user/script_driver.h"
#include "tests/harness/scripted_user/win32_imports.h"

namespace {

using userscript::Action;
using userscript::ActionKind;

const UINT_PTR TurnTimer = 0x7475;
// Safety nets, never reached by a script that fits: a window that stays
// invisible while it should take its turn, a box that ignores the presses
// of its button.
const int InvisibleTurnLimit = 3000;
const int BoxPressLimit = 20;
// The shell selects a folder in steps of its own; a busy machine may take a
// few seconds to settle the program's start folder and then the script's.
const int SelectionTurnLimit = 1000, SelectionResendTurns = 100;

std::function<void(HWND, bool)> Observer;
HHOOK CreationHook;

// ---- Message boxes: the call as the program made it ------------------------------

using MessageBoxProc = int(WINAPI *)(HWND, LPCSTR, LPCSTR, UINT);
MessageBoxProc SystemMessageBoxA;

struct BoxCall {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT type = 0;
  HWND window = nullptr;
  bool started = false;
  userscript::MessageBoxRun run;
};
std::vector<BoxCall *> BoxCalls;  // the innermost last

// ---- Folder choosers: the shell's call as the program made it --------------------

using BrowseProc = LPITEMIDLIST(WINAPI *)(LPBROWSEINFOA);
BrowseProc SystemSHBrowseForFolderA;

struct ChooserCall {
  HWND owner = nullptr;
  std::string title;
  std::string start;  // the folder the program selects as it opens
  HWND window = nullptr;
  bool started = false;
  userscript::FolderChooserRun run;
  BFFCALLBACK programCallback = nullptr;  // the program's own, called from ours
  LPARAM programData = 0;
  bool opening = false;   // inside the program's callback for BFFM_INITIALIZED
  std::string selected;   // the folder selected now, as the chooser last said
  int selectionTurns = 0;  // turns spent waiting for the script's folder to be selected
};
ChooserCall *Chooser;  // the one open; the program opens one at a time

// ---- Key-capture boxes ----------------------------------------------------------

struct KeyCapture {
  userscript::KeyCaptureRun run;
  int pressed = -1;     // the key posted to it; -1 before or when closed instead
  bool closed = false;  // asked to close without a key
};

// ---- Windows driven by the script ------------------------------------------------------

enum class Progress { Done, NextTurn };

struct Driven {
  HWND window;
  WNDPROC original;
  bool unicode;
  BoxCall *box;                         // a message box's call, else null
  ChooserCall *chooser;                 // a folder chooser's call, else null
  std::unique_ptr<KeyCapture> capture;  // a key-capture box's run, else null
  bool started = false;
  bool finished = false;
  userscript::DialogRun steps;
  const Action *action = nullptr;  // an action that takes more than one turn
  int phase = 0;
  int invisibleTurns = 0;
  int presses = 0;
};
std::vector<std::shared_ptr<Driven>> Live;  // in the order they were created

std::shared_ptr<Driven> drivenFor(HWND window) {
  for (auto &driven : Live)
    if (driven->window == window) return driven;
  return nullptr;
}

bool isInnermost(const Driven &driven) { return !Live.empty() && Live.back().get() == &driven; }

std::string classOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool classIs(HWND window, const char *name) { return lstrcmpiA(classOf(window).c_str(), name) == 0; }

// ---- Keys ----------------------------------------------------------------------------

bool HoldingKeys = false;

// The thread's keyboard state, as GetKeyState reports it while the posted
// keys are handled (the dialog manager asks it for Shift+Tab).
void holdKeys(std::initializer_list<int> keys) {
  BYTE state[256];
  GetKeyboardState(state);
  for (int key : keys) state[key] |= 0x80;
  SetKeyboardState(state);
  HoldingKeys = true;
}

void releaseKeys() {
  if (!HoldingKeys) return;
  BYTE state[256];
  GetKeyboardState(state);
  for (int key : {VK_SHIFT, VK_LSHIFT, VK_MENU, VK_LMENU}) state[key] &= static_cast<BYTE>(~0x80);
  SetKeyboardState(state);
  HoldingKeys = false;
}

bool isExtendedKey(int key) { return key >= VK_PRIOR && key <= VK_DOWN; }

bool onKeyboard(int key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return true;
  switch (key) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_TAB:
    case VK_SPACE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: return true;
    default: return false;
  }
}

// Where a key goes: the focused control of `window`, else the window itself.
HWND keyTarget(HWND window) {
  HWND focus = GetFocus();
  return focus && (focus == window || IsChild(window, focus)) ? focus : window;
}

void postKey(HWND target, int key, bool alt) {
  UINT scan = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (isExtendedKey(key) ? 1L << 24 : 0) | (alt ? 1L << 29 : 0);
  LPARAM up = down | (1L << 30) | (static_cast<LPARAM>(1) << 31);
  PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(key), down);
  PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, static_cast<WPARAM>(key), up);
}

// A key, or one with Shift or Alt held, with the modifier's own presses
// around it as a keyboard makes them.
void pressKey(HWND window, int key) { postKey(keyTarget(window), key, false); }

void pressShifted(HWND window, int key) {
  HWND target = keyTarget(window);
  holdKeys({VK_SHIFT, VK_LSHIFT});
  postKey(target, key, false);
}

void pressWithAlt(HWND window, int key) {
  HWND target = keyTarget(window);
  holdKeys({VK_MENU, VK_LMENU});
  postKey(target, key, true);
}

// ---- Mouse ---------------------------------------------------------------------------

POINT centreOf(const RECT &rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

POINT onScreen(HWND window, POINT point) {
  ClientToScreen(window, &point);
  return point;
}

// The window a mouse message at `screen` goes to: the one holding the
// capture, else the one under the point (a disabled control's dialog).
HWND mouseTarget(POINT screen) {
  if (HWND capture = GetCapture()) return capture;
  return WindowFromPoint(screen);
}

void postMouse(UINT message, WPARAM buttons, POINT screen) {
  HWND target = mouseTarget(screen);
  if (!target) return;
  POINT client = screen;
  ScreenToClient(target, &client);
  PostMessageA(target, message, buttons, MAKELPARAM(client.x, client.y));
}

void clickAt(POINT screen) {
  postMouse(WM_LBUTTONDOWN, MK_LBUTTON, screen);
  postMouse(WM_LBUTTONUP, 0, screen);
}

// Down and up again, where a double click makes the second press a
// WM_LBUTTONDBLCLK (windows whose class asks for double clicks).
void doubleClickAt(POINT screen) {
  HWND target = mouseTarget(screen);
  bool classic = target && (GetClassLongA(target, GCL_STYLE) & CS_DBLCLKS);
  clickAt(screen);
  postMouse(classic ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, screen);
  postMouse(WM_LBUTTONUP, 0, screen);
}

void clickCentre(HWND window) {
  RECT rect;
  GetClientRect(window, &rect);
  clickAt(onScreen(window, centreOf(rect)));
}

// Press on the control and let go beside it: the focus moves, nothing is clicked.
void pressAndSlideOff(HWND control) {
  RECT rect;
  GetClientRect(control, &rect);
  postMouse(WM_LBUTTONDOWN, MK_LBUTTON, onScreen(control, centreOf(rect)));
  postMouse(WM_LBUTTONUP, 0, onScreen(control, {-4, -4}));
}

// ---- Lists ---------------------------------------------------------------------------

// A drop-down list's own list window.
HWND dropDownListOf(HWND combo) {
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  return GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
}

// The row's rectangle in the list's client area, scrolled into view first as
// a person would scroll to it.
bool visibleRow(HWND list, int row, RECT *rect) {
  RECT client;
  GetClientRect(list, &client);
  if (SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(rect)) == LB_ERR)
    return false;
  if (rect->top < client.top || rect->bottom > client.bottom) {
    SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(rect));
  }
  return true;
}

void clickRow(HWND list, int row, bool twice) {
  RECT rect;
  if (!visibleRow(list, row, &rect)) return;
  POINT screen = onScreen(list, centreOf(rect));
  if (twice) {
    doubleClickAt(screen);
  } else {
    clickAt(screen);
  }
}

bool isDropped(HWND combo) { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }

// A click that only moves the focus into a list box: on the selected row,
// which stays selected (a click there is what a person does). Without a
// selection there is no such click.
bool focusList(HWND list, std::string *why) {
  int selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  if (selected < 0) {
    *why = "a click into list " + std::to_string(GetDlgCtrlID(list)) + " without a selection would choose a row";
    return false;
  }
  clickRow(list, selected, false);
  return true;
}

// ---- Track bars --------------------------------------------------------------------

// Drags the thumb to `position` (clamped to the range): pressed on the thumb,
// moved a pixel at a time towards the position until it stands there, let go.
void dragThumb(HWND trackbar, int position) {
  int low = static_cast<int>(SendMessageA(trackbar, TBM_GETRANGEMIN, 0, 0));
  int high = static_cast<int>(SendMessageA(trackbar, TBM_GETRANGEMAX, 0, 0));
  position = std::clamp(position, low, high);
  RECT thumb, channel;
  SendMessageA(trackbar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  SendMessageA(trackbar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  POINT point = centreOf(thumb);
  SendMessageA(trackbar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
  for (int steps = 0; steps < 4096; ++steps) {
    int now = static_cast<int>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
    if (now == position) break;
    int step = now < position ? 1 : -1;
    if ((step > 0 && point.x >= channel.right + 8) || (step < 0 && point.x <= channel.left - 8)) break;
    point.x += step;
    SendMessageA(trackbar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(point.x, point.y));
  }
  SendMessageA(trackbar, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

// ---- The close box ---------------------------------------------------------------------

// The caption's close box, unless the system greys it (a Yes/No box): then
// the click does nothing.
void pressCloseBox(HWND window) {
  HMENU menu = GetSystemMenu(window, FALSE);
  if (menu && (GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED))) return;
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// ---- Performing an action -----------------------------------------------------------

// One turn of `action` in `dialog`; Progress::NextTurn when it needs the input
// of this turn handled before it can go on.
Progress perform(Driven &driven, const Action &action, HWND control, std::string *why, bool *possible) {
  HWND dialog = driven.window;
  *possible = true;
  bool list = control && classIs(control, "ListBox");
  bool combo = control && classIs(control, "ComboBox");
  switch (action.kind) {
    case ActionKind::Click:
    case ActionKind::Focus:
      if (combo) {
        // Open it, then a second click on the box closes it unchosen.
        if (driven.phase == 0) {
          clickCentre(control);
          return Progress::NextTurn;
        }
        if (driven.phase == 1 && isDropped(control)) {
          clickCentre(control);
          return Progress::NextTurn;
        }
        if (isDropped(control)) pressKey(dialog, VK_ESCAPE);
        return Progress::Done;
      }
      if (list) {
        *possible = focusList(control, why);
        return Progress::Done;
      }
      if (classIs(control, TRACKBAR_CLASSA) && action.kind == ActionKind::Focus) {
        RECT thumb;
        SendMessageA(control, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        clickAt(onScreen(control, centreOf(thumb)));
        return Progress::Done;
      }
      if (action.kind == ActionKind::Focus) {
        pressAndSlideOff(control);
      } else {
        clickCentre(control);
      }
      return Progress::Done;
    case ActionKind::SelectRow:
    case ActionKind::DoubleClickRow:
      if (list) {
        clickRow(control, action.value, action.kind == ActionKind::DoubleClickRow);
        return Progress::Done;
      }
      // A drop-down list: open it, then click the row in its own list window.
      if (driven.phase == 0) {
        clickCentre(control);
        return Progress::NextTurn;
      }
      if (isDropped(control)) clickRow(dropDownListOf(control), action.value, false);
      return Progress::Done;
    case ActionKind::Key:
      if (!onKeyboard(action.value)) {
        *possible = false;
        *why = "there is no such key on the keyboard";
        return Progress::Done;
      }
      pressKey(dialog, action.value);
      return Progress::Done;
    case ActionKind::AltKey: pressWithAlt(dialog, std::toupper(action.value)); return Progress::Done;
    case ActionKind::ShiftTab: pressShifted(dialog, VK_TAB); return Progress::Done;
    case ActionKind::DragTrackbar: dragThumb(control, action.value); return Progress::Done;
    case ActionKind::CloseBox: pressCloseBox(dialog); return Progress::Done;
    case ActionKind::Inspect:
      if (action.inspect) action.inspect(dialog);
      return Progress::Done;
  }
  return Progress::Done;
}

// ---- Turns -----------------------------------------------------------------------------

void endDialog(Driven &driven) {
  driven.finished = true;
  EndDialog(driven.window, -1);
}

void dialogTurn(Driven &driven) {
  if (!driven.started) {
    driven.started = true;
    if (Observer) Observer(driven.window, false);
    if (!driven.steps.start(driven.window)) {
      endDialog(driven);
      return;
    }
  }
  const Action *action = driven.action;
  if (!action) {
    action = driven.steps.next();
    if (!action) {
      endDialog(driven);
      return;
    }
    driven.phase = 0;
  }
  HWND control = nullptr;
  std::string why;
  if (!userscript::resolveAction(driven.window, *action, &control, &why)) {
    driven.steps.cannot(*action, why);
    driven.action = nullptr;
    return;
  }
  bool possible = true;
  Progress progress = perform(driven, *action, control, &why, &possible);
  if (!possible) driven.steps.cannot(*action, why);
  if (progress == Progress::NextTurn) {
    driven.action = action;
    ++driven.phase;
  } else {
    driven.action = nullptr;
  }
}

void boxTurn(Driven &driven) {
  BoxCall &call = *driven.box;
  if (!driven.started) {
    driven.started = true;
    call.started = true;
    if (Observer) Observer(driven.window, true);
    call.run.start(call.owner != nullptr, call.text, call.caption, call.type);
  }
  if (const Action *action = call.run.next()) {
    std::string why;
    if (!userscript::MessageBoxRun::possible(*action, &why)) {
      call.run.cannot(*action, why);
    } else if (action->kind == ActionKind::Inspect) {
      if (action->inspect) action->inspect(call.owner ? GetAncestor(call.owner, GA_ROOT) : nullptr);
    } else if (action->kind == ActionKind::CloseBox) {
      pressCloseBox(driven.window);
    } else {
      pressKey(driven.window, VK_ESCAPE);
    }
    return;
  }
  // The answer's button (a box's buttons carry their answers as ids),
  // pressed again on a later turn if the press did not end the box.
  HWND button = GetDlgItem(driven.window, call.run.answer());
  if (!button || ++driven.presses > BoxPressLimit) {
    userscript::reportFailure("message box \"" + call.text + "\" could not be answered with " +
                              std::to_string(call.run.answer()) + "; it is ended");
    driven.finished = true;
    EndDialog(driven.window, call.run.answer());
    return;
  }
  clickCentre(button);
}

// The chooser's tree item of `folder`, found by its name and its parent's
// among the items made so far (nullptr if there is none).
std::string treeItemText(HWND tree, HTREEITEM item) {
  char text[MAX_PATH] = "";
  TVITEMA data = {};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
  return text;
}
HTREEITEM findTreeItem(HWND tree, HTREEITEM item, const std::string &name, const std::string &parent) {
  for (; item; item = TreeView_GetNextSibling(tree, item)) {
    HTREEITEM up = TreeView_GetParent(tree, item);
    if (up && _stricmp(treeItemText(tree, item).c_str(), name.c_str()) == 0 &&
        _stricmp(treeItemText(tree, up).c_str(), parent.c_str()) == 0)
      return item;
    if (HTREEITEM found = findTreeItem(tree, TreeView_GetChild(tree, item), name, parent)) return found;
  }
  return nullptr;
}
void clickTreeItem(HWND chooser, const std::string &folder) {
  size_t cut = folder.find_last_of('\\');
  if (cut == std::string::npos || cut == 0) return;
  size_t parentCut = folder.find_last_of('\\', cut - 1);
  std::string name = folder.substr(cut + 1);
  std::string parent = folder.substr(parentCut == std::string::npos ? 0 : parentCut + 1, cut - parentCut - 1);
  HWND tree = FindWindowExA(chooser, nullptr, WC_TREEVIEWA, nullptr);
  if (HTREEITEM item = tree ? findTreeItem(tree, TreeView_GetRoot(tree), name, parent) : nullptr)
    TreeView_SelectItem(tree, item);
}

// The folder chooser: the script's folder selected, then OK; Cancel for none.
void chooserTurn(Driven &driven) {
  ChooserCall &call = *driven.chooser;
  if (!driven.started) {
    driven.started = true;
    call.started = true;
    if (Observer) Observer(driven.window, false);
    call.run.start(call.owner != nullptr, call.title, call.start);
    if (!call.run.answer().empty())
      SendMessageA(driven.window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(call.run.answer().c_str()));
    return;  // the selection's own messages first
  }
  // OK only once the chooser says the script's folder is selected: Wine's
  // chooser selects in steps of its own, and an early OK returns the folder
  // selected before (a busy machine showed it).
  const std::string &answer = call.run.answer();
  if (!answer.empty() && _stricmp(call.selected.c_str(), answer.c_str()) != 0 &&
      call.selectionTurns <= SelectionTurnLimit) {
    if (++call.selectionTurns > SelectionTurnLimit) {
      userscript::reportFailure("folder chooser \"" + call.title + "\" never selected \"" + answer + "\"");
    } else {
      if (call.selectionTurns % SelectionResendTurns == 0) {
        SendMessageA(driven.window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(answer.c_str()));
        // Wine's chooser at times ignores that on a busy machine though the
        // folder is in its tree: then its item is selected, as a click would.
        if (_stricmp(call.selected.c_str(), answer.c_str()) != 0) clickTreeItem(driven.window, answer);
      }
      return;
    }
  }
  int button = answer.empty() ? IDCANCEL : IDOK;
  HWND control = GetDlgItem(driven.window, button);
  if (!control || ++driven.presses > BoxPressLimit) {
    userscript::reportFailure("folder chooser \"" + call.title + "\" could not be answered; it is cancelled");
    driven.finished = true;
    PostMessageA(driven.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  if (IsWindowEnabled(control)) clickCentre(control);
}

// The key-capture box: the script's key as Windows posts a single press of
// it, or the close box where the script has none.
void captureTurn(Driven &driven) {
  KeyCapture &capture = *driven.capture;
  if (driven.started) return;  // one key per box: it reads the first
  driven.started = true;
  if (Observer) Observer(driven.window, false);
  HWND owner = GetWindow(driven.window, GW_OWNER);
  char caption[256] = "", prompt[512] = "";
  GetWindowTextA(driven.window, caption, sizeof caption);
  GetWindowTextA(GetWindow(driven.window, GW_CHILD), prompt, sizeof prompt);
  int keyCode = capture.run.start(owner != nullptr, caption, prompt);
  if (keyCode < 0) {
    capture.closed = true;
    PostMessageA(driven.window, WM_CLOSE, 0, 0);
    return;
  }
  LPARAM data = static_cast<LPARAM>(keyMessageDataForKeyCode(keyCode));
  UINT scan = static_cast<UINT>((data >> 16) & 0xFF);
  WPARAM virtualKey = keyCode == KeyCodePause     ? VK_PAUSE
                      : keyCode == KeyCodeNumLock ? VK_NUMLOCK
                                                  : MapVirtualKeyA(scan, MAPVK_VSC_TO_VK);
  // Alt and F10 come as system keys.
  bool system = (keyCode & 0xFF) == 0x38 || keyCode == 0x44;
  capture.pressed = keyCode;
  PostMessageA(driven.window, system ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, data);
  PostMessageA(driven.window, system ? WM_SYSKEYUP : WM_KEYUP, virtualKey,
               data | (1L << 30) | (static_cast<LPARAM>(1) << 31));
}

// Whether the box took the posted press from the queue (it reads the first
// press itself; a box that closed before that read none).
bool pressStillQueued(HWND box) {
  MSG message;
  return PeekMessageA(&message, box, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) ||
         PeekMessageA(&message, box, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE);
}

void takeTurn(const std::shared_ptr<Driven> &driven) {
  releaseKeys();
  if (driven->finished || !isInnermost(*driven)) return;
  if (!IsWindowVisible(driven->window)) {
    // Shown when its modal loop first finds the queue empty; until then
    // there is nothing to act on.
    if (++driven->invisibleTurns > InvisibleTurnLimit) {
      userscript::reportFailure("a window \"" + classOf(driven->window) + "\" never showed; it is ended");
      endDialog(*driven);
    }
    return;
  }
  if (driven->box) {
    boxTurn(*driven);
  } else if (driven->chooser) {
    chooserTurn(*driven);
  } else if (driven->capture) {
    captureTurn(*driven);
  } else {
    dialogTurn(*driven);
  }
}

// ---- Seeing windows come and go ----------------------------------------------------

LRESULT drivenMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Driven> driven = drivenFor(window);
  if (!driven) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_TIMER && wParam == TurnTimer) {
    takeTurn(driven);
    return 0;
  }
  // The folder the program selects as the chooser opens is where it opens;
  // the shell sends itself selections too (its desktop), which are not.
  if (message == BFFM_SETSELECTIONA && driven->chooser && driven->chooser->opening && wParam && lParam &&
      driven->chooser->start.empty())
    driven->chooser->start = reinterpret_cast<const char *>(lParam);
  if (message == WM_DESTROY) {
    KillTimer(window, TurnTimer);
    if (!driven->box && !driven->chooser && !driven->capture && driven->started && !driven->finished)
      driven->steps.closed();
    if (driven->capture && driven->started) {
      KeyCapture &capture = *driven->capture;
      bool read = !capture.closed && capture.pressed >= 0 && !pressStillQueued(window);
      capture.run.closed(read ? capture.pressed : -1);
    }
    driven->finished = true;
  }
  LRESULT result = driven->unicode ? CallWindowProcW(driven->original, window, message, wParam, lParam)
                                   : CallWindowProcA(driven->original, window, message, wParam, lParam);
  if (message == WM_NCDESTROY) Live.erase(std::remove(Live.begin(), Live.end(), driven), Live.end());
  return result;
}

// A step that throws (as a test's may) takes the program's way out of a
// callback, not an unwind through the system's frames.
LRESULT CALLBACK drivenProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return guardCallback([&] { return drivenMessage(window, message, wParam, lParam); });
}

void adopt(HWND window, bool keyCapture) {
  auto driven = std::make_shared<Driven>();
  driven->window = window;
  driven->unicode = IsWindowUnicode(window) != FALSE;
  driven->box = nullptr;
  driven->chooser = nullptr;
  if (keyCapture) {
    driven->capture = std::make_unique<KeyCapture>();
  } else if (!BoxCalls.empty() && !BoxCalls.back()->window) {
    driven->box = BoxCalls.back();
    driven->box->window = window;
  } else if (Chooser && !Chooser->window) {
    driven->chooser = Chooser;
    Chooser->window = window;
  }
  driven->original = reinterpret_cast<WNDPROC>(
      driven->unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(drivenProcedure))
                      : SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(drivenProcedure)));
  Live.push_back(driven);
  SetTimer(window, TurnTimer, USER_TIMER_MINIMUM, nullptr);
}

LRESULT CALLBACK watchCreation(int code, WPARAM wParam, LPARAM lParam) {
  return guardCallback([&] {
    if (code == HCBT_CREATEWND) {
      HWND window = reinterpret_cast<HWND>(wParam);
      const CREATESTRUCTA *create = reinterpret_cast<CBT_CREATEWNDA *>(lParam)->lpcs;
      if (!(create->style & WS_CHILD) && classIs(window, "#32770")) adopt(window, false);
      if (!(create->style & WS_CHILD) && classIs(window, KeyCaptureWindowClass)) adopt(window, true);
    }
    return CallNextHookEx(CreationHook, code, wParam, lParam);
  });
}

// ---- MessageBoxA as the program calls it -------------------------------------------

int WINAPI scriptedMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  BoxCall call;
  call.owner = owner;
  call.text = text ? text : "";
  call.caption = caption ? caption : "Error";
  call.type = type;
  BoxCalls.push_back(&call);
  int given = SystemMessageBoxA(owner, text, caption, type);
  BoxCalls.pop_back();
  // A box that never showed (it could not be created) is still recorded.
  if (!call.started) call.run.start(owner != nullptr, call.text, call.caption, type);
  return call.run.closed(given);
}

// ---- SHBrowseForFolderA as the program calls it ----------------------------------

// Between the chooser and the program's callback: it sees what is selected,
// and when the program is choosing where the chooser opens.
int CALLBACK scriptedBrowseCallback(HWND browser, UINT message, LPARAM parameter, LPARAM data) {
  return guardCallback([&] {
    auto *call = reinterpret_cast<ChooserCall *>(data);
    if (message == BFFM_SELCHANGED) {
      char path[MAX_PATH] = "";
      if (!parameter || !SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(parameter), path)) path[0] = '\0';
      call->selected = path;
    }
    if (!call->programCallback) return 0;
    call->opening = message == BFFM_INITIALIZED;
    int result = call->programCallback(browser, message, parameter, call->programData);
    call->opening = false;
    return result;
  });
}

LPITEMIDLIST WINAPI scriptedSHBrowseForFolderA(LPBROWSEINFOA info) {
  ChooserCall call;
  call.owner = info ? info->hwndOwner : nullptr;
  call.title = info && info->lpszTitle ? info->lpszTitle : "";
  ChooserCall *outer = Chooser;
  Chooser = &call;
  BROWSEINFOA watched = {};
  if (info) {
    watched = *info;
    call.programCallback = info->lpfn;
    call.programData = info->lParam;
    watched.lpfn = scriptedBrowseCallback;
    watched.lParam = reinterpret_cast<LPARAM>(&call);
  }
  LPITEMIDLIST chosen = SystemSHBrowseForFolderA(info ? &watched : nullptr);
  Chooser = outer;
  char path[MAX_PATH] = "";
  if (chosen && !SHGetPathFromIDListA(chosen, path)) path[0] = '\0';
  // A chooser that never showed is still recorded.
  if (!call.started) call.run.start(call.owner != nullptr, call.title, call.start);
  call.run.closed(path);
  return chosen;
}

}  // namespace

void win32UseScriptedUser() {
  if (CreationHook) return;
  CreationHook = SetWindowsHookExA(WH_CBT, watchCreation, nullptr, GetCurrentThreadId());
  SystemMessageBoxA = replaceImport<MessageBoxProc>("user32.dll", "MessageBoxA", scriptedMessageBoxA);
  if (!CreationHook || !SystemMessageBoxA) {
    std::fprintf(stderr, "scripted user: cannot watch this program's windows (hook %p, MessageBoxA %p)\n",
                 static_cast<void *>(CreationHook), reinterpret_cast<void *>(SystemMessageBoxA));
    std::abort();
  }
  // Only programs with the folder chooser import it.
  SystemSHBrowseForFolderA = replaceImport<BrowseProc>("shell32.dll", "SHBrowseForFolderA", scriptedSHBrowseForFolderA);
  useTestMidiDevices();
}

void win32ObserveWindows(std::function<void(HWND window, bool messageBox)> observer) { Observer = std::move(observer); }
