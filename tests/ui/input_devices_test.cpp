// The "Input Devices" dialog driven as a person would: the two lists, the
// controller type, and the doors to the binding dialogs below it.
#include <cstring>

#include "dialog_test_support.h"

namespace {

using namespace dialogtest;

const char Caption[] = "Input Devices";

INT_PTR openInputDevices() { return openDialog(IDD_INPUT_DEVICES, inputDevicesDialogProc); }

class InputDevicesTest : public DialogTest {};

// ---- What the lists show -------------------------------------------------------------

TEST_F(InputDevicesTest, ActionListHasOneRowPerFunctionWithBothKeysAsColumns) {
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

TEST_F(InputDevicesTest, ConsoleRowShowsItsSingleKey) {
  std::string consoleRow;
  userscript::expectDialog(Caption,
                           {inspect([&](HWND d) { consoleRow = listRowText(d, IDC_INPUT_ACTIONS, 52); }), click(IDOK)});
  openInputDevices();
  EXPECT_EQ(consoleRow, "Show_Console\tNumLck\t");
}

TEST_F(InputDevicesTest, MouseListPairsEachOfTheFirstFourButtonsWithItsDoubleClick) {
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

TEST_F(InputDevicesTest, ControllerBoxShowsTheTypeAndAnUnknownTypeAsKeyboardOnly) {
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

TEST_F(InputDevicesTest, ChoosingAControllerTypeStoresItsIndex) {
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_CONTROLLER, 2), click(IDOK)});
  openInputDevices();
  EXPECT_EQ(GameSettings.ControllerType, 2);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(InputDevicesTest, ClickingIntoTheControllerBoxAndOutAgainMarksAChange) {
  GameSettings.ControllerType = 7;
  userscript::expectDialog(Caption, {focus(IDC_INPUT_CONTROLLER), click(IDOK)});
  openInputDevices();
  EXPECT_TRUE(GameSettings.configChanged);
  EXPECT_EQ(GameSettings.ControllerType, 0);  // the type it showed
}

// ---- Select Primary / Select Secondary ------------------------------------------------

TEST_F(InputDevicesTest, ConsoleRowRefusesASecondaryKey) {
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

TEST_F(InputDevicesTest, ConsoleRowStillTakesAPrimaryKey) {
  std::string target;
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_ACTIONS, 52), click(IDC_INPUT_SELECT_PRIMARY), click(IDOK)});
  userscript::expectDialog("Select Primary Key",
                           {inspect([&](HWND d) { target = controlText(d, IDC_SELECT_TARGET); }), click(IDCANCEL)});
  openInputDevices();
  EXPECT_EQ(target, "Show_Console");
  EXPECT_EQ(KeySelectRequest.functionIndex, 52);
  EXPECT_EQ(KeySelectRequest.keySlot, 0);
}

TEST_F(InputDevicesTest, SetInSelectKeyRebuildsTheListsAndKeepsTheRowSelected) {
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
  EXPECT_EQ(row, "Open\tSpace\t" + offered);
  EXPECT_EQ(actionSelection, 6);
  EXPECT_EQ(mouseSelection, -1);
  EXPECT_STREQ(GameSettings.KeyBindings[6][1], offered.c_str());
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(InputDevicesTest, CancelInSelectKeyChangesNothingButStillMarksAChange) {
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

TEST_F(InputDevicesTest, SelectButtonsWithoutARowDoNothing) {
  userscript::expectDialog(Caption, {click(IDC_INPUT_SELECT_PRIMARY), click(IDC_INPUT_SELECT_SECONDARY),
                                     click(IDC_INPUT_MOUSE_SELECT), click(IDOK)});
  openInputDevices();
  EXPECT_EQ(userscript::dialogsOpened(), std::vector<std::string>{Caption});
  EXPECT_TRUE(userscript::messageBoxes().empty());
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(InputDevicesTest, DoubleClickingARowOnlySelectsIt) {
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

TEST_F(InputDevicesTest, MouseRowsMapToTheirButtonAndClickKind) {
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

TEST_F(InputDevicesTest, CancelInSelectFunctionChangesNothingButStillMarksAChange) {
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_MOUSE_LIST, 0), click(IDC_INPUT_MOUSE_SELECT), click(IDOK)});
  userscript::expectDialog("Select Function", {click(IDC_SELECT_NONE), click(IDCANCEL)});
  openInputDevices();
  EXPECT_STREQ(GameSettings.MouseButton[0], "Fire");
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(InputDevicesTest, SetWithNoneShowsTheMouseBindingUnbound) {
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

TEST_F(InputDevicesTest, AdvancedOpensTheMouseOptionsWithoutMarkingAChangeItself) {
  userscript::expectDialog(Caption, {click(IDC_INPUT_ADVANCED), click(IDOK)});
  userscript::expectDialog("Advanced Mouse Options", {click(IDOK)});
  openInputDevices();
  EXPECT_EQ(userscript::dialogsOpened(), (std::vector<std::string>{Caption, "Advanced Mouse Options"}));
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(InputDevicesTest, EscapeClosesLikeCloseAndKeepsTheEdits) {
  userscript::expectDialog(Caption, {selectRow(IDC_INPUT_CONTROLLER, 0), key(VK_ESCAPE)});
  EXPECT_EQ(openInputDevices(), 0);
  EXPECT_EQ(GameSettings.ControllerType, 0);
}

}  // namespace
