#pragma once
// Values attached to rows, columns and cells of the grid.  Each list is kept
// ordered by its key and follows the rows and columns when they move.
#include "grid/GridSortKind.h"

#include <QPixmap>
#include <vector>

struct TRowForeignKey {
    int Row = 0;
    int Key = 0;
};

struct TColInfo {
    int Col = 0;
    TGridSortKind SortKind = skAutomatic;
    int Tag = 0;
};

struct TCellIcon {
    int Col = 0;
    int Row = 0;
    QPixmap Bitmap;
};

class TGridAttachments {
public:
    // Setting a key that exists replaces its entry.
    void SetRowKey(int row, int key);
    const TRowForeignKey* FindRowKey(int row) const;
    void SetColInfo(int col, TGridSortKind kind, int tag = 0);
    const TColInfo* FindColInfo(int col) const;
    void SetCellIcon(int col, int row, const QPixmap& bitmap);
    const TCellIcon* FindCellIcon(int col, int row) const;
    void Clear();

    const std::vector<TRowForeignKey>& RowKeys() const { return FRowKeys; }
    const std::vector<TColInfo>& ColInfos() const { return FColInfos; }
    const std::vector<TCellIcon>& CellIcons() const { return FCellIcons; }

    // Renumber after a column or row moved from one index to another.
    void ColumnMoved(int from, int to);
    void RowMoved(int from, int to);

private:
    std::vector<TRowForeignKey> FRowKeys;
    std::vector<TColInfo> FColInfos;
    std::vector<TCellIcon> FCellIcons;
};

// Where an index lands when the item at `from` moves to `to`.
int MovedIndex(int index, int from, int to);
