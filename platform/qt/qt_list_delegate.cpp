/* List box rows with tab stops: a row's tab-separated columns drawn at the
 * list's stops, as a Windows list box with LBS_USETABSTOPS draws them (the
 * stops are the core's, as LB_SETTABSTOPS gave them).
 */
#include <QtWidgets>

#include "platform/qt/qt_internal.h"

namespace {

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

  // Rows as high as the list makes them (TgListBox::placeInto).
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(qtAs<const TgListBox>(option.widget)->rowHeight());
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

}  // namespace

QStyledItemDelegate *qtNewTabStopDelegate(HWND list, QObject *parent) { return new TabStopDelegate(list, parent); }
