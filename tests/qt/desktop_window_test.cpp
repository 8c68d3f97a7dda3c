// The desktop window's manners: what a screen reader hears of each control,
// list boxes that show whole rows and mark the focus, and a program that
// minimising one of its windows never hides with nothing left on screen.
#include <QAccessible>
#include <QtWidgets>
#include <map>
#include <string>
#include <vector>

#include "tests/qt/qt_test_support.h"

namespace {

using namespace userscript;

// ---- Screen readers ------------------------------------------------------------------

// What a screen reader names each control, in template order: its own text,
// else the label before it as Windows finds it ("Video" names the
// resolution list, whose "Resolution:" label comes last in the template),
// else the label after it ("Action"), else the last label before it (the
// four direction buttons, blank while unbound, are "Digital"). A control the
// program retitles is named by the text it shows then ("Jump" is the
// function being bound, " 1.0" a scale).
const std::map<int, std::vector<const char *>> ExpectedNames = {
    {IDD_MAIN_MENU,
     {"Exit", "Select a category", "Music, Sound and Video", "Input Devices", "Save Configuration",
      "Save and Run Brax"}},
    {IDD_MUSIC_SOUND_VIDEO,
     {"Music", "Enabled", "Music device:", "Music device:", "Sound", "Enabled", "Voices:", "Voices:", "Sample size:",
      "8-bit", "16-bit", "Sample rate:", "Sample rate:", "Video", "Video", "Fullscreen", "Close", "Resolution:"}},
    {IDD_INPUT_DEVICES,
     {"Select Secondary", "Select Primary", "Action", "Action", "Key Assignments", "Select", "* = Double-clicked",
      "Mouse buttons (* = double-click)", "Button", "Mouse Assignments", "Close", "Advanced...", "Input Devices:", "Input Devices:",
      "! after a key = also bound elsewhere", "Defaults"}},
    {IDD_ADVANCED_MOUSE,
     {"Mouse",
      "X-Axis Scale:",
      "X-Axis Scale:",
      "1.0",
      "Y-Axis Scale:",
      "Y-Axis Scale:",
      "1.0",
      "Mouse Aiming Mode:",
      "Toggle",
      "Momentary",
      "Analogue X:",
      "Analogue X:",
      "Y:",
      "Y:",
      "Digital",
      "Digital",
      "Digital",
      "Digital",
      "Digital",
      "Close"}},
    {IDD_SELECT_KEY,
     {"Select the key to assign to:", "Jump", "Jump", "None", "Set", "Cancel", "Press a key...", "Also bound to: nothing else"}},
    {IDD_SELECT_FUNCTION, {"Select the function to assign to:", "Mouse Left", "Mouse Left", "Set", "Cancel", "None"}},
};

TEST_F(QtBackend, EveryControlHasTheNameAScreenReaderGivesIt) {
  inEveryDialog([](HWND d, const DialogTemplateData &data) {
    const std::vector<const char *> &expected = ExpectedNames.at(data.id);
    ASSERT_EQ(expected.size(), d->controls.size());
    for (size_t i = 0; i < d->controls.size(); ++i) {
      QAccessibleInterface *control = QAccessible::queryAccessibleInterface(qtWidgetFor(d->controls[i]));
      ASSERT_NE(control, nullptr) << i;
      EXPECT_EQ(control->text(QAccessible::Name).toStdString(), expected[i]) << "control " << i;
      // A drop-down list's chosen row is its value, not its name.
      if (auto *combo = qobject_cast<QComboBox *>(qtWidgetFor(d->controls[i]))) {
        EXPECT_EQ(control->text(QAccessible::Value), combo->currentText()) << "control " << i;
      }
    }
  });
}

// A screen reader says what kind of control it is on.
TEST_F(QtBackend, EveryControlHasTheRoleOfItsKind) {
  const std::map<WindowKind, QAccessible::Role> roles = {
      {WindowKind::PushButton, QAccessible::Button},     {WindowKind::CheckBox, QAccessible::CheckBox},
      {WindowKind::RadioButton, QAccessible::RadioButton}, {WindowKind::GroupBox, QAccessible::Grouping},
      {WindowKind::Static, QAccessible::StaticText},     {WindowKind::ListBox, QAccessible::List},
      {WindowKind::ComboBox, QAccessible::ComboBox},     {WindowKind::Trackbar, QAccessible::Slider},
  };
  inEveryDialog([&](HWND d, const DialogTemplateData &) {
    for (size_t i = 0; i < d->controls.size(); ++i) {
      QAccessibleInterface *control = QAccessible::queryAccessibleInterface(qtWidgetFor(d->controls[i]));
      ASSERT_NE(control, nullptr) << i;
      EXPECT_EQ(control->role(), roles.at(d->controls[i]->kind)) << "control " << i;
    }
  });
}

// ---- List boxes ------------------------------------------------------------------------

// Every list of every dialog shows whole rows, at least a text line high,
// also scrolled to its end.
TEST_F(QtBackend, ListBoxesShowWholeRows) {
  int lists = 0;
  inEveryDialog([&](HWND d, const DialogTemplateData &) {
    for (HWND control : d->controls) {
      if (control->kind != WindowKind::ListBox) continue;
      ++lists;
      auto *list = qtAs<TgListBox>(qtWidgetFor(control));
      SCOPED_TRACE(control->id);
      int row = list->rowHeight();
      EXPECT_GE(row, list->fontMetrics().height());
      EXPECT_EQ(list->viewport()->height() % row, 0) << list->viewport()->height() << " / " << row;
      if (list->count() == 0) continue;
      QModelIndex top = list->indexAt(QPoint(1, 1));  // scrolled to the selection
      EXPECT_EQ(list->visualRect(top), QRect(0, 0, list->viewport()->width(), row));
      list->scrollToBottom();
      QRect last = list->visualItemRect(list->item(list->count() - 1));
      EXPECT_EQ(last.bottom(), list->viewport()->height() - 1);
      EXPECT_EQ(last.top() % row, 0);
    }
  });
  EXPECT_EQ(lists, 4);  // Input Devices' two, one in each Select dialog
}

// The Action list at the opening of Input Devices has no selection: tabbed
// to, it shows a dotted rectangle on its first row (where the arrow keys
// start), which goes once a row is selected or the focus moves on.
TEST_F(QtBackend, AFocusedListWithoutASelectionShowsAFocusRectangle) {
  QRect markAtTab, markAfterDown = {0, 0, 1, 1}, markAfterLeaving = {0, 0, 1, 1}, firstRow;
  QImage focused, unfocused;
  auto actions = [](HWND d) { return qtAs<TgListBox>(qtWidgetFor(GetDlgItem(d, IDC_INPUT_ACTIONS))); };
  expectDialog("Input Devices",
               {inspect([&](HWND d) { unfocused = actions(d)->viewport()->grab().toImage(); }), key(VK_TAB),
                key(VK_TAB), inspect([&](HWND d) {
                  TgListBox *list = actions(d);
                  EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_INPUT_ACTIONS));
                  EXPECT_TRUE(list->hasFocus());
                  markAtTab = list->focusMarkRect();
                  firstRow = list->visualItemRect(list->item(0));
                  focused = list->viewport()->grab().toImage();
                }),
                key(VK_TAB), inspect([&](HWND d) { markAfterLeaving = actions(d)->focusMarkRect(); }), shiftTab(),
                key(VK_DOWN), inspect([&](HWND d) { markAfterDown = actions(d)->focusMarkRect(); }), key(VK_ESCAPE)});
  openDialog(IDD_INPUT_DEVICES, inputDevicesDialogProc);
  EXPECT_EQ(markAtTab, firstRow);
  EXPECT_TRUE(markAfterLeaving.isEmpty());
  EXPECT_TRUE(markAfterDown.isEmpty());
  // Drawn: the rectangle's edges differ from the same list without the focus.
  ASSERT_EQ(focused.size(), unfocused.size());
  qreal scale = focused.devicePixelRatio();
  int changed = 0;
  for (int x = markAtTab.left(); x <= markAtTab.right(); ++x) {
    QPoint top = QPoint(x, markAtTab.top()) * scale, bottom = QPoint(x, markAtTab.bottom()) * scale;
    changed += (focused.pixel(top) != unfocused.pixel(top)) + (focused.pixel(bottom) != unfocused.pixel(bottom));
  }
  EXPECT_GT(changed, markAtTab.width() / 2);  // dotted: every other pixel at least
}

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
  openDialog(IDD_MAIN_MENU, mainMenuDialogProc);
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
  openDialog(IDD_MAIN_MENU, mainMenuDialogProc);
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
  openDialog(IDD_MAIN_MENU, mainMenuDialogProc);
  EXPECT_TRUE(menuBack);
}

}  // namespace
