/* The scripted user's Qt side: watches the application's windows from
 * outside, as a person sees them appear (an event filter on the
 * application, the way a Windows CBT hook sees windows created), takes each
 * window's step as it shows and performs the actions with QtTest's
 * window-system input (mouse presses, moves and releases, key presses), one
 * action per turn of the dialog's own modal loop, so a nested dialog runs its
 * whole step inside the action that opened it. The queue, the records and
 * the failure texts are the shared ones of
 * tests/harness/scripted_user/script_driver.h.
 */
#include "tests/harness/scripted_user/qt_scripted_user.h"

#include <QtTest/QTest>
#include <QtWidgets>
#include <memory>

#include "platform/core/user_input.h"
#include "platform/key_codes.h"
#include "platform/qt/qt_internal.h"
#include "platform/qt/qt_key_capture.h"
#include "tests/harness/scripted_user/script_driver.h"

namespace {

using userscript::Action;
using userscript::ActionKind;

int WatchdogMs = 20000;
std::function<void(QMessageBox *)> MessageBoxObserver;
std::function<void(QDialog *)> KeyCaptureObserver;

std::string quoted(HWND dialog) { return "dialog \"" + dialog->text + "\""; }

struct Run {
  HWND dialog;
  userscript::DialogRun steps;
  bool finished = false;
};
std::vector<std::shared_ptr<Run>> Runs;

std::shared_ptr<Run> runOf(HWND dialog) {
  for (auto &run : Runs)
    if (run->dialog == dialog && !run->finished) return run;
  return nullptr;
}

// ---- Input --------------------------------------------------------------------

QWindow *windowOf(QWidget *widget) { return widget->window()->windowHandle(); }
QPoint inWindow(QWidget *widget, QPoint point) { return widget->mapTo(widget->window(), point); }

void clickAt(QWidget *widget, QPoint point) {
  QTest::mouseClick(windowOf(widget), Qt::LeftButton, Qt::NoModifier, inWindow(widget, point));
}

// Keys go where a person's would: to an open popup list, else to the dialog.
QWindow *keyTarget(HWND dialog) {
  if (QWidget *popup = QApplication::activePopupWidget()) return popup->windowHandle();
  return qtWidgetFor(dialog)->windowHandle();
}

Qt::Key qtKeyFor(int virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return static_cast<Qt::Key>(Qt::Key_A + (virtualKey - 'A'));
  if (virtualKey >= '0' && virtualKey <= '9') return static_cast<Qt::Key>(Qt::Key_0 + (virtualKey - '0'));
  switch (virtualKey) {
    case VK_RETURN: return Qt::Key_Return;
    case VK_ESCAPE: return Qt::Key_Escape;
    case VK_TAB: return Qt::Key_Tab;
    case VK_SPACE: return Qt::Key_Space;
    case VK_PRIOR: return Qt::Key_PageUp;
    case VK_NEXT: return Qt::Key_PageDown;
    case VK_HOME: return Qt::Key_Home;
    case VK_END: return Qt::Key_End;
    case VK_LEFT: return Qt::Key_Left;
    case VK_UP: return Qt::Key_Up;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_DOWN: return Qt::Key_Down;
    default: return Qt::Key_unknown;
  }
}

// The open list of a drop-down, and the point of one of its rows.
QWidget *popupOf(QComboBox *combo) {
  QWidget *container = combo->view()->window();
  return container && container != combo->window() && container->isVisible() ? container : nullptr;
}

void pickFromPopup(QComboBox *combo, int row) {
  QAbstractItemView *view = combo->view();
  QModelIndex index = view->model()->index(row, 0);
  view->scrollTo(index);
  QRect rect = view->visualRect(index);
  QWidget *viewport = view->viewport();
  QTest::mouseClick(windowOf(viewport), Qt::LeftButton, Qt::NoModifier, inWindow(viewport, rect.center()));
}

// A click on a drop-down list opens it; a second click on the box closes it
// without a choice.
void openAndCloseDropDown(HWND control, QComboBox *combo) {
  clickAt(combo, combo->rect().center());
  if (!popupOf(combo)) return;  // disabled or out of reach: nothing opened
  QWidget *popup = popupOf(combo);
  QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                    popup->mapFromGlobal(combo->mapToGlobal(combo->rect().center())));
  if (isWindow(control) && control->dropped && popupOf(combo))
    QTest::keyClick(popupOf(combo)->windowHandle(), Qt::Key_Escape);
}

