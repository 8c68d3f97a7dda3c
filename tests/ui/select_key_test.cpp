// The "Select Key" dialog opened for one slot through KeySelectRequest, as
// the Input Devices dialog does: what it offers, and what Set and Cancel
// write; the order of its controls; picking a key by pressing it, and the
// note that says where else the selected key is bound.
#include <algorithm>

#include "dialog_test_support.h"
#include "platform/key_codes.h"

namespace {

using namespace dialogtest;

INT_PTR openSelectKey(int32_t function, int32_t slot) {
  KeySelectRequest.functionIndex = function;
  KeySelectRequest.keySlot = slot;
  return openDialog(IDD_SELECT_KEY, selectKeyDialogProc);
}

struct KeyDialogState {
  std::string caption, target, selected, alsoBound;
  bool none = false, listEnabled = false;
  int selection = -99, count = -99;
};

Action lookAt(KeyDialogState &state) {
  return inspect([&state](HWND d) {
    state.caption = windowText(d);
    state.target = controlText(d, IDC_SELECT_TARGET);
    state.none = isChecked(d, IDC_SELECT_NONE);
    state.listEnabled = isEnabled(d, IDC_SELECT_LIST);
    state.selection = listSelection(d, IDC_SELECT_LIST);
    state.count = listCount(d, IDC_SELECT_LIST);
    state.selected = state.selection >= 0 ? listSelectedText(d, IDC_SELECT_LIST) : "";
    state.alsoBound = controlText(d, IDC_SELECT_ALSO_BOUND);
  });
}

class SelectKey : public DialogTest {};

// ---- Opening ------------------------------------------------------------------------------

TEST_F(SelectKey, BoundSlotOpensWithItsKeySelected) {
  KeyDialogState state;
  userscript::expectDialog("Select Secondary Key", {lookAt(state), click(IDCANCEL)});
  EXPECT_EQ(openSelectKey(9, 1), 1);
  EXPECT_EQ(state.caption, "Select Secondary Key");
  EXPECT_EQ(state.target, "Jump");
  EXPECT_FALSE(state.none);
  EXPECT_TRUE(state.listEnabled);
  EXPECT_EQ(state.selected, "/");
  EXPECT_EQ(state.count, 101);
}

TEST_F(SelectKey, EveryKeyNameIsOfferedOnce) {
  std::vector<std::string> rows;
  userscript::expectDialog("Select Primary Key", {inspect([&](HWND d) {
                                                    for (int r = 0; r < listCount(d, IDC_SELECT_LIST); ++r)
                                                      rows.push_back(listRowText(d, IDC_SELECT_LIST, r));
                                                  }),
                                                  click(IDCANCEL)});
  openSelectKey(0, 0);
  // The list control sorts them; which order is its business.
  std::vector<std::string> expected(KeyNameTable, KeyNameTable + KeyNameCount);
  std::sort(rows.begin(), rows.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(rows, expected);
}

TEST_F(SelectKey, UnboundSlotOpensWithNoneTickedAndNothingSelected) {
  KeyDialogState state;
  userscript::expectDialog("Select Secondary Key", {lookAt(state), click(IDCANCEL)});
  openSelectKey(6, 1);  // "Open" has no secondary key
  EXPECT_TRUE(state.none);
  EXPECT_FALSE(state.listEnabled);
  EXPECT_EQ(state.selection, -1);
  EXPECT_EQ(state.target, "Open");
}

TEST_F(SelectKey, UntickingNoneOffersTheDefaultKeyOrTheFirstOne) {
  GameSettings.KeyBindings[9][0] = EmptyName;
  KeyDialogState withDefault;
  userscript::expectDialog("Select Primary Key", {click(IDC_SELECT_NONE), lookAt(withDefault), click(IDCANCEL)});
  openSelectKey(9, 0);
  EXPECT_TRUE(withDefault.listEnabled);
  EXPECT_EQ(withDefault.selected, "A");

  KeyDialogState withoutDefault;
  userscript::expectDialog("Select Secondary Key", {click(IDC_SELECT_NONE), lookAt(withoutDefault), click(IDCANCEL)});
  openSelectKey(6, 1);
  EXPECT_TRUE(withoutDefault.listEnabled);
  EXPECT_EQ(withoutDefault.selection, 0);
  EXPECT_STREQ(GameSettings.KeyBindings[6][1], "");  // cancelled: nothing written
}

TEST_F(SelectKey, AKeyNotInTheTableFallsBackToTheDefault) {
  static const char unknownKey[] = "Kpad99";
  GameSettings.KeyBindings[1][1] = unknownKey;
  KeyDialogState state;
  userscript::expectDialog("Select Secondary Key", {lookAt(state), click(IDCANCEL)});
  openSelectKey(1, 1);
  EXPECT_FALSE(state.none);
  EXPECT_EQ(state.selected, "Kpad2");
}

TEST_F(SelectKey, DefaultInAnotherLetterCaseOpensAndSavesInTheTablesCase) {
  ASSERT_STREQ(GameSettings.KeyBindings[3][1], "KPad6");
  KeyDialogState state;
  userscript::expectDialog("Select Secondary Key", {lookAt(state), click(IDOK)});
  EXPECT_EQ(openSelectKey(3, 1), 0);
  EXPECT_EQ(state.selected, "Kpad6");
  EXPECT_STREQ(GameSettings.KeyBindings[3][1], "Kpad6");
  EXPECT_EQ(GameSettings.KeyBindings[3][1], KeyNameTable[76]);  // the table's own entry
  EXPECT_STREQ(GameSettings.KeyBindings[3][0], "Right");
  EXPECT_TRUE(GameSettings.configChanged);
}

// ---- Set and Cancel -----------------------------------------------------------------------

TEST_F(SelectKey, SetWithNoneTickedUnbindsTheSlot) {
  userscript::expectDialog("Select Primary Key", {click(IDC_SELECT_NONE), click(IDOK)});
  EXPECT_EQ(openSelectKey(9, 0), 0);
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "");
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "/");
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(SelectKey, NoneTickedAndUntickedAgainSetsTheSelectedKey) {
  KeyDialogState ticked;
  userscript::expectDialog("Select Primary Key",
                           {click(IDC_SELECT_NONE), lookAt(ticked), click(IDC_SELECT_NONE), click(IDOK)});
  EXPECT_EQ(openSelectKey(9, 0), 0);
  EXPECT_FALSE(ticked.listEnabled);
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "A");
}

