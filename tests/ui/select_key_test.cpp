// The "Select Key" dialog opened for one slot through KeySelectRequest, as
// the Input Devices dialog does: what it offers, and what Set and Cancel write.
#include <algorithm>

#include "dialog_test_support.h"

namespace {

using namespace dialogtest;

INT_PTR openSelectKey(int32_t function, int32_t slot) {
  KeySelectRequest.functionIndex = function;
  KeySelectRequest.keySlot = slot;
  return openDialog(IDD_SELECT_KEY, selectKeyDialogProc);
}

struct KeyDialogState {
  std::string caption, target, selected;
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
  });
}

class SelectKeyTest : public DialogTest {};

// ---- Opening ------------------------------------------------------------------------------

TEST_F(SelectKeyTest, BoundSlotOpensWithItsKeySelected) {
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

TEST_F(SelectKeyTest, EveryKeyNameIsOfferedOnce) {
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

TEST_F(SelectKeyTest, UnboundSlotOpensWithNoneTickedAndNothingSelected) {
  KeyDialogState state;
  userscript::expectDialog("Select Secondary Key", {lookAt(state), click(IDCANCEL)});
  openSelectKey(6, 1);  // "Open" has no secondary key
  EXPECT_TRUE(state.none);
  EXPECT_FALSE(state.listEnabled);
  EXPECT_EQ(state.selection, -1);
  EXPECT_EQ(state.target, "Open");
}

TEST_F(SelectKeyTest, UntickingNoneOffersTheDefaultKeyOrTheFirstOne) {
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

TEST_F(SelectKeyTest, AKeyNotInTheTableFallsBackToTheDefault) {
  static const char unknownKey[] = "Kpad99";
  GameSettings.KeyBindings[1][1] = unknownKey;
  KeyDialogState state;
  userscript::expectDialog("Select Secondary Key", {lookAt(state), click(IDCANCEL)});
  openSelectKey(1, 1);
  EXPECT_FALSE(state.none);
  EXPECT_EQ(state.selected, "Kpad2");
}

TEST_F(SelectKeyTest, DefaultInAnotherLetterCaseOpensAndSavesInTheTablesCase) {
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

TEST_F(SelectKeyTest, SetWithNoneTickedUnbindsTheSlot) {
  userscript::expectDialog("Select Primary Key", {click(IDC_SELECT_NONE), click(IDOK)});
  EXPECT_EQ(openSelectKey(9, 0), 0);
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "");
  EXPECT_STREQ(GameSettings.KeyBindings[9][1], "/");
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(SelectKeyTest, NoneTickedAndUntickedAgainSetsTheSelectedKey) {
  KeyDialogState ticked;
  userscript::expectDialog("Select Primary Key",
                           {click(IDC_SELECT_NONE), lookAt(ticked), click(IDC_SELECT_NONE), click(IDOK)});
  EXPECT_EQ(openSelectKey(9, 0), 0);
  EXPECT_FALSE(ticked.listEnabled);
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "A");
}

TEST_F(SelectKeyTest, TypingAKeyNameAndSettingBindsItWithoutTouchingOtherFunctions) {
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

TEST_F(SelectKeyTest, DoubleClickingAKeyOnlySelectsIt) {
  KeyDialogState afterDoubleClick;
  userscript::expectDialog("Select Primary Key",
                           {doubleClickRow(IDC_SELECT_LIST, 0), lookAt(afterDoubleClick), click(IDCANCEL)});
  EXPECT_EQ(openSelectKey(9, 0), 1);
  EXPECT_EQ(afterDoubleClick.selection, 0);
  EXPECT_STREQ(GameSettings.KeyBindings[9][0], "A");
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(SelectKeyTest, EnterSetsAndEscapeCancels) {
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

// The opener only asks for a selected row, but a request outside the table
// must not index past KeyBindings: the dialog ends as cancelled before it
// is ever shown, so the scripted user has no step for it.
TEST_F(SelectKeyTest, ARequestOutsideTheTableEndsAsCancelled) {
  for (int32_t function : {-1, 53, 1000}) {
    SCOPED_TRACE(function);
    KeySelectRequest.functionIndex = function;
    KeySelectRequest.keySlot = 0;
    EXPECT_EQ(openDialog(IDD_SELECT_KEY, selectKeyDialogProc), 1);
    EXPECT_FALSE(GameSettings.configChanged);
  }
}

}  // namespace
