#pragma once
// The grid's texts: row 0 the captions (shown in the horizontal header),
// rows 1 .. the data (model rows 0 ..).
#include <QAbstractTableModel>
#include <QString>
#include <vector>

class TGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Grid coordinates: row 0 is the header.
    int GridRows() const { return static_cast<int>(FRows.size()); }
    int GridCols() const { return FCols; }
    void SetGridRows(int rows);
    void SetGridCols(int cols);
    const QString& Cell(int col, int row) const { return FRows[row][col]; }
    void SetCell(int col, int row, const QString& text);
    // Replaces everything; rows[0] the captions; `cols` wide.
    void SetAll(std::vector<std::vector<QString>> rows, int cols);
    const std::vector<QString>& Row(int row) const { return FRows[row]; }

    // Puts data rows in a new order: order[i] is the data index (0 = grid
    // row 1) that goes to data place i.
    void ReorderDataRows(const std::vector<int>& order);
    void MoveGridColumn(int from, int to);

private:
    std::vector<std::vector<QString>> FRows{std::vector<QString>()};
    int FCols = 0;
};
