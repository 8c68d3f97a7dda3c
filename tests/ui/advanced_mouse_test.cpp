// The "Advanced Mouse Options" dialog driven as a person would: the scale
// sliders both ways with their labels, the aiming mode, the analog lists,
// and the direction buttons through Select Function.
#include "dialog_test_support.h"

namespace {

using namespace dialogtest;

const char Caption[] = "Advanced Mouse Options";

INT_PTR openAdvancedMouse() { return openDialog(IDD_ADVANCED_MOUSE, advancedMouseDialogProc); }

class AdvancedMouse : public DialogTest {};

// ---- Scales ---------------------------------------------------------------------------------

struct ScaleCase {
  int32_t scale;
  int position;
  const char *label;
};

TEST_F(AdvancedMouse, ScaleOpensAtTheNextTenthUpWithItsLabel) {
  const ScaleCase cases[] = {
      {65536, 10, " 1.0"},    {98304, 15, " 1.5"},  {-98304, -15, "-1.5"}, {32768, 5, " 0.5"}, {262144, 40, " 4.0"},
      {-262144, -40, "-4.0"}, {0, 0, " 0.0"},       {1, 1, " 0.1"},        {6553, 1, " 0.1"},  {65537, 11, " 1.1"},
      {-6553, 0, " 0.0"},     {-45875, -6, "-0.6"}, {-32768, -5, "-0.5"},
  };
  for (const ScaleCase &c : cases) {
    SCOPED_TRACE(c.scale);
    GameSettings.MouseAnalogScale[0] = c.scale;
    GameSettings.MouseAnalogScale[1] = c.scale;
    int positionX = -99, positionY = -99;
    std::string labelX, labelY;
    userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                         positionX = (int)SendDlgItemMessageA(d, IDC_MOUSE_X_SCALE, TBM_GETPOS, 0, 0);
                                         positionY = (int)SendDlgItemMessageA(d, IDC_MOUSE_Y_SCALE, TBM_GETPOS, 0, 0);
                                         labelX = controlText(d, IDC_MOUSE_X_LABEL);
                                         labelY = controlText(d, IDC_MOUSE_Y_LABEL);
                                       }),
                                       key(VK_ESCAPE)});
    EXPECT_EQ(openAdvancedMouse(), 0);
    EXPECT_EQ(positionX, c.position);
    EXPECT_EQ(positionY, c.position);
    EXPECT_EQ(labelX, c.label);
    EXPECT_EQ(labelY, c.label);
    // Opening converts for display only.
    EXPECT_EQ(GameSettings.MouseAnalogScale[0], c.scale);
    EXPECT_FALSE(GameSettings.configChanged);
  }
}

TEST_F(AdvancedMouse, SlidersCoverMinusFourToFourInTenthsWithAPageOfOne) {
  int low = 0, high = 0, page = 0;
  userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                       low = (int)SendDlgItemMessageA(d, IDC_MOUSE_Y_SCALE, TBM_GETRANGEMIN, 0, 0);
                                       high = (int)SendDlgItemMessageA(d, IDC_MOUSE_Y_SCALE, TBM_GETRANGEMAX, 0, 0);
                                       page = (int)SendDlgItemMessageA(d, IDC_MOUSE_X_SCALE, TBM_GETPAGESIZE, 0, 0);
                                     }),
                                     click(IDOK)});
  openAdvancedMouse();
  EXPECT_EQ(low, -40);
  EXPECT_EQ(high, 40);
  EXPECT_EQ(page, 10);
}

