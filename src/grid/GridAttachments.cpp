#include "grid/GridAttachments.h"

#include <algorithm>

int MovedIndex(int index, int from, int to) {
    if (index == from)
        return to;
    if (from < to && from < index && index <= to)
        return index - 1;
    if (from > to && to <= index && index < from)
        return index + 1;
    return index;
}

namespace {

template <class List, class Less, class Same, class Item>
void Put(List& list, const Item& item, Less less, Same same) {
    auto at = std::lower_bound(list.begin(), list.end(), item, less);
    if (at != list.end() && same(*at, item))
        *at = item;
    else
        list.insert(at, item);
}

template <class List, class Less, class Same, class Item>
const Item* Find(const List& list, const Item& probe, Less less, Same same) {
    auto at = std::lower_bound(list.begin(), list.end(), probe, less);
    return at != list.end() && same(*at, probe) ? &*at : nullptr;
}

const auto RowLess = [](const TRowForeignKey& a, const TRowForeignKey& b) { return a.Row < b.Row; };
const auto RowSame = [](const TRowForeignKey& a, const TRowForeignKey& b) {
    return a.Row == b.Row;
};
const auto ColLess = [](const TColInfo& a, const TColInfo& b) { return a.Col < b.Col; };
const auto ColSame = [](const TColInfo& a, const TColInfo& b) { return a.Col == b.Col; };
const auto CellLess = [](const TCellIcon& a, const TCellIcon& b) {
    return a.Col != b.Col ? a.Col < b.Col : a.Row < b.Row;
};
const auto CellSame = [](const TCellIcon& a, const TCellIcon& b) {
    return a.Col == b.Col && a.Row == b.Row;
};

} // namespace

void TGridAttachments::SetRowKey(int row, int key) {
    Put(FRowKeys, TRowForeignKey{row, key}, RowLess, RowSame);
}

const TRowForeignKey* TGridAttachments::FindRowKey(int row) const {
    return Find(FRowKeys, TRowForeignKey{row, 0}, RowLess, RowSame);
}

void TGridAttachments::SetColInfo(int col, TGridSortKind kind, int tag) {
    Put(FColInfos, TColInfo{col, kind, tag}, ColLess, ColSame);
}

const TColInfo* TGridAttachments::FindColInfo(int col) const {
    return Find(FColInfos, TColInfo{col, skAutomatic, 0}, ColLess, ColSame);
}

void TGridAttachments::SetCellIcon(int col, int row, const QPixmap& bitmap) {
    Put(FCellIcons, TCellIcon{col, row, bitmap}, CellLess, CellSame);
}

const TCellIcon* TGridAttachments::FindCellIcon(int col, int row) const {
    return Find(FCellIcons, TCellIcon{col, row, QPixmap()}, CellLess, CellSame);
}

void TGridAttachments::Clear() {
    FRowKeys.clear();
    FColInfos.clear();
    FCellIcons.clear();
}

void TGridAttachments::ColumnMoved(int from, int to) {
    for (auto& info : FColInfos)
        info.Col = MovedIndex(info.Col, from, to);
    for (auto& icon : FCellIcons)
        icon.Col = MovedIndex(icon.Col, from, to);
    std::sort(FColInfos.begin(), FColInfos.end(), ColLess);
    std::sort(FCellIcons.begin(), FCellIcons.end(), CellLess);
}

void TGridAttachments::RowMoved(int from, int to) {
    for (auto& key : FRowKeys)
        key.Row = MovedIndex(key.Row, from, to);
    for (auto& icon : FCellIcons)
        icon.Row = MovedIndex(icon.Row, from, to);
    std::sort(FRowKeys.begin(), FRowKeys.end(), RowLess);
    std::sort(FCellIcons.begin(), FCellIcons.end(), CellLess);
}
