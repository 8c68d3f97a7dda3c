/* Dialogs as Qt widgets: each dialog and control of the core gets one widget,
 * built from the template data, that mirrors the core's state whenever it
 * changes (backendWindowChanged). The widgets never change state on their
 * own: an input filter takes every mouse and key event first and hands it to
 * platform/core/user_input.h, so the core produces each notification in the
 * Windows order, and nothing notifies when the program sets a control.
 */
#include <QtWidgets>

#include "platform/core/backend.h"
#include "platform/core/rules.h"
#include "platform/core/user_input.h"
#include "platform/qt/qt_internal.h"

namespace {

// ---- Which widget shows which window ------------------------------------------

QHash<const QObject *, HWND> Windows;     // dialog and control widgets, list viewports
QHash<const QObject *, HWND> PopupLists;  // a drop-down list's popup: its frame, view and viewport

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
    default: return 0;
  }
}

// F4 and Alt+Up/Down open and close a focused drop-down list, as on Windows.
void toggleDropDown(HWND dialog) {
  HWND focus = dialog->focus;
  if (!acceptsInput(focus) || focus->kind != WindowKind::ComboBox) return;
  if (focus->dropped) {
    closeDropDown(focus, true);
  } else {
    openDropDown(focus);
  }
}

void keyPressed(HWND window, QKeyEvent *event) {
  QScopedValueRollback<bool> keyInput(KeyInput, true);
  HWND dialog = window->dialog;
  int key = event->key();
  Qt::KeyboardModifiers modifiers = event->modifiers();
  if (modifiers & Qt::AltModifier) {
    int letter = virtualKeyFor(key);
    if (isCharacterKey(letter)) {
      userAltKey(dialog, static_cast<char>(letter));
    } else if (key == Qt::Key_Down || key == Qt::Key_Up) {
      toggleDropDown(dialog);
    }
    return;
  }
  if (key == Qt::Key_F4) {
    toggleDropDown(dialog);
  } else if (key == Qt::Key_Backtab || (key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier))) {
    userKey(dialog, VK_TAB, true);
  } else if (int virtualKey = virtualKeyFor(key)) {
    userKey(dialog, virtualKey);
  }
}

// ---- Mouse -----------------------------------------------------------------------

bool isLeft(QEvent *event) { return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton; }
QPoint positionOf(QEvent *event) { return static_cast<QMouseEvent *>(event)->position().toPoint(); }

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
  auto *combobox = static_cast<QComboBox *>(qtWidgetFor(combo));
  if (!combobox) return false;
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
      int key = static_cast<QKeyEvent *>(event)->key();
      bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
      if (watched != view || !(tab || key == Qt::Key_Return || key == Qt::Key_Enter)) return false;
      if (view->currentIndex().isValid()) {
        userSelectRow(combo, view->currentIndex().row());
      } else {
        closeDropDown(combo, true);
      }
      if (tab && isWindow(combo)) {
        bool back = key == Qt::Key_Backtab || (static_cast<QKeyEvent *>(event)->modifiers() & Qt::ShiftModifier);
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
    if (HWND combo = PopupLists.value(watched)) {
      bool handled = popupListEvent(combo, watched, event);
      if (handled) qtInputDone();
      return handled;
    }
    HWND window = Windows.value(watched);
    if (!window || !isWindow(window)) return false;
    bool handled = filter(window, watched, event);
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
      case QEvent::KeyPress: keyPressed(window, static_cast<QKeyEvent *>(event)); return true;
      case QEvent::KeyRelease: return true;
      default: break;
    }
    QWidget *widget = qtWidgetFor(window);
    switch (window->kind) {
      case WindowKind::PushButton:
      case WindowKind::CheckBox:
      case WindowKind::RadioButton: return buttonMouse(window, static_cast<QAbstractButton *>(widget), event);
      case WindowKind::ListBox: return listMouse(window, static_cast<QListWidget *>(widget), watched, event);
      case WindowKind::ComboBox: return comboMouse(window, event);
      case WindowKind::Trackbar: return trackbarMouse(window, static_cast<TgSlider *>(widget), event);
      default: return false;
    }
  }
};

InputFilter *Filter = nullptr;

void watch(QObject *object, HWND window) {
  if (!Filter) Filter = new InputFilter;
  Windows.insert(object, window);
  object->installEventFilter(Filter);
}

// ---- List rows with tab stops ----------------------------------------------------