TEST_F(AdvancedMouse, MovingASliderStoresTheTruncatedScaleAndShowsTheLabel) {
  // The Y slider goes to the opposite position: truncation is symmetric.
  const struct {
    int position;
    int32_t scale;
    const char *label, *oppositeLabel;
  } cases[] = {
      {10, 65536, " 1.0", "-1.0"},  {15, 98304, " 1.5", "-1.5"},  {1, 6553, " 0.1", "-0.1"},
      {3, 19660, " 0.3", "-0.3"},   {-1, -6553, "-0.1", " 0.1"},  {-3, -19660, "-0.3", " 0.3"},
      {-7, -45875, "-0.7", " 0.7"}, {40, 262144, " 4.0", "-4.0"}, {-40, -262144, "-4.0", " 4.0"},
      {0, 0, " 0.0", " 0.0"},       {-5, -32768, "-0.5", " 0.5"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.position);
    GameSettings.configChanged = false;
    GameSettings.MouseAnalogScale[0] = 13107;  // 0.2: away from every case
    GameSettings.MouseAnalogScale[1] = 13107;
    std::string labelX, labelY;
    int32_t scaleXBeforeY = 0;
    userscript::expectDialog(Caption,
                             {dragTrackbar(IDC_MOUSE_X_SCALE, c.position), inspect([&](HWND d) {
                                labelX = controlText(d, IDC_MOUSE_X_LABEL);
                                scaleXBeforeY = GameSettings.MouseAnalogScale[0];
                              }),
                              dragTrackbar(IDC_MOUSE_Y_SCALE, -c.position),
                              inspect([&](HWND d) { labelY = controlText(d, IDC_MOUSE_Y_LABEL); }), click(IDOK)});
    openAdvancedMouse();
    EXPECT_EQ(scaleXBeforeY, c.scale);
    EXPECT_EQ(GameSettings.MouseAnalogScale[0], c.scale);
    EXPECT_EQ(GameSettings.MouseAnalogScale[1], -c.scale);
    EXPECT_EQ(labelX, c.label);
    EXPECT_EQ(labelY, c.oppositeLabel);
    EXPECT_TRUE(GameSettings.configChanged);
  }
}

TEST_F(AdvancedMouse, KeyboardStepsOnASliderAreEditsToo) {
  GameSettings.MouseAnalogScale[0] = 65536;
  std::string label;
  userscript::expectDialog(
      Caption, {key(VK_RIGHT), inspect([&](HWND d) { label = controlText(d, IDC_MOUSE_X_LABEL); }), click(IDOK)});
  openAdvancedMouse();
  EXPECT_EQ(label, " 1.1");
  EXPECT_EQ(GameSettings.MouseAnalogScale[0], 72089);
  EXPECT_TRUE(GameSettings.configChanged);
}

// ---- Aiming mode ------------------------------------------------------------------------------

TEST_F(AdvancedMouse, AimingModeShowsToggleOnlyForZero) {
  const struct {
    int32_t aiming;
    bool toggle;
  } cases[] = {{0, true}, {1, false}, {5, false}, {-2, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.aiming);
    GameSettings.MouseAiming = c.aiming;
    bool toggle = !c.toggle, momentary = c.toggle;
    userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                         toggle = isChecked(d, IDC_MOUSE_TOGGLE);
                                         momentary = isChecked(d, IDC_MOUSE_MOMENTARY);
                                       }),
                                       key(VK_ESCAPE)});
    openAdvancedMouse();
    EXPECT_EQ(toggle, c.toggle);
    EXPECT_EQ(momentary, !c.toggle);
  }
}

TEST_F(AdvancedMouse, AimingButtonsStoreOneAndZero) {
  int32_t afterMomentary = -99;
  userscript::expectDialog(
      Caption, {click(IDC_MOUSE_MOMENTARY), inspect([&](HWND) { afterMomentary = GameSettings.MouseAiming; }),
                click(IDC_MOUSE_TOGGLE), click(IDOK)});
  openAdvancedMouse();
  EXPECT_EQ(afterMomentary, 1);
  EXPECT_EQ(GameSettings.MouseAiming, 0);
  EXPECT_TRUE(GameSettings.configChanged);
}

// ---- Analog functions ----------------------------------------------------------------------------

TEST_F(AdvancedMouse, AnalogListsOfferNoneAndTheThreeFunctions) {
  GameSettings.MouseAnalogAxes[0] = 0;
  GameSettings.MouseAnalogAxes[1] = 2;
  std::vector<std::string> rowsX, rowsY;
  int rowX = -99, rowY = -99;
  userscript::expectDialog(Caption, {inspect([&](HWND d) {
                                       for (int r = 0; r < comboCount(d, IDC_MOUSE_ANALOG_X); ++r)
                                         rowsX.push_back(comboRowText(d, IDC_MOUSE_ANALOG_X, r));
                                       for (int r = 0; r < comboCount(d, IDC_MOUSE_ANALOG_Y); ++r)
                                         rowsY.push_back(comboRowText(d, IDC_MOUSE_ANALOG_Y, r));
                                       rowX = comboSelection(d, IDC_MOUSE_ANALOG_X);
                                       rowY = comboSelection(d, IDC_MOUSE_ANALOG_Y);
                                     }),
                                     click(IDOK)});
  openAdvancedMouse();
  const std::vector<std::string> expected = {"", "analog_turning", "analog_strafing", "analog_moving"};
  EXPECT_EQ(rowsX, expected);
  EXPECT_EQ(rowsY, expected);
  EXPECT_EQ(rowX, 1);
  EXPECT_EQ(rowY, 3);
}

