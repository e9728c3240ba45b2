#include "grid/GridModel.h"

#include <algorithm>

int TGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GridRows() - 1;
}

int TGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FCols;
}

QVariant TGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return FRows[index.row() + 1][index.column()];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section >= 0 && section < FCols) {
        if (role == Qt::DisplayRole)
            return FRows[0][section];
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return {};
}

Qt::ItemFlags TGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TGridModel::SetGridRows(int rows) {
    rows = std::max(rows, 1);
    const int old = GridRows();
    if (rows > old) {
        beginInsertRows({}, old - 1, rows - 2);
        FRows.resize(rows, std::vector<QString>(FCols));
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows - 1, old - 2);
        FRows.resize(rows);
        endRemoveRows();
    }
}

void TGridModel::SetGridCols(int cols) {
    cols = std::max(cols, 0);
    if (cols > FCols) {
        beginInsertColumns({}, FCols, cols - 1);
        for (auto& row : FRows)
            row.resize(cols);
        FCols = cols;
        endInsertColumns();
    } else if (cols < FCols) {
        beginRemoveColumns({}, cols, FCols - 1);
        for (auto& row : FRows)
            row.resize(cols);
        FCols = cols;
        endRemoveColumns();
    }
}

void TGridModel::SetCell(int col, int row, const QString& text) {
    FRows[row][col] = text;
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col, col);
    else
        emit dataChanged(index(row - 1, col), index(row - 1, col), {Qt::DisplayRole});
}

void TGridModel::SetAll(std::vector<std::vector<QString>> rows, int cols) {
    beginResetModel();
    if (rows.empty())
        rows.emplace_back();
    for (auto& row : rows)
        row.resize(cols);
    FRows = std::move(rows);
    FCols = cols;
    endResetModel();
}

void TGridModel::ReorderDataRows(const std::vector<int>& order) {
    // The rows' contents change places; the selection stays on its row
    // index, as the grid's rows themselves do not move.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::vector<QString>> moved(order.size());
    for (size_t place = 0; place < order.size(); ++place)
        moved[place] = std::move(FRows[order[place] + 1]);
    for (size_t place = 0; place < order.size(); ++place)
        FRows[place + 1] = std::move(moved[place]);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TGridModel::MoveGridColumn(int from, int to) {
    if (from == to)
        return;
    // Qt counts the destination before the move takes the column out.
    beginMoveColumns({}, from, from, {}, to > from ? to + 1 : to);
    for (auto& row : FRows) {
        QString cell = std::move(row[from]);
        row.erase(row.begin() + from);
        row.insert(row.begin() + to, std::move(cell));
    }
    endMoveColumns();
}
