#include "grid/GridHeader.h"

#include <QPainter>

TGridHeader::TGridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void TGridHeader::SetArrows(const QPixmap& ascending, const QPixmap& descending) {
    FAscending = ascending;
    FDescending = descending;
}

void TGridHeader::SetSortMark(int col, bool ascending) {
    if (col == FSortColumn && ascending == FSortAscending)
        return;
    FSortColumn = col;
    FSortAscending = ascending;
    viewport()->update();
}

void TGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (logicalIndex != FSortColumn)
        return;
    const QPixmap& arrow = FSortAscending ? FAscending : FDescending;
    if (arrow.isNull())
        return;
    painter->save();
    painter->setClipRect(rect);
    const QSize size = arrow.deviceIndependentSize().toSize();
    painter->drawPixmap(rect.right() + 1 - size.width(), rect.bottom() + 1 - size.height(), arrow);
    painter->restore();
}
