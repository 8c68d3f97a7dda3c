/* The Qt backend's input filter: every mouse and key event on a dialog's
 * widgets reaches it first and is handed to the core
 * (platform/core/user_input.h), so the core produces each notification in
 * the Windows order and no widget changes state on its own. Where Qt's own
 * handling differs from Windows it is held back here: a label's or button's
 * shortcut, clicks in a drop-down's open list, a slider's page direction.
 */
#include <QtWidgets>

#include "platform/core/rules.h"
#include "platform/core/user_input.h"
#include "platform/qt/qt_internal.h"

namespace {

HWND PressedButton = nullptr;  // the button under a held mouse button
HWND DraggedBar = nullptr;     // the track bar whose thumb is being dragged
int DragOffset = 0;            // from the thumb's centre to where it was grabbed
HWND PopupPressed = nullptr;   // the drop-down list whose open list the mouse went down on
bool KeyInput = false;         // a key is being handled: focus moves show the focus frame

// ---- Keys ----------------------------------------------------------------------

int virtualKeyFor(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_F4: return VK_F4;
    default: return 0;
  }
}

void keyPressed(HWND window, QKeyEvent *event) {
  QScopedValueRollback<bool> keyInput(KeyInput, true);
  HWND dialog = window->dialog;
  int key = event->key();
  Qt::KeyboardModifiers modifiers = event->modifiers();
  // Alt with a letter or digit is a mnemonic, Alt+Up/Down opens a drop-down
  // list; the core tells which keys those are.
  if (modifiers & Qt::AltModifier) {
    int virtualKey = virtualKeyFor(key);
    if (isCharacterKey(virtualKey) || togglesDropDown(virtualKey, true)) userAltKey(dialog, virtualKey);
    return;
  }
  if (key == Qt::Key_Backtab || (key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier))) {
    userKey(dialog, VK_TAB, true);
  } else if (int virtualKey = virtualKeyFor(key)) {
    userKey(dialog, virtualKey);
  }
}

// ---- Mouse -----------------------------------------------------------------------

bool isLeft(QEvent *event) { return qtAs<QMouseEvent>(event)->button() == Qt::LeftButton; }
QPoint positionOf(QEvent *event) { return qtAs<QMouseEvent>(event)->position().toPoint(); }

// A button is clicked when the mouse goes down and comes up on it; the focus
// moves to it when it goes down.
bool buttonMouse(HWND button, QAbstractButton *widget, QEvent *event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (!isLeft(event) || !acceptsInput(button)) return true;
      PressedButton = button;
      widget->setDown(true);
      userFocus(button);
      return true;
    case QEvent::MouseMove:
      if (PressedButton == button) widget->setDown(widget->rect().contains(positionOf(event)));
      return true;
    case QEvent::MouseButtonRelease:
      if (!isLeft(event) || PressedButton != button) return true;
      PressedButton = nullptr;
      widget->setDown(false);
      if (widget->rect().contains(positionOf(event))) userClick(button);
      return true;
    default: return false;
  }
}

bool listMouse(HWND list, QListWidget *widget, QObject *watched, QEvent *event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      if (!isLeft(event)) return true;
      QModelIndex index = watched == widget->viewport() ? widget->indexAt(positionOf(event)) : QModelIndex();
      if (!index.isValid()) {
        userClick(list);  // the frame or below the last row: only the focus moves
      } else if (event->type() == QEvent::MouseButtonDblClick) {
        userDoubleClickRow(list, index.row());
      } else {
        userSelectRow(list, index.row());
      }
      return true;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: return true;
    default: return false;
  }
}

bool comboMouse(HWND combo, QEvent *event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (!isLeft(event) || !acceptsInput(combo)) return true;
      if (combo->dropped) {
        closeDropDown(combo, false);  // a click on the box closes the list unchosen
      } else {
        if (combo->dialog->focus != combo) moveFocus(combo->dialog, combo);
        if (isWindow(combo)) openDropDown(combo);
      }
      return true;
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel: return true;
    default: return false;
  }
}