TEST_F(SelectKey, TypingAKeyNameAndSettingBindsItWithoutTouchingOtherFunctions) {
  userscript::expectDialog("Select Primary Key", {focus(IDC_SELECT_LIST), key('X'), click(IDOK)});
  EXPECT_EQ(openSelectKey(9, 0), 0);
  EXPECT_EQ(GameSettings.KeyBindings[9][0], KeyNameTable[44]);
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "/");

  // "W" belongs to Show_Opponents_Weapon already; both keep it.
  userscript::expectDialog("Select Secondary Key", {focus(IDC_SELECT_LIST), key('W'), click(IDOK)});
  openSelectKey(9, 1);
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "W");
  EXPECT_STREQ(GameSettings.KeyBindings[43][0], "W");
}

TEST_F(SelectKey, DoubleClickingAKeyOnlySelectsIt) {
  KeyDialogState afterDoubleClick;
  userscript::expectDialog("Select Primary Key",
                           {doubleClickRow(IDC_SELECT_LIST, 0), lookAt(afterDoubleClick), click(IDCANCEL)});
  EXPECT_EQ(openSelectKey(9, 0), 1);
  EXPECT_EQ(afterDoubleClick.selection, 0);
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "A");
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(SelectKey, EnterSetsAndEscapeCancels) {
  KeyDialogState state;
  userscript::expectDialog("Select Primary Key", {doubleClickRow(IDC_SELECT_LIST, 0), lookAt(state), key(VK_RETURN)});
  EXPECT_EQ(openSelectKey(9, 0), 0);
  EXPECT_EQ(GameSettings.KeyBindings[9][0], findKeyName(state.selected.c_str()));
  EXPECT_TRUE(GameSettings.configChanged);

  GameSettings.configChanged = false;
  userscript::expectDialog("Select Primary Key", {click(IDC_SELECT_NONE), key(VK_ESCAPE)});
  EXPECT_EQ(openSelectKey(10, 0), 1);
  EXPECT_STREQ(GameSettings.KeyBindings[10][0], "Z");
  EXPECT_FALSE(GameSettings.configChanged);
}

