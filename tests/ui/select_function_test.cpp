// The "Select Function" dialog opened for one mouse binding through
// FunctionSelectRequest: its description line, what it offers, and what
// Set and Cancel write, for known and unknown sources.
#include "dialog_test_support.h"

namespace {

using namespace dialogtest;

const char Caption[] = "Select Function";

INT_PTR openSelectFunction(uint32_t kind, int32_t index, int32_t doubleClicked) {
  FunctionSelectRequest.sourceKind = kind;
  FunctionSelectRequest.sourceIndex = index;
  FunctionSelectRequest.doubleClicked = doubleClicked;
  return openDialog(IDD_SELECT_FUNCTION, selectFunctionDialogProc);
}

struct FunctionDialogState {
  std::string caption, description, selected;
  bool none = false, listEnabled = false;
  int selection = -99, count = -99;
};

Action lookAt(FunctionDialogState &state) {
  return inspect([&state](HWND d) {
    state.caption = windowText(d);
    state.description = controlText(d, IDC_SELECT_TARGET);
    state.none = isChecked(d, IDC_SELECT_NONE);
    state.listEnabled = isEnabled(d, IDC_SELECT_LIST);
    state.selection = listSelection(d, IDC_SELECT_LIST);
    state.count = listCount(d, IDC_SELECT_LIST);
    state.selected = state.selection >= 0 ? listSelectedText(d, IDC_SELECT_LIST) : "";
  });
}

// Every binding the record holds, to prove that nothing was written.
std::vector<const char *> mouseBindings() {
  std::vector<const char *> all;
  for (const char *b : GameSettings.MouseButton) all.push_back(b);
  for (const char *b : GameSettings.MouseButtonClicked) all.push_back(b);
  for (const char *b : GameSettings.MouseDigitalAxes) all.push_back(b);
  return all;
}

class SelectFunction : public DialogTest {};

// ---- The description line -----------------------------------------------------------------

TEST_F(SelectFunction, DescriptionNamesSourceItemAndClickKind) {
  const struct {
    uint32_t kind;
    int32_t index, doubleClicked;
    const char *line;
  } cases[] = {
      {SourceMouseButton, 0, 0, "Mouse Left"},
      {SourceMouseButton, 1, 1, "Mouse Right (Doubleclicked)"},
      {SourceMouseButton, 5, 0, "Mouse WheelUp"},
      {SourceMouseDigital, 2, 0, "Mouse Digital Up"},
      {SourceMouseDigital, 3, 0, "Mouse Digital Down"},
      {SourceMouseDigital, 9, 0, "Mouse Digital Unknown"},
      {5, 0, 0, "Unknown Unknown"},
      {0x80000001u, 0, 0, "Unknown Left"},  // a direction of a device we do not serve
      {7, 1, 1, "Unknown Unknown (Doubleclicked)"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.line);
    FunctionDialogState state;
    userscript::expectDialog(Caption, {lookAt(state), click(IDCANCEL)});
    EXPECT_EQ(openSelectFunction(c.kind, c.index, c.doubleClicked), 1);
    EXPECT_EQ(state.description, c.line);
    EXPECT_EQ(state.caption, Caption);
    EXPECT_EQ(state.count, 53);
  }
}

// ---- Opening and the selection rule ------------------------------------------------------

TEST_F(SelectFunction, BoundTargetOpensOnItsFunctionAndSetWritesItBack) {
  FunctionDialogState state;
  userscript::expectDialog(Caption, {lookAt(state), click(IDOK)});
  EXPECT_EQ(openSelectFunction(SourceMouseButton, 1, 0), 0);
  EXPECT_FALSE(state.none);
  EXPECT_TRUE(state.listEnabled);
  EXPECT_EQ(state.selection, 4);
  EXPECT_EQ(state.selected, "Strafe");
  EXPECT_EQ(GameSettings.MouseButton[1], GameFunctionTable[4]);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(SelectFunction, UnboundDoubleClickOffersItsBuiltInDefault) {
  GameSettings.MouseButtonClicked[1] = EmptyName;
  FunctionDialogState atOpen, afterUntick;
  userscript::expectDialog(Caption, {lookAt(atOpen), click(IDC_SELECT_NONE), lookAt(afterUntick), click(IDOK)});
  EXPECT_EQ(openSelectFunction(SourceMouseButton, 1, 1), 0);
  EXPECT_TRUE(atOpen.none);
  EXPECT_FALSE(atOpen.listEnabled);
  EXPECT_EQ(atOpen.selection, -1);
  EXPECT_EQ(afterUntick.selected, "Open");
  EXPECT_EQ(GameSettings.MouseButtonClicked[1], GameFunctionTable[6]);
}

TEST_F(SelectFunction, UnboundDirectionOffersTheFirstFunction) {
  FunctionDialogState afterUntick;
  userscript::expectDialog(Caption, {click(IDC_SELECT_NONE), lookAt(afterUntick), click(IDCANCEL)});
  EXPECT_EQ(openSelectFunction(SourceMouseDigital, 2, 0), 1);
  EXPECT_EQ(afterUntick.selection, 0);
  EXPECT_EQ(afterUntick.selected, "Move_Forward");
  EXPECT_STREQ(GameSettings.MouseDigitalAxes[2], "");
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(SelectFunction, AFunctionNameInAnotherCaseIsFoundAndStoredAsTheTableHasIt) {
  static const char lowerCase[] = "jump";
  GameSettings.MouseDigitalAxes[0] = lowerCase;
  FunctionDialogState state;
  userscript::expectDialog(Caption, {lookAt(state), click(IDOK)});
  openSelectFunction(SourceMouseDigital, 0, 0);
  EXPECT_EQ(state.selected, "Jump");
  EXPECT_EQ(GameSettings.MouseDigitalAxes[0], GameFunctionTable[9]);
}

// ---- Set and Cancel -------------------------------------------------------------------------

TEST_F(SelectFunction, SetWithNoneUnbindsTheTarget) {
  userscript::expectDialog(Caption, {click(IDC_SELECT_NONE), click(IDOK)});
  EXPECT_EQ(openSelectFunction(SourceMouseButton, 0, 0), 0);
  EXPECT_STREQ(GameSettings.MouseButton[0], "");
  EXPECT_STREQ(GameSettings.MouseButton[1], "Strafe");
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(SelectFunction, ChoosingAFunctionBindsIt) {
  userscript::expectDialog(Caption, {click(IDC_SELECT_NONE), selectRow(IDC_SELECT_LIST, 52), click(IDOK)});
  EXPECT_EQ(openSelectFunction(SourceMouseDigital, 3, 0), 0);
  EXPECT_EQ(GameSettings.MouseDigitalAxes[3], GameFunctionTable[52]);
  EXPECT_STREQ(GameSettings.MouseDigitalAxes[2], "");
}

TEST_F(SelectFunction, DoubleClickingOnlySelectsAndEscapeCancels) {
  FunctionDialogState state;
  userscript::expectDialog(Caption, {doubleClickRow(IDC_SELECT_LIST, 7), lookAt(state), key(VK_ESCAPE)});
  EXPECT_EQ(openSelectFunction(SourceMouseButton, 2, 0), 1);
  EXPECT_EQ(state.selection, 7);
  EXPECT_STREQ(GameSettings.MouseButton[2], "Move_Forward");
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(SelectFunction, EnterSets) {
  userscript::expectDialog(Caption, {selectRow(IDC_SELECT_LIST, 8), key(VK_RETURN)});
  EXPECT_EQ(openSelectFunction(SourceMouseButton, 2, 0), 0);
  EXPECT_EQ(GameSettings.MouseButton[2], GameFunctionTable[8]);
}

// ---- Unrecognised sources --------------------------------------------------------------------

TEST_F(SelectFunction, UnknownSourceOffersNothingAndRefusesSetWithoutASelection) {
  const std::vector<const char *> before = mouseBindings();
  FunctionDialogState state;
  userscript::expectDialog(Caption, {lookAt(state), click(IDOK), click(IDCANCEL)});
  userscript::expectMessageBox(IDOK);
  EXPECT_EQ(openSelectFunction(5, 1, 0), 1);
  EXPECT_FALSE(state.none);
  EXPECT_FALSE(state.listEnabled);
  EXPECT_EQ(state.selection, -1);
  ASSERT_EQ(userscript::messageBoxes().size(), 1u);
  const userscript::MessageBoxRecord &box = userscript::messageBoxes()[0];
  EXPECT_EQ(box.text, "You must select a key, or tick the \"None\" box to specify a key to assign.");
  EXPECT_EQ(box.caption, "Bad Selection");
  EXPECT_EQ(box.style, (UINT)(MB_OK | MB_ICONINFORMATION));
  EXPECT_TRUE(box.owned);
  EXPECT_EQ(mouseBindings(), before);
  EXPECT_FALSE(GameSettings.configChanged);
}

TEST_F(SelectFunction, BadSelectionKeepsTheDialogOpenForAnotherTry) {
  // Ticking and unticking "None" enables the list, still without a selection.
  userscript::expectDialog(Caption, {click(IDC_SELECT_NONE), click(IDC_SELECT_NONE), click(IDOK),
                                     selectRow(IDC_SELECT_LIST, 3), click(IDOK)});
  userscript::expectMessageBox(IDOK);
  EXPECT_EQ(openSelectFunction(0x40u, 0, 0), 0);
  EXPECT_EQ(userscript::messageBoxes().size(), 1u);
  EXPECT_TRUE(GameSettings.configChanged);  // Set went through, with nothing to write
}

TEST_F(SelectFunction, UnknownSourceWritesNothingOnSet) {
  const std::vector<const char *> before = mouseBindings();
  userscript::expectDialog(Caption, {click(IDC_SELECT_NONE), click(IDOK)});
  EXPECT_EQ(openSelectFunction(0x80000005u, 0, 0), 0);
  EXPECT_EQ(mouseBindings(), before);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(SelectFunction, OutOfRangeIndexIsTreatedAsNoTarget) {
  const std::vector<const char *> before = mouseBindings();
  userscript::expectDialog(Caption, {click(IDC_SELECT_NONE), click(IDOK)});
  EXPECT_EQ(openSelectFunction(SourceMouseButton, 4, 1), 0);  // buttons 4 and 5 have no double click
  EXPECT_EQ(mouseBindings(), before);
}

}  // namespace