// A row picked in an open drop-down list, with the mouse or with Enter.
bool popupListEvent(HWND combo, QObject *watched, QEvent *event) {
  QWidget *widget = qtWidgetFor(combo);
  if (!widget) return false;
  auto *combobox = qtAs<QComboBox>(widget);
  QAbstractItemView *view = combobox->view();
  if (watched == view->parentWidget()) {
    // The release of the click that opened the list comes to the list's
    // frame; Qt would close the list on it, Windows keeps it open.
    return event->type() == QEvent::MouseButtonRelease;
  }
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
      if (watched != view->viewport() || !isLeft(event)) return false;
      QModelIndex index = view->indexAt(positionOf(event));
      if (!index.isValid()) return false;
      // The release of the click that opened the list lands on it too; only
      // a click made in the list picks a row.
      if (event->type() == QEvent::MouseButtonPress) {
        PopupPressed = combo;
      } else if (PopupPressed == combo) {
        PopupPressed = nullptr;
        userSelectRow(combo, index.row());
      }
      return true;
    }
    case QEvent::KeyPress: {
      // Enter picks the highlighted row; Tab picks it too and moves on, as
      // in a Windows drop-down list. Arrows and Escape stay Qt's.
      int key = qtAs<QKeyEvent>(event)->key();
      bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
      if (watched != view || !(tab || key == Qt::Key_Return || key == Qt::Key_Enter)) return false;
      if (view->currentIndex().isValid()) {
        userSelectRow(combo, view->currentIndex().row());
      } else {
        closeDropDown(combo, true);
      }
      if (tab && isWindow(combo)) {
        bool back = key == Qt::Key_Backtab || (qtAs<QKeyEvent>(event)->modifiers() & Qt::ShiftModifier);
        QScopedValueRollback<bool> keyInput(KeyInput, true);
        userKey(combo->dialog, VK_TAB, back);
      }
      return true;
    }
    default: return false;
  }
}

// The thumb follows the mouse; a click beside it pages towards the click
// (left of the thumb is Page Up, which decreases, as on Windows).
bool trackbarMouse(HWND bar, TgSlider *widget, QEvent *event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      if (!isLeft(event) || !acceptsInput(bar)) return true;
      QPoint at = positionOf(event);
      QRect thumb = widget->handleRect();
      userFocus(bar);
      if (thumb.contains(at)) {
        DraggedBar = bar;
        DragOffset = at.x() - thumb.center().x();
      } else if (isWindow(bar)) {
        userKey(bar->dialog, at.x() < thumb.center().x() ? VK_PRIOR : VK_NEXT);
      }
      return true;
    }
    case QEvent::MouseMove:
      if (DraggedBar == bar && acceptsInput(bar)) {
        int position = widget->valueForPixel(positionOf(event).x() - DragOffset);
        if (position != bar->position) userDragTrackbar(bar, position);
      }
      return true;
    case QEvent::MouseButtonRelease:
      if (DraggedBar == bar) DraggedBar = nullptr;
      return true;
    case QEvent::Wheel: return true;
    default: return false;
  }
}

class InputFilter : public QObject {
 public:
  bool eventFilter(QObject *watched, QEvent *event) override {
    InputTarget target = qtInputTargetOf(watched);
    if (!isWindow(target.window)) return false;
    bool handled =
        target.popupList ? popupListEvent(target.window, watched, event) : filter(target.window, watched, event);
    if (handled) qtInputDone();
    return handled;
  }

 private:
  bool filter(HWND window, QObject *watched, QEvent *event) {
    switch (event->type()) {
      case QEvent::ShortcutOverride:
        // Every key goes to the core, so no Qt shortcut (a button's own
        // mnemonic, a label's buddy) may act on its own.
        event->accept();
        return true;
      case QEvent::KeyPress: keyPressed(window, qtAs<QKeyEvent>(event)); return true;
      case QEvent::KeyRelease: return true;
      default: break;
    }
    QWidget *widget = qtWidgetFor(window);
    switch (window->kind) {
      case WindowKind::PushButton:
      case WindowKind::CheckBox:
      case WindowKind::RadioButton: return buttonMouse(window, qtAs<QAbstractButton>(widget), event);
      case WindowKind::ListBox: return listMouse(window, qtAs<QListWidget>(widget), watched, event);
      case WindowKind::ComboBox: return comboMouse(window, event);
      case WindowKind::Trackbar: return trackbarMouse(window, qtAs<TgSlider>(widget), event);
      default: return false;
    }
  }
};

}  // namespace

void qtFilterInput(QObject *object) {
  static InputFilter *filter = new InputFilter;
  object->installEventFilter(filter);
}

void qtForgetPress(HWND window) {
  if (PressedButton == window) PressedButton = nullptr;
  if (DraggedBar == window) DraggedBar = nullptr;
  if (PopupPressed == window) PopupPressed = nullptr;
}

bool qtKeyInput() { return KeyInput; }