// The specified controls come first, our button last: Tab from "None"
// reaches Set, and Enter there sets. The key list's notifications are left
// to the dialog manager (FALSE); a changed selection only updates the note.
TEST_F(SelectKey, TabFromNoneReachesSetAndTheListsNotificationsStayUnhandled) {
  auto focusIs = [](int id) { return inspect([id](HWND d) { EXPECT_EQ(GetFocus(), GetDlgItem(d, id)) << id; }); };
  std::vector<INT_PTR> answers;
  userscript::expectDialog(
      "Select Secondary Key",  // unbound: the list is disabled, "None" has the focus
      {focusIs(IDC_SELECT_NONE), key(VK_TAB), focusIs(IDOK), key(VK_TAB), focusIs(IDCANCEL), key(VK_TAB),
       focusIs(IDC_SELECT_PRESS_KEY), inspect([&](HWND d) {
         LPARAM list = (LPARAM)GetDlgItem(d, IDC_SELECT_LIST);
         for (WORD code : {LBN_SELCHANGE, LBN_DBLCLK})
           answers.push_back(selectKeyDialogProc(d, WM_COMMAND, MAKEWPARAM(IDC_SELECT_LIST, code), list));
       }),
       key(VK_TAB), key(VK_TAB), key(VK_RETURN)});
  EXPECT_EQ(openSelectKey(6, 1), 0);
  EXPECT_STREQ(GameSettings.KeyBindings[6][1], "");
  EXPECT_EQ(answers, (std::vector<INT_PTR>{FALSE, FALSE}));
}

// The opener only asks for a selected row, but a request outside the table
// must not index past KeyBindings: the dialog ends as cancelled before it
// is ever shown, so the scripted user has no step for it.
TEST_F(SelectKey, ARequestOutsideTheTableEndsAsCancelled) {
  for (int32_t function : {-1, 53, 1000}) {
    SCOPED_TRACE(function);
    KeySelectRequest.functionIndex = function;
    KeySelectRequest.keySlot = 0;
    EXPECT_EQ(openDialog(IDD_SELECT_KEY, selectKeyDialogProc), 1);
    EXPECT_FALSE(GameSettings.configChanged);
  }
}

// ---- Pressing the key ------------------------------------------------------------------------

const char PressCaption[] = "Press a Key";

std::string pressPrompt(const char *function) {
  return std::string("Press the key for ") + function + ", or Escape to cancel.";
}

std::string unnamedPrompt(const char *function) {
  return std::string("That key has no name in the game's key list. Press another key for ") + function +
         ", or Escape to cancel.";
}

struct PressedKeyCase {
  const char *what;
  int keyCode;
  const char *selected;  // the list's selection afterwards
};

// One of each kind of key, from an unbound slot: the box takes the key by its
// scan code, and the list selects that key as if it had been clicked.
TEST_F(SelectKey, PressingAKeySelectsItsNameAndUnticksNone) {
  const PressedKeyCase cases[] = {
      {"a letter", 0x2D, "X"},
      {"a keypad key (E0-less twin of Up)", 0x48, "Kpad8"},
      {"the right-hand Ctrl", KeyCodeE0 | 0x1D, "RCtrl"},
      {"the left-hand Ctrl", 0x1D, "LCtrl"},
      {"an arrow (E0 twin of Kpad4)", KeyCodeE0 | 0x4B, "Left"},
      {"the keypad's Enter", KeyCodeE0 | 0x1C, "KpdEnt"},
      {"the main Enter, which would press Set", 0x1C, "Enter"},
      {"Tab, which would move the focus", 0x0F, "Tab"},
      {"the left Alt, which would open a menu", 0x38, "LAlt"},
      {"the right Alt", KeyCodeE0 | 0x38, "RAlt"},
      {"Pause (E1 1D 45)", KeyCodePause, "Pause"},
      {"Num Lock (45)", KeyCodeNumLock, "NumLck"},
      {"Print Screen", KeyCodePrintScreen, "PrtScn"},
      {"F12", 0x58, "F12"},
  };
  for (const PressedKeyCase &c : cases) {
    SCOPED_TRACE(c.what);
    userscript::reset();
    GameSettings.configChanged = false;
    GameSettings.KeyBindings[10][1] = EmptyName;
    KeyDialogState before, after;
    userscript::expectDialog("Select Secondary Key",
                             {lookAt(before), click(IDC_SELECT_PRESS_KEY), lookAt(after), click(IDOK)});
    userscript::expectKeyCapture(c.keyCode);
    EXPECT_EQ(openSelectKey(10, 1), 0);
    EXPECT_TRUE(before.none);
    EXPECT_FALSE(after.none);
    EXPECT_TRUE(after.listEnabled);
    EXPECT_EQ(after.selected, c.selected);
    EXPECT_EQ(GameSettings.KeyBindings[10][1], findKeyName(c.selected));  // the table's own entry
    ASSERT_EQ(userscript::keyCaptures().size(), 1u);
    const userscript::KeyCaptureRecord &box = userscript::keyCaptures()[0];
    EXPECT_TRUE(box.owned);
    EXPECT_EQ(box.caption, PressCaption);
    EXPECT_EQ(box.prompt, pressPrompt("Crouch"));
  }
}

