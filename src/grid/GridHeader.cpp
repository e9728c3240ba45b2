#include "grid/GridHeader.h"

#include <QPainter>
#include <QStyleOptionHeader>

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
    // The section's face from the style, the caption on one line 2 pixels in
    // from each side, so that a column as wide as its caption shows it.
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    option.state |= QStyle::State_Raised;
    if (isEnabled())
        option.state |= QStyle::State_Enabled;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    painter->setClipRect(rect);
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->drawText(
        rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        model() ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString()
                : QString());
    painter->restore();
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