TEST_F(AdvancedMouse, NoAnalogFunctionShowsTheEmptyRow) {
  GameSettings.MouseAnalogAxes[0] = -1;
  int rowX = -99;
  userscript::expectDialog(Caption,
                           {inspect([&](HWND d) { rowX = comboSelection(d, IDC_MOUSE_ANALOG_X); }), click(IDOK)});
  openAdvancedMouse();
  EXPECT_EQ(rowX, 0);
}

TEST_F(AdvancedMouse, ChoosingAnAnalogRowStoresItsIndex) {
  // Every row on both axes, the last one included; each starts from another
  // function, so a row that stores nothing shows.
  const struct {
    int row;
    int32_t index, before;
  } cases[] = {{0, -1, 1}, {1, 0, 2}, {2, 1, -1}, {3, 2, 0}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.row);
    GameSettings.MouseAnalogAxes[0] = c.before;
    GameSettings.MouseAnalogAxes[1] = c.before;
    GameSettings.configChanged = false;
    userscript::expectDialog(Caption,
                             {selectRow(IDC_MOUSE_ANALOG_X, c.row), selectRow(IDC_MOUSE_ANALOG_Y, c.row), click(IDOK)});
    openAdvancedMouse();
    EXPECT_EQ(GameSettings.MouseAnalogAxes[0], c.index);
    EXPECT_EQ(GameSettings.MouseAnalogAxes[1], c.index);
    EXPECT_TRUE(GameSettings.configChanged);
  }
}

TEST_F(AdvancedMouse, TouchingAnAnalogListMarksAChangeWithoutChangingIt) {
  userscript::expectDialog(Caption, {focus(IDC_MOUSE_ANALOG_Y), click(IDOK)});
  openAdvancedMouse();
  EXPECT_EQ(GameSettings.MouseAnalogAxes[1], 2);
  EXPECT_TRUE(GameSettings.configChanged);
}

TEST_F(AdvancedMouse, AnAnalogListWithoutASelectionStoresNothing) {
  // An index the loader never produces leaves the list without a selection;
  // touching the list must not store row -1 - 1.
  GameSettings.MouseAnalogAxes[0] = 9;
  int row = -99;
  userscript::expectDialog(Caption, {inspect([&](HWND d) { row = comboSelection(d, IDC_MOUSE_ANALOG_X); }),
                                     focus(IDC_MOUSE_ANALOG_X), click(IDOK)});
  openAdvancedMouse();
  EXPECT_EQ(row, -1);
  EXPECT_EQ(GameSettings.MouseAnalogAxes[0], 9);
}

// ---- Digital directions ----------------------------------------------------------------------------

std::vector<std::string> directionCaptions(HWND d) {
  return {controlText(d, IDC_MOUSE_DIGITAL_LEFT), controlText(d, IDC_MOUSE_DIGITAL_RIGHT),
          controlText(d, IDC_MOUSE_DIGITAL_UP), controlText(d, IDC_MOUSE_DIGITAL_DOWN)};
}

TEST_F(AdvancedMouse, DirectionButtonsShowTheirFunctionOrNothing) {
  GameSettings.MouseDigitalAxes[1] = GameFunctionTable[5];
  std::vector<std::string> captions;
  userscript::expectDialog(Caption, {inspect([&](HWND d) { captions = directionCaptions(d); }), click(IDOK)});
  openAdvancedMouse();
  EXPECT_EQ(captions, (std::vector<std::string>{"", "Fire", "", ""}));
}

