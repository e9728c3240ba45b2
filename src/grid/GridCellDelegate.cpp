#include "grid/GridCellDelegate.h"

#include "grid/TStringGridEx.h"

#include <QApplication>
#include <QBitmap>
#include <QPainter>
#include <algorithm>

TGridCellDelegate::TGridCellDelegate(TStringGridEx* grid)
    : QStyledItemDelegate(grid), FGrid(grid) {}

void TGridCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideNone;
    option->features &= ~QStyleOptionViewItem::WrapText;
    option->state &= ~QStyle::State_HasFocus;

    const int row = index.row() + 1; // grid row
    const bool shaded = (row - 1) % 2 == 1;
    if (!FGrid->MultiSelect()) {
        if (shaded && row != FGrid->SelectedRow())
            option->backgroundBrush = QColor(TStringGridEx::ShadeColour);
        return;
    }
    const auto& picked = FGrid->MultiSelection();
    const bool inSelection = std::find(picked.begin(), picked.end(), row) != picked.end();
    const bool current = FGrid->currentIndex().isValid() && FGrid->currentIndex().row() + 1 == row;
    if (inSelection && current) {
        option->state |= QStyle::State_Selected;
    } else if (inSelection) {
        option->state &= ~QStyle::State_Selected;
        option->backgroundBrush = QColor(Qt::black);
        option->palette.setColor(QPalette::Text, option->palette.color(QPalette::HighlightedText));
    } else {
        option->state &= ~QStyle::State_Selected;
        if (shaded)
            option->backgroundBrush = QColor(TStringGridEx::ShadeColour);
    }
}

void TGridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    // Background and selection from the style; the text on one line, 2
    // pixels in from each side, clipped rather than shortened.
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    cell.text.clear();
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    painter->save();
    painter->setClipRect(cell.rect);
    const bool selected = cell.state & QStyle::State_Selected;
    painter->setPen(cell.palette.color(cell.state & QStyle::State_Active ? QPalette::Active
                                                                         : QPalette::Inactive,
                                       selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(cell.font);
    painter->drawText(cell.rect.adjusted(2, 0, -2, 0),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();

    const TCellIcon* icon = FGrid->Attachments().FindCellIcon(index.column(), index.row() + 1);
    if (!icon || icon->Bitmap.isNull())
        return;
    // Transparent where the picture has its corner pixel's colour.
    QPixmap picture = icon->Bitmap;
    const QImage image = picture.toImage();
    picture.setMask(QBitmap::fromImage(
        image.createMaskFromColor(image.pixel(0, image.height() - 1), Qt::MaskOutColor)));
    const QSize size = picture.deviceIndependentSize().toSize();
    const QPoint at(option.rect.x() + (option.rect.width() - size.width()) / 2,
                    option.rect.y() + (option.rect.height() - size.height()) / 2);
    painter->drawPixmap(at, picture);
}
