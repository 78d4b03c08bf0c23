#include "app/TitleListView.h"

#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

// Grid lines under and right of every cell, as a report-style list view draws them.
class TGridLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
};

QPixmap CheckBoxPicture(bool ticked) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(2.5, 2.5, 11, 11));
    if (ticked) {
        painter.setPen(QPen(QColor(0, 110, 0), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(4.5, 8);
        tick.lineTo(7, 10.5);
        tick.lineTo(11.5, 5);
        painter.drawPath(tick);
    }
    return picture;
}

}  // namespace

QTreeWidget* CreateTitleListView(QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QStringLiteral("ListView1"));
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("Код"), QStringLiteral("Титул")});
    list->setColumnWidth(1, 380);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setItemDelegate(new TGridLineDelegate(list));
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    // The selection keeps its colours when the list loses the focus.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
    return list;
}

void Search(const QString& text, QTreeWidget& list, int column) {
    if (text.isEmpty()) return;
    const QString wanted = text.toUpper();
    const int count = list.topLevelItemCount();
    QTreeWidgetItem* selected = list.selectedItems().value(0);
    const int start = selected ? list.indexOfTopLevelItem(selected) + 1 : 0;
    const int visits = selected ? count - 1 : count;
    for (int step = 0; step < visits; ++step) {
        QTreeWidgetItem* item = list.topLevelItem((start + step) % count);
        if (!item->text(column).toUpper().contains(wanted)) continue;
        list.setCurrentItem(item);  // selected and focused
        list.scrollToItem(item);
        return;
    }
}

QIcon TickAllIcon() { return QIcon(CheckBoxPicture(true)); }
QIcon ClearAllIcon() { return QIcon(CheckBoxPicture(false)); }

QIcon SearchIcon() {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 40), 1.6));
    painter.setBrush(QColor(200, 225, 255));
    painter.drawEllipse(QRectF(2, 2, 8.5, 8.5));
    painter.setPen(QPen(QColor(40, 40, 40), 2.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(9.8, 9.8), QPointF(14, 14));
    return QIcon(picture);
}