void selectRow(HWND control, int row, bool twice) {
  QWidget *widget = qtWidgetFor(control);
  if (auto *list = qobject_cast<QListWidget *>(widget)) {
    QListWidgetItem *item = list->item(row);
    list->scrollToItem(item);
    QWidget *viewport = list->viewport();
    QPoint point = inWindow(viewport, list->visualItemRect(item).center());
    if (twice) {
      QTest::mouseDClick(windowOf(viewport), Qt::LeftButton, Qt::NoModifier, point);
    } else {
      QTest::mouseClick(windowOf(viewport), Qt::LeftButton, Qt::NoModifier, point);
    }
    return;
  }
  auto *combo = qtAs<QComboBox>(widget);
  clickAt(combo, combo->rect().center());
  if (popupOf(combo)) pickFromPopup(combo, row);
}

// Press on the control and let go beside it: the focus moves, nothing is clicked.
void focusOnly(HWND control) {
  QWidget *widget = qtWidgetFor(control);
  switch (control->kind) {
    case WindowKind::ComboBox: openAndCloseDropDown(control, qtAs<QComboBox>(widget)); return;
    case WindowKind::ListBox: clickAt(widget, QPoint(0, 0)); return;  // the frame, not a row
    case WindowKind::Trackbar: clickAt(widget, qtAs<TgSlider>(widget)->handleRect().center()); return;
    default: break;
  }
  QWindow *window = windowOf(widget);
  QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, inWindow(widget, widget->rect().center()));
  QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, inWindow(widget, QPoint(-4, -4)));
}

void dragThumb(HWND control, int position) {
  auto *slider = qtAs<TgSlider>(qtWidgetFor(control));
  QWindow *window = windowOf(slider);
  QPoint from = slider->handleRect().center();
  QPoint to(slider->pixelForValue(qBound(slider->minimum(), position, slider->maximum())), from.y());
  QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, inWindow(slider, from));
  QTest::mouseMove(window, inWindow(slider, to));
  QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, inWindow(slider, to));
}

// The window manager's close box: a close request through the window.
void closeBox(HWND dialog) {
  QCloseEvent event;
  QCoreApplication::sendEvent(qtWidgetFor(dialog)->windowHandle(), &event);
}

// Performs one action; false (with the reason) when the user could not do it
// at all. A disabled control is not a failure: the user clicks, nothing happens.
bool perform(HWND dialog, const Action &action, std::string *why) {
  HWND control = nullptr;
  if (!resolveAction(dialog, action, &control, why)) return false;
  if (control && !qtWidgetFor(control)) {
    *why = "control " + std::to_string(action.id) + " has no widget";
    return false;
  }
  switch (action.kind) {
    case ActionKind::Click:
      if (control->kind == WindowKind::ComboBox || control->kind == WindowKind::ListBox) {
        focusOnly(control);
      } else {
        QWidget *widget = qtWidgetFor(control);
        clickAt(widget, widget->rect().center());
      }
      return true;
    case ActionKind::SelectRow:
    case ActionKind::DoubleClickRow:
      selectRow(control, action.value, action.kind == ActionKind::DoubleClickRow);
      return true;
    case ActionKind::Key: {
      Qt::Key key = qtKeyFor(action.value);
      if (key == Qt::Key_unknown) {
        *why = "there is no such key on the keyboard";
        return false;
      }
      QTest::keyClick(keyTarget(dialog), key);
      return true;
    }
    case ActionKind::AltKey: {
      char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(action.value)));
      QTest::keyClick(keyTarget(dialog), qtKeyFor(letter), Qt::AltModifier);
      return true;
    }
    case ActionKind::ShiftTab: QTest::keyClick(keyTarget(dialog), Qt::Key_Backtab, Qt::ShiftModifier); return true;
    case ActionKind::Focus: focusOnly(control); return true;
    case ActionKind::DragTrackbar: dragThumb(control, action.value); return true;
    case ActionKind::CloseBox: closeBox(dialog); return true;
    case ActionKind::Inspect:
      if (action.inspect) action.inspect(dialog);
      return true;
  }
  return true;
}

// ---- Turns -----------------------------------------------------------------------

void schedule(const std::shared_ptr<Run> &run);

void takeTurn(const std::shared_ptr<Run> &run) {
  HWND dialog = run->dialog;
  if (run->finished || !isWindow(dialog) || dialog->ended) return;
  const Action *action = run->steps.next();
  if (!action) {
    EndDialog(dialog, -1);
    qtEndFinishedLoops();
    return;
  }
  std::string why;
  if (!perform(dialog, *action, &why)) run->steps.cannot(*action, why);
  qtEndFinishedLoops();
  if (!run->finished && isWindow(dialog) && !dialog->ended) schedule(run);
}

