// The dialogs on a 1280x1024 screen at twice the density (QT_SCALE_FACTOR=2):
// 640x512 pixels to lay out in, where Input Devices at the usual font would
// be about 700 wide. Qt fixes the scale once per process, so this program
// sets the screen before Qt starts. The dialog font shrinks until the
// largest dialog fits; every dialog then lies wholly on the screen, laid out
// in dialog units as anywhere else, and works from the keyboard.
#include <QtWidgets>
#include <cstdlib>

#include "tests/qt/qt_test_support.h"

namespace {

using namespace userscript;

const bool SmallScreen = [] {
  setenv("QT_QPA_PLATFORM", "offscreen:configfile=" TG_SMALL_SCREEN_CONFIG, 1);
  setenv("QT_SCALE_FACTOR", "2", 1);
  return true;
}();

QRect workArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// Input Devices, the widest dialog, fits with room for a window frame, at a
// font smaller than the usual 9 points but still legible.
TEST_F(QtBackend, TheDialogFontShrinksUntilInputDevicesFits) {
  ASSERT_TRUE(SmallScreen);
  qtEnsureApplication();
  ASSERT_EQ(workArea(), QRect(0, 0, 640, 512));
  ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
  const DialogTemplateData *inputDevices = findDialogTemplate(IDD_INPUT_DEVICES);
  ASSERT_NE(inputDevices, nullptr);
  EXPECT_LT(qtDialogFont().pointSizeF(), 9);
  EXPECT_GE(qtDialogFont().pointSizeF(), 6);
  EXPECT_LE(qtDialogUnitsToPixelsX(inputDevices->cx), workArea().width() - 32);
  EXPECT_LE(qtDialogUnitsToPixelsY(inputDevices->cy), workArea().height() - 64);
}

TEST_F(QtBackend, EveryDialogLiesOnTheScreenLaidOutInDialogUnits) {
  inEveryDialog([](HWND d, const DialogTemplateData &data) {
    expectLaidOutInDialogUnits(d, data);
    QWidget *window = qtWidgetFor(d);
    EXPECT_TRUE(workArea().contains(window->frameGeometry())) << window->frameGeometry().width();
    for (HWND control : d->controls) {
      QWidget *widget = qtWidgetFor(control);
      EXPECT_TRUE(workArea().contains(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()))) << control->id;
    }
  });
}

// From the main menu to Input Devices and round all its tab stops by keys
// alone: each control the focus reaches is on the screen.
TEST_F(QtBackend, InputDevicesWorksFromTheKeyboardAlone) {
  std::vector<int> reached;
  bool allOnScreen = true;
  auto note = [&](HWND) {
    HWND focus = GetFocus();
    ASSERT_NE(focus, nullptr);
    reached.push_back(GetDlgCtrlID(focus));
    QWidget *widget = qtWidgetFor(focus);
    allOnScreen = allOnScreen && workArea().contains(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
  };
  std::vector<Action> round = {inspect(note)};
  for (int i = 0; i < 9; ++i) {
    round.push_back(key(VK_TAB));
    round.push_back(inspect(note));
  }
  round.push_back(key(VK_ESCAPE));
  expectDialog("Tarrengard Configuration", {key(VK_TAB), key(VK_TAB), key(VK_RETURN), key(VK_ESCAPE)});
  expectDialog("Input Devices", round);
  expectMessageBox(IDNO);  // Save now? (the device list counts as looked at)
  openDialog(IDD_MAIN_MENU, mainMenuDialogProc);
  // Nine tab stops, in template order, and round to the first again.
  const std::vector<int> expected = {IDC_INPUT_SELECT_SECONDARY, IDC_INPUT_SELECT_PRIMARY, IDC_INPUT_ACTIONS,
                                     IDC_INPUT_MOUSE_SELECT,     IDC_INPUT_MOUSE_LIST,     IDOK,
                                     IDC_INPUT_ADVANCED,         IDC_INPUT_CONTROLLER,     IDC_INPUT_DEFAULTS,
                                     IDC_INPUT_SELECT_SECONDARY};
  EXPECT_EQ(reached, expected);
  EXPECT_TRUE(allOnScreen);
}

}  // namespace
