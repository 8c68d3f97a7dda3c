/* The walk through the dialogs that both screenshot tools (tests/qt and
 * tests/win32) photograph, as scripted-user steps, so the pictures of the
 * two programs show the same situations. The tools differ only in how they
 * take a picture and in the runs around this walk.
 */
#pragma once

#include "tests/harness/scripted_user/user_script.h"
#include "ui/resource.h"

namespace screenshots {

// A hand-edited gardum.cfg: a stray value, a broken header and a comment
// inside a key, each a line the parser drops.
inline constexpr char UnreadableLines[] =
    "[Screen Setup]\r\n"
    "ScreenWidth = 800\r\n"
    "1024x768\r\n"
    "[Sound Setup\r\n"
    "FXDevice ; off\r\n";

// From the menu's first three buttons on (Music, Sound and Video; Save;
// Input Devices): every settings dialog, the key-capture box and the boxes
// they raise. `photograph` is the tool's picture-taking action;
// `advancedMouse` names the Advanced Mouse Options picture.
inline void expectTheSettingsDialogs(userscript::Action (*photograph)(const char *name), const char *advancedMouse) {
  using namespace userscript;
  const int KeyCodeW = 0x11;  // bound to Show_Opponents_Weapon by default
  expectDialog("Music, Sound and Video", {photograph("music-sound-video"), key(VK_ESCAPE)});
  expectMessageBox(IDOK);  // Configuration saved.
  // Jump gets W, which Show_Opponents_Weapon holds: both carry the mark
  // until Defaults puts the keys back. A rebuilt list loses the mouse row.
  expectDialog("Input Devices",
               {selectRow(IDC_INPUT_ACTIONS, 9), selectRow(IDC_INPUT_MOUSE_LIST, 3), photograph("input-devices"),
                click(IDC_INPUT_SELECT_PRIMARY), photograph("input-devices-bound-twice"), click(IDC_INPUT_DEFAULTS),
                selectRow(IDC_INPUT_MOUSE_LIST, 3), click(IDC_INPUT_MOUSE_SELECT), selectRow(IDC_INPUT_ACTIONS, 52),
                click(IDC_INPUT_SELECT_SECONDARY), click(IDC_INPUT_ADVANCED), key(VK_ESCAPE)});
  expectDialog("Select Primary Key", {photograph("select-key"), click(IDC_SELECT_PRESS_KEY),
                                      photograph("select-key-also-bound"), click(IDOK)});
  expectKeyCapture(KeyCodeW);
  expectMessageBox(IDYES);  // Put every key back to its default?
  expectDialog("Select Function", {photograph("select-function"), key(VK_ESCAPE)});
  expectMessageBox(IDOK);  // The console may be activated by one key only.
  expectDialog("Advanced Mouse Options", {dragTrackbar(IDC_MOUSE_Y_SCALE, -15), click(IDC_MOUSE_DIGITAL_UP),
                                          click(IDC_MOUSE_DIGITAL_DOWN), photograph(advancedMouse), key(VK_ESCAPE)});
  // Up and Down bound, so their buttons show functions.
  expectDialog("Select Function", {click(IDC_SELECT_NONE), click(IDOK)});
  expectDialog("Select Function", {click(IDC_SELECT_NONE), selectRow(IDC_SELECT_LIST, 1), click(IDOK)});
}

// The last run: the warning about unread lines before the menu, then "Save
// and Run Brax" with no game, which ends the program.
inline void expectTheUnreadLinesAndAFailedStart() {
  using namespace userscript;
  expectMessageBox(IDOK);  // 3 lines of gardum.cfg could not be read
  expectDialog("Tarrengard Configuration", {click(IDC_MENU_SAVE_AND_RUN)});
  expectMessageBox(IDOK);  // Failed starting VEXGAME.EXE.
}

}  // namespace screenshots
