/* The widget classes of the Qt backend: a dialog's window, a group box as
 * Windows draws it, a list box, a drop-down list and a track bar, and what a
 * screen reader learns of them. They show the core's state; what a person
 * does to them goes to the core.
 */
#include <QtWidgets>

#include "platform/core/rules.h"
#include "platform/core/user_input.h"
#include "platform/qt/qt_internal.h"

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

void TgDialog::changeEvent(QEvent *event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && !closingByBackend_) qtKeepWindowsOnScreen();
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

TgListBox::TgListBox(QWidget *parent) : QListWidget(parent), rowHeight_(QFontMetrics(font()).height()) {
  // Scrolling by whole rows keeps every shown row whole.
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

// The templates' lists say LBS_NOINTEGRALHEIGHT, and on Windows their
// heights do end in a part of a row; here the rows grow a little instead, so
// the list shows only whole rows and keeps the template's place.
void TgListBox::placeInto(const QRect &area) {
  int frame = 2 * frameWidth();
  int visible = qMax(1, area.height() - frame);
  int rows = qMax(1, visible / fontMetrics().height());
  rowHeight_ = qMax(1, visible / rows);
  setGeometry(area.x(), area.y(), area.width(), rows * rowHeight_ + frame);
  doItemsLayout();
}

QRect TgListBox::focusMarkRect() const {
  if (!hasFocus() || !isEnabled() || !selectedItems().isEmpty()) return {};
  if (count() > 0) return visualItemRect(item(0));
  return QRect(0, 0, viewport()->width(), rowHeight_);
}

void TgListBox::paintEvent(QPaintEvent *event) {
  QListWidget::paintEvent(event);
  QRect mark = focusMarkRect();
  if (mark.isEmpty()) return;
  // Dotted, in the text colour, as Windows draws a focus rectangle.
  QPainter painter(viewport());
  painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
  painter.drawRect(mark.adjusted(0, 0, -1, -1));
}

void TgListBox::focusInEvent(QFocusEvent *event) {
  QListWidget::focusInEvent(event);
  viewport()->update();
}

void TgListBox::focusOutEvent(QFocusEvent *event) {
  QListWidget::focusOutEvent(event);
  viewport()->update();
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
  qtForgetPress(combo_);
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

// ---- Screen readers ----------------------------------------------------------------

namespace {

// A drop-down list as Windows presents one to a screen reader: named by its
// label, with the chosen row as its value. (Qt names a read-only combo box
// on Unix after its chosen row and leaves the label to a relation.)
class AccessibleDropDownList : public QAccessibleWidget {
 public:
  explicit AccessibleDropDownList(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}
  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return qtAs<QComboBox>(widget())->currentText();
    return QAccessibleWidget::text(kind);
  }
};

// A radio button read as one. Qt reads a radio button that is not
// auto-exclusive as a check box, and ours are not: the core keeps the group.
class AccessibleRadioButton : public QAccessibleWidget {
 public:
  explicit AccessibleRadioButton(QRadioButton *radio) : QAccessibleWidget(radio, QAccessible::RadioButton) {}
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = qtAs<QRadioButton>(widget())->isChecked();
    return state;
  }
};

QAccessibleInterface *accessibleInterfaceFor(const QString &, QObject *object) {
  if (auto *combo = dynamic_cast<TgComboBox *>(object)) return new AccessibleDropDownList(combo);
  if (auto *radio = qobject_cast<QRadioButton *>(object)) return new AccessibleRadioButton(radio);
  // A group box is a frame with a title, which names it.
  if (auto *frame = dynamic_cast<TgGroupBox *>(object)) return new QAccessibleWidget(frame, QAccessible::Grouping);
  return nullptr;
}

}  // namespace

void qtInstallAccessibleInterfaces() { QAccessible::installFactory(accessibleInterfaceFor); }

void qtNameControls(HWND dialog) {
  for (HWND control : dialog->controls) {
    QWidget *widget = qtWidgetFor(control);
    QString name = QString::fromLatin1(accessibleNameOf(control).c_str());
    if (widget && widget->accessibleName() != name) widget->setAccessibleName(name);
  }
}