void schedule(const std::shared_ptr<Run> &run) {
  QTimer::singleShot(0, [run] { takeTurn(run); });
}

void dialogShown(HWND dialog) {
  auto run = std::make_shared<Run>();
  run->dialog = dialog;
  if (!run->steps.start(dialog)) {
    EndDialog(dialog, -1);
    return;
  }
  Runs.push_back(run);
  QTimer::singleShot(WatchdogMs, [run] {
    if (run->finished || !isWindow(run->dialog) || run->dialog->ended) return;
    userscript::reportFailure(quoted(run->dialog) + " is still open after " + std::to_string(WatchdogMs) +
                              " ms; the watchdog ends it");
    EndDialog(run->dialog, -1);
    qtEndFinishedLoops();
  });
  schedule(run);
}

void dialogClosing(HWND dialog) {
  std::shared_ptr<Run> run = runOf(dialog);
  if (!run) return;
  run->finished = true;
  Runs.erase(std::remove(Runs.begin(), Runs.end(), run), Runs.end());
  run->steps.closed();
}

// ---- Message boxes -------------------------------------------------------------

struct BoxRun;
void boxTurn(const std::shared_ptr<BoxRun> &run);

struct BoxRun {
  QPointer<TgMessageBox> box;
  userscript::MessageBoxRun steps;
  bool observed = false;
  bool closed = false;
  int turnsLeft = 0;  // the watchdog: turns of 20 ms at most
};

void boxTurnLater(const std::shared_ptr<BoxRun> &run, int milliseconds) {
  QTimer::singleShot(milliseconds, [run] { boxTurn(run); });
}

// Escape or the close box, as a person gives them: through the window.
void pressInBox(TgMessageBox *box, const Action &action) {
  if (action.kind == ActionKind::CloseBox) {
    QCloseEvent event;
    QCoreApplication::sendEvent(box->windowHandle(), &event);
  } else {
    QTest::keyClick(box->windowHandle(), Qt::Key_Escape);
  }
}

// One turn once the box is on screen: its next action, or else a mouse click
// on the answer's button (again if the click did not end it).
void boxTurn(const std::shared_ptr<BoxRun> &run) {
  if (run->closed || !run->box) return;
  TgMessageBox *box = run->box;
  if (run->turnsLeft-- == 0) {
    userscript::reportFailure("message box \"" + box->text().toStdString() +
                              "\" could not be answered; the watchdog closes it");
    box->done(0);
    return;
  }
  if (!box->isVisible()) {
    boxTurnLater(run, 20);
    return;
  }
  if (!run->observed) {
    run->observed = true;
    if (MessageBoxObserver) MessageBoxObserver(box);
  }
  if (const Action *action = run->steps.next()) {
    std::string why;
    if (!userscript::MessageBoxRun::possible(*action, &why)) {
      run->steps.cannot(*action, why);
    } else if (action->kind == ActionKind::Inspect) {
      if (action->inspect) action->inspect(box->owner());
    } else {
      pressInBox(box, *action);
    }
    boxTurnLater(run, 0);
    return;
  }
  QAbstractButton *button = box->buttonFor(run->steps.answer());
  Q_ASSERT(button);  // the run answers only with the box's own buttons
  clickAt(button, button->rect().center());
  boxTurnLater(run, 20);
}

void messageBoxShown(TgMessageBox *box) {
  auto run = std::make_shared<BoxRun>();
  run->box = box;
  run->turnsLeft = WatchdogMs / 20;
  run->steps.start(box->owner() != nullptr, box->messageText(), box->caption(), box->type());
  // However it closes (its button, Escape, the close box), the answer is
  // the one the program gets.
  QObject::connect(box, &QDialog::finished, box, [run] {
    if (run->closed || !run->box) return;
    run->closed = true;
    run->steps.closed(run->box->answer());
  });
  boxTurnLater(run, 0);
}

// ---- The folder chooser -----------------------------------------------------------

