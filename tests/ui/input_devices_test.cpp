// The "Input Devices" dialog driven as a person would: the two lists, the
// controller type, and the doors to the binding dialogs below it; the marks
// on keys bound twice, and Defaults.
#include <cstring>

#include "dialog_test_support.h"
#include "platform/key_codes.h"
#include "tests/common/under_wine.h"

namespace {

using namespace dialogtest;

const char Caption[] = "Input Devices";

INT_PTR openInputDevices() { return openDialog(IDD_INPUT_DEVICES, inputDevicesDialogProc); }

class InputDevices : public DialogTest {};

// ---- What the lists show -------------------------------------------------------------

TEST_F(InputDevices, ActionListHasOneRowPerFunctionWithBothKeysAsColumns) {
  GameSettings.KeyBindings[10][0] = EmptyName;  // Crouch fully unbound
  std::vector<std::string> rows;
  int selection = -99;
  userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                       for (int r = 0; r < listCount(d, IDC_INPUT_ACTIONS); ++r)
                                         rows.push_back(listRowText(d, IDC_INPUT_ACTIONS, r));
                                       selection = listSelection(d, IDC_INPUT_ACTIONS);
                                     }),
                                     click(IDOK)});
  EXPECT_EQ(openInputDevices(), 0);
  ASSERT_EQ(rows.size(), 53u);
  EXPECT_EQ(rows[0], "Move_Forward\tUp\tKpad8");
  EXPECT_EQ(rows[3], "Turn_Right\tRight\tKPad6");
  EXPECT_EQ(rows[6], "Open\tSpace\t");
  EXPECT_EQ(rows[9], "Jump\tA\t/");
  EXPECT_EQ(rows[10], "Crouch\t\t");
  EXPECT_EQ(selection, -1);
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(InputDevices, ConsoleRowShowsItsSingleKey) {
  std::string consoleRow;
  userscript::expectDialog(Caption,
                           {inspect([&](HWND d) { consoleRow = listRowText(d, IDC_INPUT_ACTIONS, 52); }), click(IDOK)});
  openInputDevices();
  EXPECT_EQ(consoleRow, "Show_Console\tNumLck\t");
}

TEST_F(InputDevices, MouseListPairsEachOfTheFirstFourButtonsWithItsDoubleClick) {
  GameSettings.MouseButton[5] = GameFunctionTable[9];
  std::vector<std::string> rows;
  userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                       for (int r = 0; r < listCount(d, IDC_INPUT_MOUSE_LIST); ++r)
                                         rows.push_back(listRowText(d, IDC_INPUT_MOUSE_LIST, r));
                                     }),
                                     click(IDOK)});
  openInputDevices();
  const std::vector<std::string> expected = {
      "Left\tFire", "*Left\t", "Right\tStrafe", "*Right\tOpen", "Middle\tMove_Forward",
      "*Middle\t",  "Thumb\t", "*Thumb\t",      "WheelDn\t",    "WheelUp\tJump"};
  EXPECT_EQ(rows, expected);
}

TEST_F(InputDevices, ControllerBoxShowsTheTypeAndAnUnknownTypeAsKeyboardOnly) {
  const struct {
    int32_t type;
    int row;
  } cases[] = {{1, 1}, {2, 2}, {0, 0}, {7, 0}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.type);
    GameSettings.ControllerType = c.type;
    int row = -99, count = -99;
    std::string third;
    userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                         row = comboSelection(d, IDC_INPUT_CONTROLLER);
                                         count = comboCount(d, IDC_INPUT_CONTROLLER);
                                         third = comboRowText(d, IDC_INPUT_CONTROLLER, 2);
                                       }),
                                       click(IDOK)});
    openInputDevices();
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(third, "Keyboard and Joystick");
    EXPECT_EQ(GameSettings.ControllerType, c.type);  // replaced only when the box reports
  }
}

// ---- The controller box ---------------------------------------------------------------

TEST_F(InputDevices, ChoosingAControllerTypeStoresItsIndex) {
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_CONTROLLER, 2), click(IDOK)});
  openInputDevices();
  EXPECT_EQ(GameSettings.ControllerType, 2);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(InputDevices, ClickingIntoTheControllerBoxAndOutAgainMarksAChange) {
  GameSettings.ControllerType = 7;
  userscript::expectDialog(Caption, {focus(IDC_INPUT_CONTROLLER), click(IDOK)});
  openInputDevices();
  EXPECT_TRUE(GameSettings.configChanged);
  EXPECT_EQ(GameSettings.ControllerType, 0);  // the type it showed
}