// Set, not the key press, writes the binding: a pressed key then Cancel
// leaves the slot as it was.
TEST_F(SelectKey, APressedKeyIsOnlyASelectionUntilSet) {
  KeyDialogState after;
  userscript::expectDialog("Select Primary Key", {click(IDC_SELECT_PRESS_KEY), lookAt(after), click(IDCANCEL)});
  userscript::expectKeyCapture(0x2C);  // Z
  EXPECT_EQ(openSelectKey(9, 0), 1);
  EXPECT_EQ(after.selected, "Z");
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "A");
  EXPECT_FALSE(GameSettings.configChanged);
}

// A key the game has no name for is refused in the box, which asks again;
// another key is then taken as usual.
TEST_F(SelectKey, AKeyWithoutANameIsRefusedAndTheBoxAsksAgain) {
  KeyDialogState after;
  userscript::expectDialog("Select Primary Key", {click(IDC_SELECT_PRESS_KEY), lookAt(after), click(IDOK)});
  userscript::expectKeyCapture(KeyCodeE0 | 0x5B);  // the left Windows key
  userscript::expectKeyCapture(0x10);              // Q
  EXPECT_EQ(openSelectKey(9, 0), 0);
  ASSERT_EQ(userscript::keyCaptures().size(), 2u);
  EXPECT_EQ(userscript::keyCaptures()[0].prompt, pressPrompt("Jump"));
  EXPECT_EQ(userscript::keyCaptures()[1].prompt, unnamedPrompt("Jump"));
  EXPECT_EQ(userscript::keyCaptures()[1].caption, PressCaption);
  EXPECT_EQ(after.selected, "Q");
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "Q");
}

