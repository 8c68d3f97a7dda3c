// The desktop window's manners: a program that minimising one of its
// windows never hides with nothing left on screen.
#include <QtWidgets>
#include <string>
#include <vector>

#include "tests/qt/qt_test_support.h"

namespace {

using namespace userscript;

// ---- Minimising ----------------------------------------------------------------------

// What a window manager does to a window: a new state, then the events it
// causes handled (no timer is involved).
void setState(QWidget *window, Qt::WindowStates state) {
  window->setWindowState(state);
  for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
}

QWidget *menuOf(HWND dialog) { return qtWidgetFor(dialog->owner); }

// A dialog over the main menu, or a message box, minimised on its own would
// leave only a disabled menu, or nothing, on screen: it comes back at once.
TEST_F(QtBackend, ADialogOrMessageBoxMinimisedOnItsOwnComesBack) {
  bool dialogBack = false, boxBack = false, dialogActive = false;
  expectDialog("Tarrengard Configuration", {click(IDC_MENU_INPUT_DEVICES), click(IDC_MENU_SAVE), key(VK_ESCAPE)});
  expectDialog("Input Devices", {inspect([&](HWND d) {
                                   setState(qtWidgetFor(d), Qt::WindowMinimized);
                                   dialogBack = !qtWidgetFor(d)->isMinimized();
                                   dialogActive = QApplication::activeModalWidget() == qtWidgetFor(d);
                                 }),
                                 key(VK_ESCAPE)});
  expectMessageBox(IDOK, {inspect([&](HWND) {
                     QWidget *box = QApplication::activeModalWidget();
                     ASSERT_NE(box, nullptr);
                     setState(box, Qt::WindowMinimized);
                     boxBack = !box->isMinimized();
                   })});  // Configuration saved.
  open(IDD_MAIN_MENU, mainMenuDialogProc);
  EXPECT_TRUE(dialogBack);
  EXPECT_TRUE(dialogActive);
  EXPECT_TRUE(boxBack);
}

// Minimising the main menu takes the program to its taskbar entry with every
// dialog over it; restoring the menu brings them all back.
TEST_F(QtBackend, TheMenuMinimisedWithItsDialogsStaysSoAndComesBackWithThem) {
  bool bothStayed = false, dialogBack = false, dialogActive = false;
  expectDialog("Tarrengard Configuration", {click(IDC_MENU_INPUT_DEVICES), key(VK_ESCAPE)});
  expectDialog("Input Devices", {inspect([&](HWND d) {
                                   QWidget *menu = menuOf(d), *dialog = qtWidgetFor(d);
                                   setState(menu, Qt::WindowMinimized);
                                   setState(dialog, Qt::WindowMinimized);
                                   bothStayed = menu->isMinimized() && dialog->isMinimized();
                                   setState(menu, Qt::WindowNoState);
                                   dialogBack = !dialog->isMinimized();
                                   dialogActive = QApplication::activeModalWidget() == dialog;
                                 }),
                                 key(VK_ESCAPE)});
  open(IDD_MAIN_MENU, mainMenuDialogProc);
  EXPECT_TRUE(bothStayed);
  EXPECT_TRUE(dialogBack);
  EXPECT_TRUE(dialogActive);
}

// A dialog that opens while the menu is minimised brings the menu back first.
TEST_F(QtBackend, ADialogOpeningOverAMinimisedMenuBringsItBack) {
  bool menuBack = false;
  expectDialog("Tarrengard Configuration", {inspect([](HWND d) {
                                              setState(qtWidgetFor(d), Qt::WindowMinimized);
                                              SendDlgItemMessageA(d, IDC_MENU_INPUT_DEVICES, BM_CLICK, 0, 0);
                                            }),
                                            key(VK_ESCAPE)});
  expectDialog("Input Devices", {inspect([&](HWND d) { menuBack = !menuOf(d)->isMinimized(); }), key(VK_ESCAPE)});
  open(IDD_MAIN_MENU, mainMenuDialogProc);
  EXPECT_TRUE(menuBack);
}

}  // namespace