// ---- Select Primary / Select Secondary ------------------------------------------------

TEST_F(InputDevices, ConsoleRowRefusesASecondaryKey) {
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_ACTIONS, 52), click(IDC_INPUT_SELECT_SECONDARY), click(IDOK)});
  userscript::expectMessageBox(IDOK);
  openInputDevices();
  ASSERT_EQ(userscript::messageBoxes().size(), 1u);
  const userscript::MessageBoxRecord &box = userscript::messageBoxes()[0];
  EXPECT_TRUE(box.owned);
  EXPECT_EQ(box.text, "The console may be activated by one key only.");
  EXPECT_EQ(box.caption, "Set Secondary Key");
  EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(userscript::dialogsOpened(), std::vector<std::string>{Caption});
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(InputDevices, ConsoleRowStillTakesAPrimaryKey) {
  std::string target;
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_ACTIONS, 52), click(IDC_INPUT_SELECT_PRIMARY), click(IDOK)});
  userscript::expectDialog("Select Primary Key",
                           {inspect([&](HWND d) { target = controlText(d, IDC_SELECT_TARGET); }), click(IDCANCEL)});
  openInputDevices();
  EXPECT_EQ(target, "Show_Console");
  EXPECT_EQ(KeySelectRequest.functionIndex, 52);
  EXPECT_EQ(KeySelectRequest.keySlot, 0);
}

