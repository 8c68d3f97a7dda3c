/* Modal loops and message boxes. DialogBoxParamA runs each dialog in a nested
 * event loop that returns once EndDialog has been called for it, so dialogs
 * nest as on Windows; Qt's application modality keeps the owners from input
 * meanwhile. Message boxes are QMessageBoxes with the caller's text, caption,
 * icon and buttons, which answer Escape and the close box as the core's rule
 * for their type says. A dialog or box that a window manager minimises on its
 * own comes back: the program is minimised only as a whole.
 */
#include <QtWidgets>

#include "platform/core/backend.h"
#include "platform/core/rules.h"
#include "platform/qt/qt_internal.h"

namespace {

struct RunningLoop {
  HWND dialog;
  QEventLoop *loop;
};
std::vector<RunningLoop> Loops;

// DS_CENTER: the middle of the work area of the owner's screen. Either way
// the dialog is then moved into the work area where it runs off it, title bar
// first, as the Windows dialog manager moves it.
void place(TgDialog *window, HWND dialog) {
  QWidget *owner = qtWidgetFor(dialog->owner);
  QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect area = screen->availableGeometry();
  QPoint at;
  if (dialog->style & DS_CENTER) {
    at = area.center() - QPoint(window->width() / 2, window->height() / 2);
  } else {
    QPoint origin = owner ? owner->geometry().topLeft() : area.topLeft();
    at = origin + QPoint(qtDialogUnitsToPixelsX(dialog->x), qtDialogUnitsToPixelsY(dialog->y));
  }
  at.setX(qMax(area.left(), qMin(at.x(), area.right() + 1 - window->width())));
  at.setY(qMax(area.top(), qMin(at.y(), area.bottom() + 1 - window->height())));
  window->move(at);
}

// The window that `window` belongs to in the end: its owner's owner, and so
// on (a dialog's or message box's owner is its parent widget).
QWidget *outermostOwner(QWidget *window) {
  while (QWidget *owner = window->parentWidget()) window = owner->window();
  return window;
}

// The minimised windows that `window` belongs to come back before it shows,
// so that it never opens over a program that is not there.
void restoreOwners(QWidget *window) {
  for (QWidget *owner = window->parentWidget(); owner; owner = owner->window()->parentWidget()) {
    if (owner->window()->isMinimized()) owner->window()->showNormal();
  }
}

bool KeepQueued = false;

// Only the outermost window has a taskbar entry that brings the program back;
// every other window is a dialog or message box whose owners take no input
// while it is up. So such a window may be minimised only together with its
// outermost owner; minimised alone, it comes back at once, and when the
// outermost one comes back they all do, the innermost one active.
void keepWindowsOnScreen() {
  KeepQueued = false;
  QWidget *restored = nullptr;
  for (QWidget *window : QApplication::topLevelWidgets()) {
    if (!window->isVisible() || !window->isMinimized() || !window->parentWidget()) continue;
    if (outermostOwner(window)->isMinimized()) continue;
    window->showNormal();
    restored = window;
  }
  if (!restored) return;
  if (QWidget *active = QApplication::activeModalWidget()) {
    active->raise();
    active->activateWindow();
  }
}

// Which Qt button gives which answer.
struct AnswerButton {
  int answer;
  QMessageBox::StandardButton button;
};
const AnswerButton AnswerButtons[] = {
    {IDOK, QMessageBox::Ok},       {IDCANCEL, QMessageBox::Cancel}, {IDABORT, QMessageBox::Abort},
    {IDRETRY, QMessageBox::Retry}, {IDIGNORE, QMessageBox::Ignore}, {IDYES, QMessageBox::Yes},
    {IDNO, QMessageBox::No},
};

QMessageBox::StandardButton standardButtonFor(int answer) {
  for (const AnswerButton &entry : AnswerButtons) {
    if (entry.answer == answer) return entry.button;
  }
  return QMessageBox::NoButton;
}

int answerFor(QMessageBox::StandardButton button) {
  for (const AnswerButton &entry : AnswerButtons) {
    if (entry.button == button) return entry.answer;
  }
  return 0;
}

// What the icon says, for a screen reader; "" for no icon.
const char *iconName(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return "Error";
    case MB_ICONQUESTION: return "Question";
    case MB_ICONWARNING: return "Warning";
    case MB_ICONINFORMATION: return "Information";
    default: return "";
  }
}