// Draws a list row's tab-separated columns at the list's tab stops, as a
// Windows list box with LBS_USETABSTOPS does.
class TabStopDelegate : public QStyledItemDelegate {
 public:
  TabStopDelegate(HWND list, QObject *parent) : QStyledItemDelegate(parent), list_(list) {}

  void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    QString text = item.text;
    item.text.clear();
    const QWidget *widget = item.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    QPalette::ColorGroup group = (item.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    QPalette::ColorRole role = (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
    painter->save();
    painter->setPen(item.palette.color(group, role));
    painter->setFont(item.font);
    QFontMetrics metrics(item.font);
    int x = 0;
    const QStringList columns = text.split(QLatin1Char('\t'));
    for (int i = 0; i < columns.size(); ++i) {
      if (i > 0) x = nextStop(x);
      QRect cell(area.left() + x, area.top(), area.width() - x, area.height());
      painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, columns[i]);
      x += metrics.horizontalAdvance(columns[i]);
    }
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(QFontMetrics(option.font).height() + 2);
    return size;
  }

 private:
  // The first stop after `x` pixels. One stop repeats; after the last of
  // several, the last interval repeats; none means every 32 units.
  int nextStop(int x) const {
    std::vector<int> stops = isWindow(list_) ? list_->tabStops : std::vector<int>{};
    if (stops.empty()) stops.push_back(32);
    int previous = 0;
    for (int stop : stops) {
      int pixels = qtDialogUnitsToPixelsX(stop);
      if (pixels > x) return pixels;
      previous = stop;
    }
    int interval = stops.size() == 1 ? stops[0] : stops.back() - stops[stops.size() - 2];
    if (interval <= 0) return x + qRound(qtBaseUnitX());
    int stop = previous;
    while (qtDialogUnitsToPixelsX(stop) <= x) stop += interval;
    return qtDialogUnitsToPixelsX(stop);
  }

  HWND list_;
};

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
      auto *list = new QListWidget(dialog);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setUniformItemSizes(true);
      list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      list->setVerticalScrollBarPolicy((control->style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
      list->setItemDelegate(new TabStopDelegate(control, list));
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
  Qt::Alignment horizontal = Qt::AlignLeft;
  if ((control->style & 0x3) == SS_CENTER) horizontal = Qt::AlignHCenter;
  if ((control->style & 0x3) == SS_RIGHT) horizontal = Qt::AlignRight;
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
    auto *combo = static_cast<QComboBox *>(widget);
    int boxHeight = qMin(combo->sizeHint().height(), qtDialogUnitsToPixelsY(14));
    int rowHeight = qMax(1, combo->view()->sizeHintForRow(0) > 0 ? combo->view()->sizeHintForRow(0)
                                                                 : QFontMetrics(combo->font()).height() + 2);
    combo->setMaxVisibleItems(qMax(3, (height - boxHeight) / rowHeight));
    height = boxHeight;
  }
  widget->setGeometry(x, y, width, height);
}

void mirror(HWND window, WindowChange what);

void mirrorAll(HWND control) {
  for (WindowChange what : {WindowChange::Text, WindowChange::Check, WindowChange::Enabled, WindowChange::Items,
                            WindowChange::Selection, WindowChange::Trackbar})
    mirror(control, what);
  qtWidgetFor(control)->setVisible(control->style & WS_VISIBLE);
}

// ---- Mirroring the core's state -------------------------------------------------