TEST_F(InputDevices, SetInSelectKeyRebuildsTheListsAndKeepsTheRowSelected) {
  std::string row;
  int actionSelection = -99, mouseSelection = -99;
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_MOUSE_LIST, 2), selectRow(IDC_INPUT_ACTIONS, 6),
                                     click(IDC_INPUT_SELECT_SECONDARY), inspect([&](HWND d) {
                                       row = listRowText(d, IDC_INPUT_ACTIONS, 6);
                                       actionSelection = listSelection(d, IDC_INPUT_ACTIONS);
                                       mouseSelection = listSelection(d, IDC_INPUT_MOUSE_LIST);
                                     }),
                                     click(IDOK)});
  // "Open" has no secondary key: unticking "None" offers the first key of the list.
  std::string offered;
  userscript::expectDialog(
      "Select Secondary Key",
      {click(IDC_SELECT_NONE), inspect([&](HWND d) { offered = listSelectedText(d, IDC_SELECT_LIST); }), click(IDOK)});
  openInputDevices();
  // The list's first key is one the defaults give another function already.
  EXPECT_EQ(row, "Open\tSpace\t" + offered + "!");
  EXPECT_EQ(actionSelection, 6);
  EXPECT_EQ(mouseSelection, -1);
  EXPECT_STREQ(GameSettings.KeyBindings[6][1], offered.c_str());
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(InputDevices, CancelInSelectKeyChangesNothingButStillMarksAChange) {
  int actionSelection = -99, mouseSelection = -99;
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_MOUSE_LIST, 4), selectRow(IDC_INPUT_ACTIONS, 9),
                                     click(IDC_INPUT_SELECT_PRIMARY), inspect([&](HWND d) {
                                       actionSelection = listSelection(d, IDC_INPUT_ACTIONS);
                                       mouseSelection = listSelection(d, IDC_INPUT_MOUSE_LIST);
                                     }),
                                     click(IDOK)});
  userscript::expectDialog("Select Primary Key", {click(IDC_SELECT_NONE), click(IDCANCEL)});
  openInputDevices();
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "A");
  EXPECT_EQ(actionSelection, 9);
  EXPECT_EQ(mouseSelection, 4);  // nothing was rebuilt
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(InputDevices, SelectButtonsWithoutARowDoNothing) {
  userscript::expectDialog(Caption, {click(IDC_INPUT_SELECT_PRIMARY), click(IDC_INPUT_SELECT_SECONDARY),
                                     click(IDC_INPUT_MOUSE_SELECT), click(IDOK)});
  openInputDevices();
  EXPECT_EQ(userscript::dialogsOpened(), std::vector<std::string>{Caption});
  EXPECT_TRUE(userscript::messageBoxes().empty());
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(InputDevices, DoubleClickingARowOnlySelectsIt) {
  int actionSelection = -99, mouseSelection = -99;
  userscript::expectDialog(
      Caption, {doubleClickRow(IDC_INPUT_ACTIONS, 3), doubleClickRow(IDC_INPUT_MOUSE_LIST, 1), inspect([&](HWND d) {
                  actionSelection = listSelection(d, IDC_INPUT_ACTIONS);
                  mouseSelection = listSelection(d, IDC_INPUT_MOUSE_LIST);
                }),
                click(IDOK)});
  openInputDevices();
  EXPECT_EQ(actionSelection, 3);
  EXPECT_EQ(mouseSelection, 1);
  EXPECT_EQ(userscript::dialogsOpened(), std::vector<std::string>{Caption});
  EXPECT_FALSE(GameSettings.configChanged);
}

// ---- Select (mouse) -------------------------------------------------------------------------

struct MouseRowCase {
  int row;
  const char *description;
  int32_t button;
  int32_t doubleClicked;
  int function;       // row of the function list to pick
  const char *shown;  // the mouse row afterwards
};

TEST_F(InputDevices, MouseRowsMapToTheirButtonAndClickKind) {
  const MouseRowCase cases[] = {
      {7, "Mouse Thumb (Doubleclicked)", 3, 1, 5, "*Thumb\tFire"},
      {8, "Mouse WheelDn", 4, 0, 9, "WheelDn\tJump"},
      {9, "Mouse WheelUp", 5, 0, 10, "WheelUp\tCrouch"},
      {2, "Mouse Right", 1, 0, 0, "Right\tMove_Forward"},
  };
  for (const MouseRowCase &c : cases) {
    SCOPED_TRACE(c.row);
    GameSettings.configChanged = false;
    std::string description, shown;
    int mouseSelection = -99, actionSelection = -99;
    userscript::expectDialog(Caption, {selectRow(IDC_INPUT_ACTIONS, 0), selectRow(IDC_INPUT_MOUSE_LIST, c.row),
                                       click(IDC_INPUT_MOUSE_SELECT), inspect([&](HWND d) {
                                         shown = listRowText(d, IDC_INPUT_MOUSE_LIST, c.row);
                                         mouseSelection = listSelection(d, IDC_INPUT_MOUSE_LIST);
                                         actionSelection = listSelection(d, IDC_INPUT_ACTIONS);
                                       }),
                                       click(IDOK)});
    // Rows 7 to 9 open unbound ("None" ticked); row 2 opens on "Strafe".
    std::vector<Action> pick;
    if (c.row != 2) pick.push_back(click(IDC_SELECT_NONE));
    pick.push_back(inspect([&](HWND d) { description = controlText(d, IDC_SELECT_TARGET); }));
    pick.push_back(selectRow(IDC_SELECT_LIST, c.function));
    pick.push_back(click(IDOK));
    userscript::expectDialog("Select Function", pick);
    openInputDevices();
    EXPECT_EQ(description, c.description);
    EXPECT_EQ(FunctionSelectRequest.sourceKind, SourceMouseButton);
    EXPECT_EQ(FunctionSelectRequest.sourceIndex, c.button);
    EXPECT_EQ(FunctionSelectRequest.doubleClicked, c.doubleClicked);
    const char *bound =
        c.doubleClicked ? GameSettings.MouseButtonClicked[c.button] : GameSettings.MouseButton[c.button];
    EXPECT_EQ(bound, GameFunctionTable[c.function]);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(mouseSelection, c.row);
    EXPECT_EQ(actionSelection, -1);
    EXPECT_TRUE(GameSettings.configChanged);
  }
}

TEST_F(InputDevices, CancelInSelectFunctionChangesNothingButStillMarksAChange) {
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_MOUSE_LIST, 0), click(IDC_INPUT_MOUSE_SELECT), click(IDOK)});
  userscript::expectDialog("Select Function", {click(IDC_SELECT_NONE), click(IDCANCEL)});
  openInputDevices();
  EXPECT_STREQ(GameSettings.MouseButton[0], "Fire");
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(InputDevices, SetWithNoneShowsTheMouseBindingUnbound) {
  std::string shown;
  userscript::expectDialog(Caption,
                           {selectRow(IDC_INPUT_MOUSE_LIST, 3), click(IDC_INPUT_MOUSE_SELECT),
                            inspect([&](HWND d) { shown = listRowText(d, IDC_INPUT_MOUSE_LIST, 3); }), click(IDOK)});
  userscript::expectDialog("Select Function", {click(IDC_SELECT_NONE), click(IDOK)});
  openInputDevices();
  EXPECT_EQ(shown, "*Right\t");
  EXPECT_STREQ(GameSettings.MouseButtonClicked[1], "");
}