QMessageBox::Icon iconFor(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

void qtKeepWindowsOnScreen() {
  // After the state change being handled: a window manager minimising a
  // stack sends one change per window.
  if (KeepQueued) return;
  KeepQueued = true;
  QMetaObject::invokeMethod(qApp, keepWindowsOnScreen, Qt::QueuedConnection);
}

void qtEndFinishedLoops() {
  for (const RunningLoop &running : Loops) {
    if (!isWindow(running.dialog) || running.dialog->ended) running.loop->exit(0);
  }
}

void backendRunModalLoop(HWND dialog) {
  QWidget *widget = qtWidgetFor(dialog);
  if (!widget) {
    EndDialog(dialog, -1);
    return;
  }
  auto *window = qtAs<TgDialog>(widget);
  place(window, dialog);
  restoreOwners(window);
  window->show();
  window->activateWindow();
  if (!dialog->ended) {
    QEventLoop loop;
    Loops.push_back({dialog, &loop});
    // Every input path ends finished loops at once; this catches an
    // EndDialog from anywhere else.
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&loop, dialog] {
      if (!isWindow(dialog) || dialog->ended) loop.exit(0);
    });
    check.start(100);
    loop.exec(QEventLoop::DialogExec);
    Loops.pop_back();
  }
}

TgMessageBox::TgMessageBox(HWND owner, const char *text, const char *caption, UINT type)
    : QMessageBox(iconFor(type), QString::fromLatin1(caption), QString::fromLatin1(text), QMessageBox::NoButton,
                  qtWidgetFor(owner)),
      owner_(owner),
      text_(text),
      caption_(caption),
      type_(type) {
  setTextFormat(Qt::PlainText);
  // QMessageBox leaves its icon without a name: a screen reader would say
  // only "image".
  if (auto *icon = findChild<QLabel *>(QStringLiteral("qt_msgboxex_icon_label"))) {
    icon->setAccessibleName(QString::fromLatin1(iconName(type)));
  }
  setWindowModality(Qt::ApplicationModal);
  setWindowIcon(QApplication::windowIcon());
  MessageBoxButtons buttons = messageBoxButtons(type);
  for (int i = 0; i < buttons.count; ++i) {
    QPushButton *button = addButton(standardButtonFor(buttons.answers[i]));
    if (i == 0) setDefaultButton(button);  // MB_DEFBUTTON1
  }
  // A title bar with the caption, and a close box where Escape answers:
  // Windows greys the close box of the other boxes, and a window manager
  // that honours the hint shows none. No minimise or maximise box.
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (int escape = messageBoxEscapeAnswer(type)) {
    setEscapeButton(button(standardButtonFor(escape)));
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  }
  setWindowFlags(flags);
}

int TgMessageBox::answer() const {
  QAbstractButton *clicked = clickedButton();
  if (int answer = clicked ? answerFor(standardButton(clicked)) : 0) return answer;
  return messageBoxEscapeAnswer(type_);
}

QAbstractButton *TgMessageBox::buttonFor(int answer) const { return button(standardButtonFor(answer)); }

void TgMessageBox::keyPressEvent(QKeyEvent *event) {
  // QMessageBox would take No (or Abort) for Escape in a box without Cancel.
  if (event->matches(QKeySequence::Cancel) && !messageBoxEscapeAnswer(type_)) {
    event->accept();
    return;
  }
  QMessageBox::keyPressEvent(event);
}

void TgMessageBox::closeEvent(QCloseEvent *event) {
  if (!messageBoxEscapeAnswer(type_)) {
    event->ignore();
    return;
  }
  QMessageBox::closeEvent(event);
}

void TgMessageBox::changeEvent(QEvent *event) {
  QMessageBox::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) qtKeepWindowsOnScreen();
}

int backendMessageBox(HWND owner, const char *text, const char *caption, UINT type) {
  qtEnsureApplication();
  TgMessageBox box(owner, text, caption, type);
  restoreOwners(&box);
  box.exec();
  return box.answer();
}