// Once the chooser is up, the script's folder is opened in it and accepted,
// as a person would go there and press Choose; or Cancel is pressed.
void folderChooserShown(QFileDialog *chooser) {
  auto run = std::make_shared<userscript::FolderChooserRun>();
  run->start(chooser->parentWidget() != nullptr, chooser->windowTitle().toStdString(),
             chooser->directory().absolutePath().toLocal8Bit().toStdString());
  QObject::connect(chooser, &QDialog::finished, chooser, [run, chooser](int result) {
    QStringList folders = chooser->selectedFiles();
    bool chose = result == QDialog::Accepted && !folders.isEmpty();
    run->closed(chose ? folders.first().toLocal8Bit().toStdString() : std::string());
  });
  QPointer<QFileDialog> alive(chooser);
  QTimer::singleShot(0, [run, alive] {
    if (!alive) return;
    if (run->answer().empty()) {
      alive->reject();
      return;
    }
    alive->setDirectory(QString::fromLocal8Bit(run->answer().c_str()));
    static_cast<QDialog *>(alive.data())->accept();  // Choose: QFileDialog's own accept, public in QDialog
  });
}

// ---- Key-capture boxes -------------------------------------------------------------

// The key as the window system delivers it: an event to the box's window
// whose native scan code is the key's XKB keycode, with no Qt key (Escape
// aside) to lean on, as for any key a layout leaves without a symbol.
void pressKeyCode(TgKeyCaptureBox *box, int keyCode) {
  int evdev = evdevCodeForKeyCode(keyCode);
  quint32 native = evdev ? static_cast<quint32>(evdev + XkbKeycodeOffset) : 0;
  int key = keyCode == KeyCodeEscape ? Qt::Key_Escape : Qt::Key_unknown;
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, native, 0, 0);
  QCoreApplication::sendEvent(box->windowHandle(), &press);
  if (!box->isVisible()) return;
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, native, 0, 0);
  QCoreApplication::sendEvent(box->windowHandle(), &release);
}

void keyCaptureShown(TgKeyCaptureBox *box) {
  auto run = std::make_shared<userscript::KeyCaptureRun>();
  int keyCode = run->start(box->owner() != nullptr, box->caption(), box->prompt());
  QPointer<TgKeyCaptureBox> guard(box);
  QObject::connect(box, &QDialog::finished, box, [run, guard] { run->closed(guard ? guard->keyCode() : -1); });
  QTimer::singleShot(0, box, [guard, keyCode] {
    if (!guard || !guard->isVisible()) return;
    if (keyCode < 0) {
      guard->reject();  // no step for it (reported): closed without a key
      return;
    }
    if (KeyCaptureObserver) KeyCaptureObserver(guard);
    pressKeyCode(guard, keyCode);
  });
  QTimer::singleShot(WatchdogMs, box, [guard] {
    if (!guard || !guard->isVisible()) return;
    userscript::reportFailure("key-capture box \"" + guard->prompt() + "\" is still open after " +
                              std::to_string(WatchdogMs) + " ms; the watchdog closes it");
    guard->reject();
  });
}

// ---- Seeing windows come and go ----------------------------------------------------

// A dialog shows once its WM_INITDIALOG is done (so a caption set there is
// the one compared) and hides when its modal loop has returned. The window
// system's own show and hide events (a window minimised and restored) open
// and close nothing.
class WindowWatcher : public QObject {
 public:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->spontaneous()) return false;
    if (event->type() == QEvent::Show) {
      if (auto *box = dynamic_cast<TgMessageBox *>(watched)) {
        messageBoxShown(box);
      } else if (auto *chooser = dynamic_cast<QFileDialog *>(watched)) {
        folderChooserShown(chooser);
      } else if (auto *capture = dynamic_cast<TgKeyCaptureBox *>(watched)) {
        keyCaptureShown(capture);
      } else if (auto *dialog = dynamic_cast<TgDialog *>(watched)) {
        dialogShown(dialog->hwnd());
      }
    } else if (event->type() == QEvent::Hide) {
      if (auto *dialog = dynamic_cast<TgDialog *>(watched)) dialogClosing(dialog->hwnd());
    }
    return false;
  }
};

void watchWindows() { QCoreApplication::instance()->installEventFilter(new WindowWatcher); }

}  // namespace

// At once if the application exists, else as soon as it is created.
void qtUseScriptedUser() { qAddPreRoutine(watchWindows); }
void qtSetScriptWatchdog(int milliseconds) { WatchdogMs = milliseconds; }
void qtObserveMessageBoxes(std::function<void(QMessageBox *box)> observer) { MessageBoxObserver = std::move(observer); }
void qtObserveKeyCaptureBoxes(std::function<void(QDialog *box)> observer) { KeyCaptureObserver = std::move(observer); }
