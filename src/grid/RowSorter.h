#pragma once
// The order the grid's data rows take when sorted by one column.  Rows whose
// cell is blank gather first, in the order met (each exchanged with the next
// free top place); the rest are sorted by an in-place quicksort with the
// middle row as pivot; a descending sort reverses the ascending result over
// all rows.  With fewer than two non-blank rows nothing is sorted or
// reversed.
#include "grid/CellComparer.h"
#include "grid/GridSortKind.h"

#include <QLocale>
#include <QString>
#include <vector>

// Blank: nothing but spaces and control characters.
bool IsBlankCell(const QString& text);

// result[i] is the index in `cells` of the row that goes to place i.
std::vector<int> SortRowOrder(const std::vector<QString>& cells, const TCellComparer& comparer,
                              bool ascending);
