/* The key-capture box on Qt: a small dialog with the prompt, modal over its
 * owner, closed by the first key pressed in it or by its close box.
 */
#include "platform/qt/qt_key_capture.h"

#include <QtWidgets>

#include "platform/core/backend.h"
#include "platform/key_codes.h"
#include "platform/qt/qt_backend.h"

namespace {

// Margins and the width the prompt wraps at, in dialog units.
constexpr int MarginX = 10;
constexpr int MarginY = 10;
constexpr int PromptWidth = 170;

}  // namespace

TgKeyCaptureBox::TgKeyCaptureBox(HWND owner, const char *caption, const char *prompt)
    : QDialog(qtWidgetFor(owner),
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      owner_(owner),
      caption_(caption),
      prompt_(prompt) {
  setWindowModality(Qt::ApplicationModal);
  setFont(qtDialogFont());
  setWindowTitle(QString::fromLatin1(caption));
  setWindowIcon(QApplication::windowIcon());
  setFocusPolicy(Qt::StrongFocus);

  auto *label = new QLabel(QString::fromLatin1(prompt), this);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignCenter);
  label->setFocusPolicy(Qt::NoFocus);
  label->setFixedWidth(qtDialogUnitsToPixelsX(PromptWidth));
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(qtDialogUnitsToPixelsX(MarginX), qtDialogUnitsToPixelsY(MarginY),
                             qtDialogUnitsToPixelsX(MarginX), qtDialogUnitsToPixelsY(MarginY));
  layout->addWidget(label);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

int TgKeyCaptureBox::keyCodeOf(const QKeyEvent &event) {
  quint32 native = event.nativeScanCode();
  if (native > XkbKeycodeOffset) return keyCodeFromEvdev(static_cast<int>(native) - XkbKeycodeOffset);
  // A key without a scan code (made up by some input method): only Escape
  // still means something, the way out.
  return event.key() == Qt::Key_Escape ? KeyCodeEscape : KeyCodeNone;
}

bool TgKeyCaptureBox::event(QEvent *event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Claimed, so that no shortcut takes the key before the box sees it.
      event->accept();
      return true;
    case QEvent::KeyPress: {
      auto *key = static_cast<QKeyEvent *>(event);
      // A key already held when the box opened (the one that opened it)
      // repeats; only a new press counts.
      if (!key->isAutoRepeat() && keyCode_ < 0) {
        keyCode_ = keyCodeOf(*key);
        accept();
      }
      return true;
    }
    case QEvent::KeyRelease: return true;
    default: return QDialog::event(event);
  }
}

int backendCaptureKey(HWND owner, const char *caption, const char *prompt) {
  qtEnsureApplication();
  TgKeyCaptureBox box(owner, caption, prompt);
  box.exec();
  // The owner becomes the active window again, with or without a window
  // manager to decide it.
  if (QWidget *window = qtWidgetFor(owner)) window->activateWindow();
  return box.keyCode();
}