// ---- Advanced..., closing --------------------------------------------------------------------

TEST_F(InputDevices, AdvancedOpensTheMouseOptionsWithoutMarkingAChangeItself) {
  userscript::expectDialog(Caption, {click(IDC_INPUT_ADVANCED), click(IDOK)});
  userscript::expectDialog("Advanced Mouse Options", {click(IDOK)});
  openInputDevices();
  EXPECT_EQ(userscript::dialogsOpened(), (std::vector<std::string>{Caption, "Advanced Mouse Options"}));
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(InputDevices, EscapeClosesLikeCloseAndKeepsTheEdits) {
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_CONTROLLER, 0), key(VK_ESCAPE)});
  EXPECT_EQ(openInputDevices(), 0);
  EXPECT_EQ(GameSettings.ControllerType, 0);
}

// ---- Keys bound more than once ------------------------------------------------------------

std::vector<std::string> actionRows(HWND d) {
  std::vector<std::string> rows;
  for (int r = 0; r < listCount(d, IDC_INPUT_ACTIONS); ++r) rows.push_back(listRowText(d, IDC_INPUT_ACTIONS, r));
  return rows;
}

// The start-up's defaults bind no key twice, so nothing is marked; the note
// that explains the mark is there all the same.
TEST_F(InputDevices, TheDefaultsBindNoKeyTwice) {
  std::vector<std::string> rows;
  std::string note;
  userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                       rows = actionRows(d);
                                       note = controlText(d, IDC_INPUT_MARK_NOTE);
                                     }),
                                     click(IDOK)});
  openInputDevices();
  ASSERT_EQ(rows.size(), 53u);
  for (const std::string &row : rows) EXPECT_EQ(row.find('!'), std::string::npos) << row;
  EXPECT_EQ(note, "! after a key = also bound elsewhere");
}

