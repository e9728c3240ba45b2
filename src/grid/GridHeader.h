#pragma once
// The grid's header row: the captions, with the sort arrow drawn over the
// sorted column's cell, its bottom-right corner at the cell's.
#include <QHeaderView>
#include <QPixmap>

class TGridHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit TGridHeader(QWidget* parent = nullptr);

    void SetArrows(const QPixmap& ascending, const QPixmap& descending);
    // col -1: no arrow.
    void SetSortMark(int col, bool ascending);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QPixmap FAscending;
    QPixmap FDescending;
    int FSortColumn = -1;
    bool FSortAscending = true;
};