// Escape is the way out of the box, not a key to bind (there is "Escape" in
// the list for that): the dialog is left as it was, even after a refused key.
TEST_F(SelectKey, EscapeInTheBoxChangesNothing) {
  const struct {
    const char *what;
    int32_t function, slot;
    std::vector<int> keys;
  } cases[] = {
      {"bound slot, Escape", 9, 0, {KeyCodeEscape}},
      {"unbound slot, Escape", 6, 1, {KeyCodeEscape}},
      {"unbound slot, a key without a name, then Escape", 6, 1, {KeyCodeE0 | 0x5D, KeyCodeEscape}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    userscript::reset();
    KeyDialogState before, after;
    userscript::expectDialog(c.slot == 0 ? "Select Primary Key" : "Select Secondary Key",
                             {lookAt(before), click(IDC_SELECT_PRESS_KEY), lookAt(after), click(IDCANCEL)});
    for (int keyCode : c.keys) userscript::expectKeyCapture(keyCode);
    EXPECT_EQ(openSelectKey(c.function, c.slot), 1);
    EXPECT_EQ(after.none, before.none);
    EXPECT_EQ(after.listEnabled, before.listEnabled);
    EXPECT_EQ(after.selection, before.selection);
    EXPECT_EQ(after.alsoBound, before.alsoBound);
    EXPECT_EQ(userscript::keyCaptures().size(), c.keys.size());
    EXPECT_EQ(userscript::keyCaptures().back().keyCode, KeyCodeEscape);
    EXPECT_FALSE(GameSettings.configChanged);
  }
}

// ---- Where else the selected key is bound ------------------------------------------------------

TEST_F(SelectKey, TheLineNamesEveryOtherSlotHoldingTheSelectedKey) {
  const struct {
    const char *what;
    int32_t function, slot;
    std::vector<std::pair<int, int>> alsoA;  // slots bound to "A" beside Jump's primary
    const char *line;
  } cases[] = {
      {"a key bound nowhere else", 9, 0, {}, ""},
      {"the function's own other slot", 9, 0, {{9, 1}}, "Also bound to:\nJump\n(secondary)"},
      {"several, in function order, the one without room counted",
       9,
       0,
       {{43, 0}, {10, 1}},
       "Also bound to:\nCrouch\n(secondary)\nand 1 more"},
      {"seen from the other slot", 10, 1, {{10, 1}}, "Also bound to:\nJump (primary)"},
      {"more than the note has room for: the last line counts them",
       9,
       0,
       {{5, 0}, {6, 0}, {7, 0}, {38, 0}, {9, 1}},
       "Also bound to:\nFire (primary)\nOpen (primary)\nRun (primary)\nand 2 more"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    userscript::reset();
    placeDefaultBindings();
    for (auto [function, slot] : c.alsoA) GameSettings.KeyBindings[function][slot] = KeyNameTable[29];  // "A"
    KeyDialogState state;
    userscript::expectDialog(c.slot == 0 ? "Select Primary Key" : "Select Secondary Key",
                             {lookAt(state), click(IDCANCEL)});
    openSelectKey(c.function, c.slot);
    EXPECT_EQ(state.selected, "A");
    EXPECT_EQ(state.alsoBound, c.line);
  }
}

// The file's comparison: "KPad6" (Turn_Right's default) and "Kpad6" are one key.
TEST_F(SelectKey, TheLineComparesKeyNamesIgnoringCase) {
  GameSettings.KeyBindings[10][1] = KeyNameTable[76];  // Crouch: "Kpad6"
  ASSERT_STREQ(GameSettings.KeyBindings[3][1], "KPad6");
  KeyDialogState turnRight, crouch;
  userscript::expectDialog("Select Secondary Key", {lookAt(turnRight), click(IDCANCEL)});
  userscript::expectDialog("Select Secondary Key", {lookAt(crouch), click(IDCANCEL)});
  openSelectKey(3, 1);
  openSelectKey(10, 1);
  EXPECT_EQ(turnRight.alsoBound, "Also bound to:\nCrouch\n(secondary)");
  EXPECT_EQ(crouch.alsoBound, "Also bound to:\nTurn_Right\n(secondary)");
}

// The line follows the selection however it changes: a click on a row, a
// typed letter, "None" ticked (empty) and unticked, a pressed key.
TEST_F(SelectKey, TheLineFollowsTheSelection) {
  int rowOfUp = -1;
  userscript::expectDialog("Select Primary Key",
                           {inspect([&](HWND d) { rowOfUp = listRowOf(d, IDC_SELECT_LIST, "Up"); }), click(IDCANCEL)});
  openSelectKey(9, 0);
  ASSERT_GE(rowOfUp, 0);

  KeyDialogState opened, clicked, typed, ticked, unticked, pressed;
  userscript::expectDialog(
      "Select Primary Key",
      {lookAt(opened), selectRow(IDC_SELECT_LIST, rowOfUp), lookAt(clicked), focus(IDC_SELECT_LIST), key('T'),
       lookAt(typed), click(IDC_SELECT_NONE), lookAt(ticked), click(IDC_SELECT_NONE), lookAt(unticked),
       click(IDC_SELECT_PRESS_KEY), lookAt(pressed), click(IDCANCEL)});
  userscript::expectKeyCapture(KeyCodeE0 | 0x49);  // Page Up
  openSelectKey(9, 0);
  EXPECT_EQ(opened.alsoBound, "");
  EXPECT_EQ(clicked.selected, "Up");
  EXPECT_EQ(clicked.alsoBound, "Also bound to:\nMove_Forward\n(primary)");
  EXPECT_EQ(typed.selected, "T");
  EXPECT_EQ(typed.alsoBound, "Also bound to:\nSendMessage\n(primary)");
  EXPECT_TRUE(ticked.none);
  EXPECT_EQ(ticked.alsoBound, "");
  EXPECT_EQ(unticked.selected, "A");  // the selection rule: the slot's own key
  EXPECT_EQ(unticked.alsoBound, "");
  EXPECT_EQ(pressed.selected, "PgUp");
  EXPECT_EQ(pressed.alsoBound, "Also bound to:\nLook_Up\n(primary)");
  EXPECT_FALSE(GameSettings.configChanged);
}

// Being told changes nothing: Set binds the key and both keep it.
TEST_F(SelectKey, SettingAKeyBoundElsewhereUnbindsNothing) {
  KeyDialogState state;
  userscript::expectDialog("Select Secondary Key", {click(IDC_SELECT_PRESS_KEY), lookAt(state), click(IDOK)});
  userscript::expectKeyCapture(0x11);  // W
  EXPECT_EQ(openSelectKey(9, 1), 0);
  EXPECT_EQ(state.alsoBound, "Also bound to:\nShow_Opponents_\nWeapon\n(primary)");
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "W");
  EXPECT_STREQ(GameSettings.KeyBindings[43][0], "W");
}

}  // namespace