TEST_F(AdvancedMouse, EachDirectionButtonOpensSelectFunctionForItsDirection) {
  const struct {
    int button;
    int32_t direction;
    const char *line;
  } cases[] = {
      {IDC_MOUSE_DIGITAL_UP, 2, "Mouse Digital Up"},
      {IDC_MOUSE_DIGITAL_LEFT, 0, "Mouse Digital Left"},
      {IDC_MOUSE_DIGITAL_RIGHT, 1, "Mouse Digital Right"},
      {IDC_MOUSE_DIGITAL_DOWN, 3, "Mouse Digital Down"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.line);
    std::string line;
    userscript::expectDialog(Caption, {click(c.button), click(IDOK)});
    userscript::expectDialog("Select Function",
                             {inspect([&](HWND d) { line = controlText(d, IDC_SELECT_TARGET); }), click(IDCANCEL)});
    openAdvancedMouse();
    EXPECT_EQ(line, c.line);
    EXPECT_EQ(FunctionSelectRequest.sourceKind, SourceMouseDigital);
    EXPECT_EQ(FunctionSelectRequest.sourceIndex, c.direction);
    EXPECT_EQ(FunctionSelectRequest.doubleClicked, 0);
  }
  EXPECT_FALSE(GameSettings.configChanged);  // cancelled every time
}

TEST_F(AdvancedMouse, TopButtonCaptionFollowsSetSetWithNoneAndCancel) {
  std::vector<std::string> afterSet, afterCancel, afterNone;
  std::string offered;
  userscript::expectDialog(
      Caption, {click(IDC_MOUSE_DIGITAL_UP), inspect([&](HWND d) { afterSet = directionCaptions(d); }),
                click(IDC_MOUSE_DIGITAL_UP), inspect([&](HWND d) { afterCancel = directionCaptions(d); }),
                click(IDC_MOUSE_DIGITAL_UP), inspect([&](HWND d) { afterNone = directionCaptions(d); }), click(IDOK)});
  userscript::expectDialog("Select Function", {click(IDC_SELECT_NONE),
                                               inspect([&](HWND d) { offered = listSelectedText(d, IDC_SELECT_LIST); }),
                                               selectRow(IDC_SELECT_LIST, 33), click(IDOK)});
  userscript::expectDialog("Select Function", {selectRow(IDC_SELECT_LIST, 2), click(IDCANCEL)});
  userscript::expectDialog("Select Function", {click(IDC_SELECT_NONE), click(IDOK)});
  openAdvancedMouse();
  EXPECT_EQ(offered, "Move_Forward");
  EXPECT_EQ(afterSet, (std::vector<std::string>{"", "", "Jetpack", ""}));
  EXPECT_EQ(afterCancel, afterSet);
  EXPECT_EQ(afterNone, (std::vector<std::string>{"", "", "", ""}));
  EXPECT_STREQ(GameSettings.MouseDigitalAxes[2], "");
}

TEST_F(AdvancedMouse, RefillAfterSetKeepsTheEditsAlreadyMade) {
  std::string labelX;
  int rowY = -99;
  userscript::expectDialog(Caption, {dragTrackbar(IDC_MOUSE_X_SCALE, -25), selectRow(IDC_MOUSE_ANALOG_Y, 0),
                                     click(IDC_MOUSE_DIGITAL_DOWN), inspect([&](HWND d) {
                                       labelX = controlText(d, IDC_MOUSE_X_LABEL);
                                       rowY = comboSelection(d, IDC_MOUSE_ANALOG_Y);
                                     }),
                                     click(IDOK)});
  userscript::expectDialog("Select Function", {click(IDC_SELECT_NONE), click(IDOK)});
  openAdvancedMouse();
  EXPECT_EQ(labelX, "-2.5");
  EXPECT_EQ(rowY, 0);
  EXPECT_EQ(GameSettings.MouseDigitalAxes[3], GameFunctionTable[0]);
}

TEST_F(AdvancedMouse, EnterAndEscapeCloseAndKeepTheEdits) {
  userscript::expectDialog(Caption, {click(IDC_MOUSE_MOMENTARY), key(VK_RETURN)});
  EXPECT_EQ(openAdvancedMouse(), 0);
  EXPECT_EQ(GameSettings.MouseAiming, 1);
  userscript::expectDialog(Caption, {click(IDC_MOUSE_TOGGLE), key(VK_ESCAPE)});
  EXPECT_EQ(openAdvancedMouse(), 0);
  EXPECT_EQ(GameSettings.MouseAiming, 0);
}

}  // namespace
