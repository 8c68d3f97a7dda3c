/* Shared by the Qt-only tests: a fixture with fresh settings and two MIDI
 * devices, a way to open every dialog in turn, and the check that a dialog is
 * laid out in dialog units with nothing clipped (run on every screen the
 * tests stand for).
 */
#pragma once

#include <gtest/gtest.h>

#include <QtWidgets>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_internal.h"
#include "platform/resources.h"
#include "settings/settings.h"
#include "tests/common/open_dialog.h"
#include "tests/common/process_state.h"
#include "tests/common/scratch_folder.h"
#include "tests/harness/scripted_user/test_midi_devices.h"
#include "tests/harness/scripted_user/user_script.h"
#include "ui/dialogs.h"
#include "ui/main_menu.h"
#include "ui/resource.h"

class QtBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    resetProcessState(KeySelectRequest, FunctionSelectRequest);
    setMidiOutDevicesForTesting(&devices_);
  }
  void TearDown() override { setMidiOutDevicesForTesting(nullptr); }

  std::vector<std::string> devices_ = {"Synth A", "Synth B"};
  // A save writes gardum.cfg here, never where a file of an earlier run is.
  ScratchFolder folder_{ScratchFolder::Entered};
};

// Opens each of the six dialogs on its own, runs `look` on it once it shows
// and closes it again. The Select Key dialog edits the binding of function 9
// ("Jump"), the Select Function dialog that of the left mouse button.
inline void inEveryDialog(const std::function<void(HWND dialog, const DialogTemplateData &data)> &look) {
  struct Opened {
    int id;
    DLGPROC proc;
  };
  const Opened dialogs[] = {
      {IDD_MAIN_MENU, mainMenuDialogProc},         {IDD_MUSIC_SOUND_VIDEO, musicSoundVideoDialogProc},
      {IDD_INPUT_DEVICES, inputDevicesDialogProc}, {IDD_ADVANCED_MOUSE, advancedMouseDialogProc},
      {IDD_SELECT_KEY, selectKeyDialogProc},       {IDD_SELECT_FUNCTION, selectFunctionDialogProc}};
  for (const Opened &opened : dialogs) {
    const DialogTemplateData *data = findDialogTemplate(opened.id);
    ASSERT_NE(data, nullptr);
    SCOPED_TRACE(data->caption);
    KeySelectRequest.functionIndex = 9;
    userscript::expectDialog(opened.id == IDD_SELECT_KEY ? "Select Primary Key" : data->caption,
                             {userscript::inspect([&](HWND d) { look(d, *data); }),
                              userscript::key(opened.id == IDD_MAIN_MENU ? VK_RETURN : VK_ESCAPE)});
    openDialog(opened.id, opened.proc);
  }
}

// Sizes in dialog units through the base units, every template text inside
// its control, the caption, the close box only with a system menu and never
// a minimise or maximise box, centred on the screen's work area. A list box
// keeps its place and width and is at most as high as its template, short of
// it by less than a pixel per row.
inline void expectLaidOutInDialogUnits(HWND d, const DialogTemplateData &data) {
  QWidget *window = qtWidgetFor(d);
  EXPECT_EQ(window->windowTitle().toStdString(), d->text);  // what xdotool search --name finds
  // Window systems append an application display name, once one is set, to
  // every title they show; without one the title is the caption alone.
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
  EXPECT_EQ(window->size(), QSize(qtDialogUnitsToPixelsX(data.cx), qtDialogUnitsToPixelsY(data.cy)));
  bool hasSystemMenu = data.style & WS_SYSMENU;
  EXPECT_EQ(bool(window->windowFlags() & Qt::WindowCloseButtonHint), hasSystemMenu);
  EXPECT_FALSE(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  // Centred on the screen's work area (to the pixel, after two roundings).
  QRect area = window->screen()->availableGeometry();
  EXPECT_LE(std::abs(window->geometry().center().x() - area.center().x()), 2);
  EXPECT_LE(std::abs(window->geometry().center().y() - area.center().y()), 2);
  for (int i = 0; i < data.controlCount; ++i) {
    const DialogControlTemplate &t = data.controls[i];
    QWidget *widget = qtWidgetFor(d->controls[static_cast<size_t>(i)]);
    SCOPED_TRACE(t.text ? t.text : "");
    EXPECT_EQ(widget->x(), qtDialogUnitsToPixelsX(t.x));
    EXPECT_EQ(widget->y(), qtDialogUnitsToPixelsY(t.y));
    EXPECT_EQ(widget->width(), qtDialogUnitsToPixelsX(t.cx));
    if (auto *label = qobject_cast<QLabel *>(widget)) {
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width());
      EXPECT_LE(label->fontMetrics().height(), label->height());
    } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
      QString text = button->text().remove(QRegularExpression(QStringLiteral("&(?!&)")));
      EXPECT_LE(button->fontMetrics().horizontalAdvance(text), button->width() - 4);
    } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
      EXPECT_LE(button->sizeHint().width(), button->width());  // check box or radio: box and text
    } else if (auto *list = dynamic_cast<TgListBox *>(widget)) {
      int height = qtDialogUnitsToPixelsY(t.cy);
      int rows = list->viewport()->height() / list->rowHeight();
      EXPECT_LE(list->height(), height);
      EXPECT_GT(list->height(), height - rows);
    }
  }
}