void mirrorText(HWND window, QWidget *widget) {
  QString text = QString::fromLatin1(window->text.c_str());
  switch (window->kind) {
    case WindowKind::Dialog: widget->setWindowTitle(text); break;
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton: static_cast<QAbstractButton *>(widget)->setText(text); break;
    case WindowKind::GroupBox: static_cast<TgGroupBox *>(widget)->setTitle(text); break;
    case WindowKind::Static: {
      auto *label = static_cast<QLabel *>(widget);
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
    auto *list = static_cast<QListWidget *>(widget);
    list->clear();
    list->addItems(items);
  } else if (window->kind == WindowKind::ComboBox) {
    auto *combo = static_cast<QComboBox *>(widget);
    combo->clear();
    combo->addItems(items);
  }
  mirror(window, WindowChange::Selection);
}

void mirrorSelection(HWND window, QWidget *widget) {
  int row = window->selection;
  if (window->kind == WindowKind::ListBox) {
    auto *list = static_cast<QListWidget *>(widget);
    if (row >= 0 && row < list->count()) {
      list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
      list->scrollToItem(list->item(row));
    } else {
      list->clearSelection();
      list->setCurrentIndex(QModelIndex());
    }
  } else if (window->kind == WindowKind::ComboBox) {
    static_cast<QComboBox *>(widget)->setCurrentIndex(row < 0 ? -1 : row);
  }
}

void mirrorTrackbar(HWND bar, QWidget *widget) {
  auto *slider = static_cast<QSlider *>(widget);
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
    auto *button = static_cast<QPushButton *>(qtWidgetFor(control));
    if (!button) continue;
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
    case WindowChange::Text: mirrorText(window, widget); break;
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
      if (window->kind == WindowKind::ComboBox) static_cast<TgComboBox *>(widget)->syncPopup(window->dropped);
      break;
    case WindowChange::Trackbar:
      if (window->kind == WindowKind::Trackbar) mirrorTrackbar(window, widget);
      break;
    case WindowChange::TabStops:
      if (auto *list = qobject_cast<QListWidget *>(widget)) list->viewport()->update();
      break;
    case WindowChange::Icon: showClassIcon(); break;
    case WindowChange::Focus:
      if (window->kind == WindowKind::Dialog) {
        if (QWidget *focused = QApplication::focusWidget(); focused && focused->window() == widget)
          focused->clearFocus();
      } else {
        // As on Windows, the focus frame shows once the keyboard moves the
        // focus and goes with a mouse click (styles read this attribute).
        widget->window()->setAttribute(Qt::WA_KeyboardFocusChange, KeyInput);
        widget->setFocus(KeyInput ? Qt::TabFocusReason : Qt::MouseFocusReason);
        widget->update();
      }
      showDefaultButton(window->dialog);
      break;
  }
}

}  // namespace

// ---- Widget classes ------------------------------------------------------------------

TgDialog::TgDialog(HWND dialog, QWidget *parent, Qt::WindowFlags flags) : QDialog(parent, flags), dialog_(dialog) {}

void TgDialog::reject() {
  // Only EndDialog closes a dialog; Escape is IDCANCEL to the procedure.
  if (::isWindow(dialog_)) userKey(dialog_, VK_ESCAPE);
  qtInputDone();
}

void TgDialog::closeEvent(QCloseEvent *event) {
  if (closingByBackend_) {
    event->accept();
    return;
  }
  event->ignore();
  if (::isWindow(dialog_)) userCloseBox(dialog_);
  qtInputDone();
}

namespace {

// A Windows drop-down list opens below its box, never over it, so a click on
// the box while the list is open reaches the box and closes the list.
class DropBelowStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                QStyleHintReturn *returnData) const override {
    if (hint == QStyle::SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

}  // namespace

void TgGroupBox::setTitle(const QString &title) {
  title_ = title;
  update();
}

// The frame's top edge runs through the middle of the title, which sits on
// it a little in from the left, as a Windows group box draws it.
void TgGroupBox::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  QFontMetrics metrics(font());
  // An etched line: the style's own group box frame assumes a title above it.
  qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true, 1, 0);
  if (title_.isEmpty()) return;
  int inset = metrics.averageCharWidth();
  QRect label(inset, 0, width() - 2 * inset, metrics.height());
  QRect used = style()->itemTextRect(metrics, label, Qt::AlignLeft | Qt::TextShowMnemonic, isEnabled(), title_);
  painter.fillRect(used.adjusted(-2, 0, 2, 0), palette().brush(QPalette::Window));
  style()->drawItemText(&painter, label, Qt::AlignLeft | Qt::TextShowMnemonic, palette(), isEnabled(), title_,
                        QPalette::WindowText);
}

TgComboBox::TgComboBox(HWND combo, QWidget *parent) : QComboBox(parent), combo_(combo) {
  static DropBelowStyle *style = new DropBelowStyle;
  setStyle(style);
}

void TgComboBox::showPopup() {
  if (syncing_) {
    QComboBox::showPopup();
    return;
  }
  // Asked by Qt (not by the core): the core opens it, with its notifications.
  if (acceptsInput(combo_) && !combo_->dropped) {
    if (combo_->dialog->focus != combo_) moveFocus(combo_->dialog, combo_);
    if (::isWindow(combo_)) openDropDown(combo_);
  }
  qtInputDone();
}

void TgComboBox::hidePopup() {
  if (syncing_ || !::isWindow(combo_) || combo_->dialog->ended) {
    QComboBox::hidePopup();
    return;
  }
  // Qt closes the list itself (Escape in the list, a click elsewhere): that
  // is a cancelled drop-down for the core.
  if (combo_->dropped) closeDropDown(combo_, false);
  syncing_ = true;
  QComboBox::hidePopup();
  syncing_ = false;
  qtInputDone();
}