TEST_F(InputDevices, AKeyHeldByTwoSlotsIsMarkedInBothColumns) {
  const struct {
    const char *what;
    int function, slot;
    int key;     // KeyNameTable entry bound there
    int marked;  // rows with a mark
    std::vector<std::pair<int, std::string>> rows;
  } cases[] = {
      {"another function's primary", 10, 1, 29, 2, {{9, "Jump\tA!\t/"}, {10, "Crouch\tZ\tA!"}}},
      {"the function's own other slot", 9, 1, 29, 1, {{9, "Jump\tA!\tA!"}, {10, "Crouch\tZ\t"}}},
      // "KPad6" (the default, as the record holds it) and "Kpad6" are one key.
      {"the same key in another letter case",
       10,
       1,
       76,
       2,
       {{3, "Turn_Right\tRight\tKPad6!"}, {10, "Crouch\tZ\tKpad6!"}}},
      {"the console's single key", 10, 1, 68, 2, {{52, "Show_Console\tNumLck!\t"}, {10, "Crouch\tZ\tNumLck!"}}},
      {"the key named with a star", 10, 1, 54, 0, {{10, "Crouch\tZ\tKpad*"}}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    userscript::reset();
    placeDefaultBindings();
    GameSettings.KeyBindings[c.function][c.slot] = KeyNameTable[c.key];
    std::vector<std::string> rows;
    userscript::expectDialog(Caption, {inspect([&](HWND d) { rows = actionRows(d); }), click(IDOK)});
    openInputDevices();
    ASSERT_EQ(rows.size(), 53u);
    int marked = 0;
    for (const std::string &row : rows) marked += row.find('!') != std::string::npos;
    EXPECT_EQ(marked, c.marked);
    for (const auto &[row, text] : c.rows) EXPECT_EQ(rows[row], text);
  }
}

// The mark can be told from every key name: no key name has a "!", and each
// of the 101 keys bound twice reads as its name and the mark (the mouse
// list's double click is a "*" before the button).
TEST_F(InputDevices, EveryKeyBoundTwiceReadsAsItsNameAndAMarkNoKeyNameHas) {
  const int perOpening = GameFunctionCount - 1;  // the console takes no second key
  for (int first = 0; first < KeyNameCount; first += perOpening) {
    for (int f = 0; f < perOpening; ++f) {
      const char *key = first + f < KeyNameCount ? KeyNameTable[first + f] : EmptyName;
      GameSettings.KeyBindings[f][0] = GameSettings.KeyBindings[f][1] = key;
    }
    std::vector<std::string> rows;
    userscript::expectDialog(Caption, {inspect([&](HWND d) { rows = actionRows(d); }), click(IDOK)});
    openInputDevices();
    ASSERT_EQ(rows.size(), 53u);
    for (int f = 0; f < perOpening && first + f < KeyNameCount; ++f) {
      std::string key = KeyNameTable[first + f];
      EXPECT_EQ(key.find('!'), std::string::npos) << key;
      EXPECT_EQ(rows[f], std::string(GameFunctionTable[f]) + "\t" + key + "!\t" + key + "!");
    }
  }
}

// An unbound slot is no key: a function with neither key clashes with nothing.
TEST_F(InputDevices, UnboundSlotsAreNeverMarked) {
  GameSettings.KeyBindings[9][0] = EmptyName;
  GameSettings.KeyBindings[9][1] = EmptyName;
  GameSettings.KeyBindings[10][0] = EmptyName;
  std::vector<std::string> rows;
  userscript::expectDialog(Caption, {inspect([&](HWND d) { rows = actionRows(d); }), click(IDOK)});
  openInputDevices();
  ASSERT_EQ(rows.size(), 53u);
  EXPECT_EQ(rows[9], "Jump\t\t");
  EXPECT_EQ(rows[10], "Crouch\t\t");
}

// The marks follow the bindings: a key pressed in Select Key and Set marks
// both rows that hold it now.
TEST_F(InputDevices, MarksFollowASetInSelectKey) {
  std::string jump, crouch;
  userscript::expectDialog(Caption,
                           {selectRow(IDC_INPUT_ACTIONS, 9), click(IDC_INPUT_SELECT_SECONDARY), inspect([&](HWND d) {
                              jump = listRowText(d, IDC_INPUT_ACTIONS, 9);
                              crouch = listRowText(d, IDC_INPUT_ACTIONS, 10);
                            }),
                            click(IDOK)});
  userscript::expectDialog("Select Secondary Key", {click(IDC_SELECT_PRESS_KEY), click(IDOK)});
  userscript::expectKeyCapture(0x2C);  // Z, Crouch's key
  openInputDevices();
  EXPECT_EQ(jump, "Jump\tA\tZ!");
  EXPECT_EQ(crouch, "Crouch\tZ!\t");
}

// ---- Defaults ----------------------------------------------------------------------------

// Every key binding off its default, and the mouse and controller edited too.
void editEverything() {
  for (int f = 0; f < GameFunctionCount; ++f) {
    GameSettings.KeyBindings[f][0] = KeyNameTable[44];  // "X"
    GameSettings.KeyBindings[f][1] = EmptyName;
  }
  GameSettings.MouseButton[0] = GameFunctionTable[9];
  GameSettings.MouseButtonClicked[1] = EmptyName;
  GameSettings.ControllerType = 2;
}

TEST_F(InputDevices, DefaultsAnsweredYesPutsEveryKeyBackAndNothingElse) {
  editEverything();
  std::string jump, turnRight, mouseRow0, mouseRow3;
  int actionSelection = -99, mouseSelection = -99, controller = -99;
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_MOUSE_LIST, 0), selectRow(IDC_INPUT_ACTIONS, 9),
                                     click(IDC_INPUT_DEFAULTS), inspect([&](HWND d) {
                                       jump = listRowText(d, IDC_INPUT_ACTIONS, 9);
                                       turnRight = listRowText(d, IDC_INPUT_ACTIONS, 3);
                                       mouseRow0 = listRowText(d, IDC_INPUT_MOUSE_LIST, 0);
                                       mouseRow3 = listRowText(d, IDC_INPUT_MOUSE_LIST, 3);
                                       actionSelection = listSelection(d, IDC_INPUT_ACTIONS);
                                       mouseSelection = listSelection(d, IDC_INPUT_MOUSE_LIST);
                                       controller = comboSelection(d, IDC_INPUT_CONTROLLER);
                                     }),
                                     click(IDOK)});
  userscript::expectMessageBox(IDYES);
  openInputDevices();

  ASSERT_EQ(userscript::messageBoxes().size(), 1u);
  const userscript::MessageBoxRecord &box = userscript::messageBoxes()[0];
  EXPECT_TRUE(box.owned);
  EXPECT_EQ(box.text, "Put every key back to its default?");
  EXPECT_EQ(box.caption, "Default Keys");
  EXPECT_EQ(box.style, (UINT)(MB_ICONQUESTION | MB_YESNO));

  // The start-up's very entries, "KPad6" in its own letter case included.
  for (int f = 0; f < GameFunctionCount; ++f) {
    EXPECT_EQ(GameSettings.KeyBindings[f][0], DefaultKeyBindingTable[f].primary) << f;
    EXPECT_EQ(GameSettings.KeyBindings[f][1], DefaultKeyBindingTable[f].secondary) << f;
  }
  EXPECT_EQ(jump, "Jump\tA\t/");
  EXPECT_EQ(turnRight, "Turn_Right\tRight\tKPad6");
  EXPECT_EQ(actionSelection, 9);  // as after a Set: the row stays selected, the mouse list's goes
  EXPECT_EQ(mouseSelection, -1);
  EXPECT_EQ(mouseRow0, "Left\tJump");
  EXPECT_EQ(mouseRow3, "*Right\t");
  EXPECT_EQ(GameSettings.MouseButton[0], GameFunctionTable[9]);
  EXPECT_STREQ(GameSettings.MouseButtonClicked[1], "");
  EXPECT_EQ(GameSettings.ControllerType, 2);
  EXPECT_EQ(controller, 2);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(InputDevices, DefaultsAnsweredNoChangesNothing) {
  editEverything();
  std::string jump;
  int actionSelection = -99, mouseSelection = -99;
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_MOUSE_LIST, 4), selectRow(IDC_INPUT_ACTIONS, 9),
                                     click(IDC_INPUT_DEFAULTS), inspect([&](HWND d) {
                                       jump = listRowText(d, IDC_INPUT_ACTIONS, 9);
                                       actionSelection = listSelection(d, IDC_INPUT_ACTIONS);
                                       mouseSelection = listSelection(d, IDC_INPUT_MOUSE_LIST);
                                     }),
                                     click(IDOK)});
  // Escape does nothing in a Yes/No box; only No answers it. (Wine ends the
  // box with IDCANCEL instead: docs/platform.md.)
  std::vector<userscript::Action> first;
  if (!runningUnderWine()) first.push_back(key(VK_ESCAPE));
  userscript::expectMessageBox(IDNO, first);
  openInputDevices();
  ASSERT_EQ(userscript::messageBoxes().size(), 1u);
  EXPECT_EQ(userscript::messageBoxes()[0].answer, IDNO);
  for (int f = 0; f < GameFunctionCount; ++f) EXPECT_STREQ(GameSettings.KeyBindings[f][0], "X") << f;
  EXPECT_EQ(jump, "Jump\tX!\t");
  EXPECT_EQ(actionSelection, 9);
  EXPECT_EQ(mouseSelection, 4);  // nothing was rebuilt
  EXPECT_EQ(GameSettings.MouseButton[0], GameFunctionTable[9]);
  EXPECT_FALSE(GameSettings.configChanged);
}

// Without a selected row there is none to keep; the letter D is its mnemonic.
TEST_F(InputDevices, DefaultsWithoutASelectedRowLeavesNoneSelected) {
  GameSettings.KeyBindings[9][0] = KeyNameTable[44];
  int actionSelection = -99;
  std::string jump;
  userscript::expectDialog(Caption, {userscript::altKey('d'), inspect([&](HWND d) {
                                       actionSelection = listSelection(d, IDC_INPUT_ACTIONS);
                                       jump = listRowText(d, IDC_INPUT_ACTIONS, 9);
                                     }),
                                     click(IDOK)});
  userscript::expectMessageBox(IDYES);
  openInputDevices();
  EXPECT_EQ(actionSelection, -1);
  EXPECT_EQ(jump, "Jump\tA\t/");
  EXPECT_TRUE(GameSettings.configChanged);
}

}  // namespace
