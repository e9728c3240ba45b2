#pragma once
// Paints the grid's data cells: every second data row shaded (not the
// selected one), multi-selected rows highlighted, cell icons on top.
#include <QStyledItemDelegate>

class TStringGridEx;

class TGridCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit TGridCellDelegate(TStringGridEx* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    TStringGridEx* FGrid;
};
