/* Modal loops and message boxes. DialogBoxParamA runs each dialog in a nested
 * event loop that returns once EndDialog has been called for it, so dialogs
 * nest as on Windows; Qt's application modality keeps the owners from input
 * meanwhile. Message boxes are QMessageBoxes with the caller's text, caption,
 * icon and buttons.
 */
#include <QtWidgets>

#include "platform/core/backend.h"
#include "platform/qt/qt_internal.h"

namespace {

struct RunningLoop {
  HWND dialog;
  QEventLoop *loop;
};
std::vector<RunningLoop> Loops;
const QtScriptedUser *ScriptedUser = nullptr;

// DS_CENTER: the middle of the work area of the owner's screen.
void place(TgDialog *window, HWND dialog) {
  QWidget *owner = qtWidgetFor(dialog->owner);
  QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect area = screen->availableGeometry();
  if (dialog->style & DS_CENTER) {
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
  } else {
    QPoint origin = owner ? owner->geometry().topLeft() : area.topLeft();
    window->move(origin + QPoint(qtDialogUnitsToPixelsX(dialog->x), qtDialogUnitsToPixelsY(dialog->y)));
  }
}

QMessageBox::StandardButtons buttonsFor(UINT type) {
  switch (type & 0xF) {
    case 1: return QMessageBox::Ok | QMessageBox::Cancel;
    case 2: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4: return QMessageBox::Yes | QMessageBox::No;
    case 5: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

QMessageBox::Icon iconFor(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case 0x30: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

int answerFor(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Abort: return 3;
    case QMessageBox::Retry: return 4;
    case QMessageBox::Ignore: return 5;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return 0;
  }
}

// What closing the box without a button gives, as Windows answers Escape.
int escapeAnswerFor(UINT type) {
  switch (type & 0xF) {
    case 0: return IDOK;
    case 4: return IDNO;
    default: return IDCANCEL;
  }
}

}  // namespace

bool qtScripted() { return ScriptedUser != nullptr; }
const QtScriptedUser *qtScriptedUser() { return ScriptedUser; }
void qtSetScriptedUser(const QtScriptedUser *user) { ScriptedUser = user; }

void qtEndFinishedLoops() {
  for (const RunningLoop &running : Loops) {
    if (!isWindow(running.dialog) || running.dialog->ended) running.loop->exit(0);
  }
}

void backendRunModalLoop(HWND dialog) {
  auto *window = static_cast<TgDialog *>(qtWidgetFor(dialog));
  if (!window) {
    EndDialog(dialog, -1);
    return;
  }
  place(window, dialog);
  window->show();
  window->activateWindow();
  if (ScriptedUser) ScriptedUser->dialogShown(dialog);
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
  if (ScriptedUser) ScriptedUser->dialogClosing(dialog);
}

int backendMessageBox(HWND owner, const char *text, const char *caption, UINT type) {
  qtEnsureApplication();
  QMessageBox box(iconFor(type), QString::fromLatin1(caption), QString::fromLatin1(text), buttonsFor(type),
                  qtWidgetFor(owner));
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.setWindowIcon(QApplication::windowIcon());
  // The first button is the default, as with MB_DEFBUTTON1.
  if (!box.buttons().isEmpty()) {
    QList<QAbstractButton *> ordered = box.buttons();
    std::sort(ordered.begin(), ordered.end(),
              [&box](QAbstractButton *a, QAbstractButton *b) { return box.standardButton(a) < box.standardButton(b); });
    if (auto *first = qobject_cast<QPushButton *>(ordered.front())) box.setDefaultButton(first);
  }
  if (ScriptedUser) ScriptedUser->messageBoxShown(&box, owner != nullptr, text, caption, type);
  box.exec();
  QAbstractButton *clicked = box.clickedButton();
  int answer = clicked ? answerFor(box.standardButton(clicked)) : 0;
  return answer ? answer : escapeAnswerFor(type);
}