void TgComboBox::syncPopup(bool dropped) {
  if (PopupPressed == combo_) PopupPressed = nullptr;
  syncing_ = true;
  if (dropped) {
    QComboBox::showPopup();
  } else {
    QComboBox::hidePopup();
  }
  syncing_ = false;
}

QStyleOptionSlider TgSlider::option() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return option;
}

QRect TgSlider::handleRect() const {
  QStyleOptionSlider slider = option();
  return style()->subControlRect(QStyle::CC_Slider, &slider, QStyle::SC_SliderHandle, this);
}

int TgSlider::pixelForValue(int value) const {
  QStyleOptionSlider slider = option();
  QRect groove = style()->subControlRect(QStyle::CC_Slider, &slider, QStyle::SC_SliderGroove, this);
  QRect handle = handleRect();
  int span = groove.width() - handle.width();
  return groove.left() + handle.width() / 2 + QStyle::sliderPositionFromValue(minimum(), maximum(), value, span);
}

int TgSlider::valueForPixel(int x) const {
  QStyleOptionSlider slider = option();
  QRect groove = style()->subControlRect(QStyle::CC_Slider, &slider, QStyle::SC_SliderGroove, this);
  QRect handle = handleRect();
  int span = groove.width() - handle.width();
  int offset = qBound(0, x - groove.left() - handle.width() / 2, span);
  return QStyle::sliderValueFromPosition(minimum(), maximum(), offset, span);
}

// ---- Lookups ---------------------------------------------------------------------------

QWidget *qtWidgetFor(HWND window) {
  if (!::isWindow(window)) return nullptr;
  return static_cast<QWidget *>(window->backendData);
}

HWND qtWindowFor(const QWidget *widget) { return Windows.value(widget); }

// ---- The backend's calls -----------------------------------------------------------------

void backendDialogCreated(HWND dialog) {
  qtEnsureApplication();
  QWidget *owner = qtWidgetFor(dialog->owner);
  Qt::WindowFlags flags = (owner ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (dialog->style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if ((dialog->style & WS_SYSMENU) && (dialog->style & WS_MINIMIZEBOX)) flags |= Qt::WindowMinimizeButtonHint;

  auto *window = new TgDialog(dialog, owner, flags);
  window->setWindowModality(Qt::ApplicationModal);
  window->setFont(qtDialogFont());
  window->setWindowTitle(QString::fromLatin1(dialog->text.c_str()));
  window->setFixedSize(qtDialogUnitsToPixelsX(dialog->cx), qtDialogUnitsToPixelsY(dialog->cy));
  dialog->backendData = window;
  watch(window, dialog);

  QWidget *previous = nullptr;
  for (HWND control : dialog->controls) {
    QWidget *widget = createControl(control, window);
    control->backendData = widget;
    watch(widget, control);
    if (auto *list = qobject_cast<QListWidget *>(widget)) watch(list->viewport(), control);
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
      // Installed after the combo box's own filters, so this one runs first.
      for (QObject *part : {static_cast<QObject *>(combo->view()->parentWidget()),
                            static_cast<QObject *>(combo->view()), static_cast<QObject *>(combo->view()->viewport())}) {
        PopupLists.insert(part, control);
        part->installEventFilter(Filter);
      }
    }
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
      if (HWND next = nextTabStop(dialog, control, false)) static_cast<QLabel *>(widget)->setBuddy(qtWidgetFor(next));
    }
    mirrorAll(control);
  }
  showDefaultButton(dialog);
  showClassIcon();
}

void backendDialogDestroyed(HWND dialog) {
  auto *window = static_cast<TgDialog *>(qtWidgetFor(dialog));
  if (!window) return;
  for (HWND control : dialog->controls) {
    if (PressedButton == control) PressedButton = nullptr;
    if (DraggedBar == control) DraggedBar = nullptr;
    if (PopupPressed == control) PopupPressed = nullptr;
    QWidget *widget = static_cast<QWidget *>(control->backendData);
    if (auto *combo = dynamic_cast<TgComboBox *>(widget)) {
      combo->syncPopup(false);
      PopupLists.remove(combo->view()->parentWidget());
      PopupLists.remove(combo->view());
      PopupLists.remove(combo->view()->viewport());
    }
    if (auto *list = qobject_cast<QListWidget *>(widget)) Windows.remove(list->viewport());
    Windows.remove(widget);
    control->backendData = nullptr;
  }
  Windows.remove(window);
  dialog->backendData = nullptr;
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
