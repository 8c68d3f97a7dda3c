/* Dialogs as Qt widgets: each dialog and control of the core gets one widget,
 * built from the template data, that mirrors the core's state whenever it
 * changes (backendWindowChanged). The widgets never change state on their
 * own: the input filter (qt_input_filter.cpp) takes every mouse and key event
 * first and hands it to platform/core/user_input.h, so the core produces each
 * notification in the Windows order, and nothing notifies when the program
 * sets a control.
 */
#include <QtWidgets>

#include "platform/core/backend.h"
#include "platform/core/rules.h"
#include "platform/qt/qt_internal.h"

namespace {

// ---- Which widget shows which window ----------------------------------------------

QHash<HWND, QWidget *> WidgetOf;               // every dialog and control
QHash<const QObject *, InputTarget> TargetOf;  // the widgets and their parts that take input

void watch(QObject *object, InputTarget target) {
  TargetOf.insert(object, target);
  qtFilterInput(object);
}

// Registers a window's widget, and the parts of it that take its input: a
// list's viewport, and a drop-down list's open list (frame, view, viewport),
// whose filter is installed after the combo box's own, so it runs first.
void link(HWND window, QWidget *widget) {
  WidgetOf.insert(window, widget);
  watch(widget, {window, false});
  if (auto *list = qobject_cast<QListWidget *>(widget)) watch(list->viewport(), {window, false});
  if (auto *combo = qobject_cast<QComboBox *>(widget)) {
    QAbstractItemView *view = combo->view();
    for (QObject *part : {static_cast<QObject *>(view->parentWidget()), static_cast<QObject *>(view),
                          static_cast<QObject *>(view->viewport())})
      watch(part, {window, true});
  }
}

// Forgets a dialog's widget and its controls', with all their parts.
void unlink(HWND dialog) {
  for (auto at = TargetOf.begin(); at != TargetOf.end();) {
    HWND window = at->window;
    at = window == dialog || (isWindow(window) && window->dialog == dialog) ? TargetOf.erase(at) : std::next(at);
  }
  for (HWND control : dialog->controls) WidgetOf.remove(control);
  WidgetOf.remove(dialog);
}

// ---- Building a dialog from its template ------------------------------------------

// A static's text as Windows shows it: Qt underlines the mnemonic only of a
// label with a buddy; any other label shows the text without its marks.
QString labelText(const std::string &text, bool hasBuddy) {
  return QString::fromLatin1(hasBuddy ? text.c_str() : textWithoutMnemonicMarks(text).c_str());
}

QWidget *createControl(HWND control, QWidget *dialog) {
  QString text = QString::fromLatin1(control->text.c_str());
  switch (control->kind) {
    case WindowKind::PushButton: {
      // Which button looks like the default follows the core's focus
      // (showDefaultButton), not Qt's own rules.
      auto *button = new QPushButton(text, dialog);
      button->setAutoDefault(false);
      return button;
    }
    case WindowKind::CheckBox: return new QCheckBox(text, dialog);
    case WindowKind::RadioButton: {
      // The core keeps each radio's state; Qt must not uncheck siblings.
      auto *radio = new QRadioButton(text, dialog);
      radio->setAutoExclusive(false);
      return radio;
    }
    case WindowKind::GroupBox: return new TgGroupBox(text, dialog);
    case WindowKind::ListBox: {
      auto *list = new TgListBox(dialog);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setUniformItemSizes(true);
      list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      list->setVerticalScrollBarPolicy((control->style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
      list->setItemDelegate(qtNewTabStopDelegate(control, list));
      list->setFrameShape((control->style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
      return list;
    }
    case WindowKind::ComboBox: return new TgComboBox(control, dialog);
    case WindowKind::Trackbar: {
      auto *slider = new TgSlider(dialog);
      if (control->style & TBS_BOTH) {
        slider->setTickPosition(QSlider::TicksBothSides);
      } else if (control->style & TBS_TOP) {
        slider->setTickPosition(QSlider::TicksAbove);
      } else {
        slider->setTickPosition(QSlider::TicksBelow);
      }
      return slider;
    }
    case WindowKind::Static:
    case WindowKind::Dialog: break;
  }
  auto *label = new QLabel(dialog);
  label->setTextFormat(Qt::PlainText);
  // A static two lines tall or more wraps its words, as Windows wraps them all.
  label->setWordWrap(control->cy >= 16);
  Qt::Alignment horizontal = Qt::AlignLeft;
  if ((control->style & SS_TYPEMASK) == SS_CENTER) horizontal = Qt::AlignHCenter;
  if ((control->style & SS_TYPEMASK) == SS_RIGHT) horizontal = Qt::AlignRight;
  if (control->style & SS_SUNKEN) {
    // A sunken label shows a name: centred in its frame, both ways.
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(horizontal | Qt::AlignVCenter);
  } else {
    label->setAlignment(horizontal | Qt::AlignTop);
  }
  return label;
}

void placeControl(HWND control, QWidget *widget) {
  int x = qtDialogUnitsToPixelsX(control->x), y = qtDialogUnitsToPixelsY(control->y);
  int width = qtDialogUnitsToPixelsX(control->cx), height = qtDialogUnitsToPixelsY(control->cy);
  if (control->kind == WindowKind::ComboBox) {
    // A drop-down list's template height is that of the open list; the box
    // itself is one text line high.
    auto *combo = qtAs<QComboBox>(widget);
    int boxHeight = qMin(combo->sizeHint().height(), qtDialogUnitsToPixelsY(14));
    int rowHeight = qMax(1, combo->view()->sizeHintForRow(0) > 0 ? combo->view()->sizeHintForRow(0)
                                                                 : QFontMetrics(combo->font()).height() + 2);
    combo->setMaxVisibleItems(qMax(3, (height - boxHeight) / rowHeight));
    height = boxHeight;
  }
  if (control->kind == WindowKind::ListBox) {
    qtAs<TgListBox>(widget)->placeInto(QRect(x, y, width, height));
    return;
  }
  widget->setGeometry(x, y, width, height);
}

void mirror(HWND window, WindowChange what);

void mirrorAll(HWND control) {
  for (WindowChange what : {WindowChange::Text, WindowChange::Check, WindowChange::Enabled, WindowChange::Items,
                            WindowChange::Selection, WindowChange::Trackbar})
    mirror(control, what);
  qtWidgetFor(control)->setVisible(isVisible(control));
}

// ---- Mirroring the core's state -------------------------------------------------

void mirrorText(HWND window, QWidget *widget) {
  QString text = QString::fromLatin1(window->text.c_str());
  switch (window->kind) {
    case WindowKind::Dialog: widget->setWindowTitle(text); break;
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton: qtAs<QAbstractButton>(widget)->setText(text); break;
    case WindowKind::GroupBox: qtAs<TgGroupBox>(widget)->setTitle(text); break;
    case WindowKind::Static: {
      auto *label = qtAs<QLabel>(widget);
      label->setText(labelText(window->text, !(window->style & SS_NOPREFIX) && label->buddy()));
      break;
    }
    default: break;
  }
}

void mirrorItems(HWND window, QWidget *widget) {
  QStringList items;
  for (const std::string &item : window->items) items << QString::fromLatin1(item.c_str());
  if (window->kind == WindowKind::ListBox) {
    auto *list = qtAs<QListWidget>(widget);
    list->clear();
    list->addItems(items);
  } else if (window->kind == WindowKind::ComboBox) {
    auto *combo = qtAs<QComboBox>(widget);
    combo->clear();
    combo->addItems(items);
  }
  mirror(window, WindowChange::Selection);
}

void mirrorSelection(HWND window, QWidget *widget) {
  int row = window->selection;
  if (window->kind == WindowKind::ListBox) {
    auto *list = qtAs<QListWidget>(widget);
    if (row >= 0 && row < list->count()) {
      list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
      list->scrollToItem(list->item(row));
    } else {
      // The arrow keys start again from the first row, where the focus
      // rectangle then shows.
      list->clearSelection();
      list->setCurrentIndex(QModelIndex());
      list->scrollToTop();
    }
  } else if (window->kind == WindowKind::ComboBox) {
    qtAs<QComboBox>(widget)->setCurrentIndex(row < 0 ? -1 : row);
  }
}

void mirrorTrackbar(HWND bar, QWidget *widget) {
  auto *slider = qtAs<QSlider>(widget);
  slider->setRange(bar->rangeMin, qMax(bar->rangeMin, bar->rangeMax));
  slider->setValue(bar->position);
  slider->setPageStep(bar->pageSize);
  slider->setSingleStep(bar->lineSize);
  slider->setTickInterval((bar->style & TBS_AUTOTICKS) ? bar->ticFrequency : 0);
  if (!(bar->style & TBS_AUTOTICKS)) slider->setTickPosition(QSlider::NoTicks);
}

// A focused push button looks like the default; otherwise the dialog's
// default button does, as on Windows.
void showDefaultButton(HWND dialog) {
  HWND focus = isWindow(dialog->focus) ? dialog->focus : nullptr;
  bool buttonFocused = focus && focus->kind == WindowKind::PushButton;
  for (HWND control : dialog->controls) {
    if (control->kind != WindowKind::PushButton) continue;
    QWidget *widget = qtWidgetFor(control);
    if (!widget) continue;
    auto *button = qtAs<QPushButton>(widget);
    bool looksDefault = buttonFocused ? control == focus : control->id == dialog->defaultId;
    if (button->isDefault() != looksDefault) button->setDefault(looksDefault);
  }
}

// All dialogs share one window class, so its icon is every window's.
void showClassIcon() {
  if (const IconResource *icon = dialogClassIconResource()) QApplication::setWindowIcon(qtIcon(*icon));
}

void mirror(HWND window, WindowChange what) {
  QWidget *widget = qtWidgetFor(window);
  if (!widget) return;
  QSignalBlocker quiet(widget);
  switch (what) {
    case WindowChange::Text:
      mirrorText(window, widget);
      qtNameControls(window->dialog);  // a label's text names the control after it
      break;
    case WindowChange::Check:
      if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        button->setCheckable(window->kind == WindowKind::CheckBox || window->kind == WindowKind::RadioButton);
        button->setChecked(window->check == BST_CHECKED);
      }
      break;
    case WindowChange::Enabled:
      // A disabled owner keeps its look; Qt's modality already blocks it.
      if (window->kind != WindowKind::Dialog) widget->setEnabled(isEnabled(window));
      break;
    case WindowChange::Items: mirrorItems(window, widget); break;
    case WindowChange::Selection: mirrorSelection(window, widget); break;
    case WindowChange::Dropped:
      if (window->kind == WindowKind::ComboBox) qtAs<TgComboBox>(widget)->syncPopup(window->dropped);
      break;
    case WindowChange::Trackbar:
      if (window->kind == WindowKind::Trackbar) mirrorTrackbar(window, widget);
      break;
    case WindowChange::TabStops:
      if (auto *list = qobject_cast<QListWidget *>(widget)) list->viewport()->update();
      break;
    case WindowChange::Icon: showClassIcon(); break;
    // Controls without a tooltip of their own pass Qt's tooltip event on to
    // the dialog, so it shows over them too, as the Windows program adds
    // each control as a tool.
    case WindowChange::ToolTip: widget->setToolTip(QString::fromLocal8Bit(window->toolTip.c_str())); break;
    case WindowChange::Focus:
      if (window->kind == WindowKind::Dialog) {
        if (QWidget *focused = QApplication::focusWidget(); focused && focused->window() == widget)
          focused->clearFocus();
      } else {
        // As on Windows, the focus frame shows once the keyboard moves the
        // focus and goes with a mouse click (styles read this attribute).
        widget->window()->setAttribute(Qt::WA_KeyboardFocusChange, qtKeyInput());
        widget->setFocus(qtKeyInput() ? Qt::TabFocusReason : Qt::MouseFocusReason);
        widget->update();
      }
      showDefaultButton(window->dialog);
      break;
  }
}

}  // namespace

// ---- Lookups ---------------------------------------------------------------------------

QWidget *qtWidgetFor(HWND window) { return isWindow(window) ? WidgetOf.value(window) : nullptr; }

InputTarget qtInputTargetOf(const QObject *object) { return TargetOf.value(object); }

// ---- The backend's calls ------------------------------------------------------------

void backendDialogCreated(HWND dialog) {
  qtEnsureApplication();
  QWidget *owner = qtWidgetFor(dialog->owner);
  // A close box only with a system menu. No minimise box even where the
  // template asks for one (the main menu): dialogs nest, each disabling its
  // owner, and a minimised dialog of the stack would leave the program with
  // nothing on screen to bring it back; nor a maximise box, for a fixed
  // layout.
  Qt::WindowFlags flags = (owner ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (dialog->style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

  auto *window = new TgDialog(dialog, owner, flags);
  window->setWindowModality(Qt::ApplicationModal);
  window->setFont(qtDialogFont());
  window->setWindowTitle(QString::fromLatin1(dialog->text.c_str()));
  window->setFixedSize(qtDialogUnitsToPixelsX(dialog->cx), qtDialogUnitsToPixelsY(dialog->cy));
  link(dialog, window);

  QWidget *previous = nullptr;
  for (HWND control : dialog->controls) {
    QWidget *widget = createControl(control, window);
    link(control, widget);
    placeControl(control, widget);
    if (takesFocus(control)) {
      // Tab itself is the core's; the chain keeps Qt's idea of the order the same.
      widget->setFocusPolicy(Qt::StrongFocus);
      if (previous) QWidget::setTabOrder(previous, widget);
      previous = widget;
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
    }
  }
  for (HWND control : dialog->controls) {
    QWidget *widget = qtWidgetFor(control);
    if (control->kind == WindowKind::GroupBox) widget->lower();  // drawn behind its controls
    if (control->kind == WindowKind::Static && !(control->style & SS_NOPREFIX) && mnemonicOf(control->text)) {
      if (HWND next = nextTabStop(dialog, control, false)) qtAs<QLabel>(widget)->setBuddy(qtWidgetFor(next));
    }
    mirrorAll(control);
  }
  qtNameControls(dialog);
  showDefaultButton(dialog);
  showClassIcon();
}

void backendDialogDestroyed(HWND dialog) {
  QWidget *widget = qtWidgetFor(dialog);
  if (!widget) return;
  auto *window = qtAs<TgDialog>(widget);
  for (HWND control : dialog->controls) {
    qtForgetPress(control);
    if (auto *combo = dynamic_cast<TgComboBox *>(qtWidgetFor(control))) combo->syncPopup(false);
  }
  unlink(dialog);
  window->setClosingByBackend();
  window->hide();
  delete window;
  // The owner becomes the active window again, as on Windows, with or
  // without a window manager to decide it.
  if (QWidget *owner = qtWidgetFor(dialog->owner)) owner->activateWindow();
}

void backendWindowChanged(HWND window, WindowChange what) {
  if (window) mirror(window, what);
}
