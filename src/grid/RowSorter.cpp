#include "grid/RowSorter.h"

#include <algorithm>
#include <utility>

bool IsBlankCell(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= ' '; });
}

namespace {

struct TItem {
    int Row;
    const TCellKey* Key;
};

void QuickSort(std::vector<TItem>& items, int low, int high, const TCellComparer& comparer) {
    int i = 0;
    do {
        i = low;
        int j = high;
        const TCellKey& pivot = *items[(low + high) / 2].Key; // keys stay put
        do {
            // The bounds keep a scan inside the range even if the
            // comparison is not a consistent order.
            while (i < high && comparer.Compare(*items[i].Key, pivot) < 0)
                ++i;
            while (j > low && comparer.Compare(*items[j].Key, pivot) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    std::swap(items[i], items[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (low < j)
            QuickSort(items, low, j, comparer);
        low = i;
    } while (i < high);
}

} // namespace

std::vector<int> SortRowOrder(const std::vector<QString>& cells, const TCellComparer& comparer,
                              bool ascending) {
    const int count = static_cast<int>(cells.size());
    std::vector<int> order(count);
    for (int r = 0; r < count; ++r)
        order[r] = r;

    int top = 0;
    for (int r = 0; r < count; ++r)
        if (IsBlankCell(cells[r]))
            std::swap(order[r], order[top++]);
    if (top >= count - 1)
        return order;

    std::vector<TCellKey> keys;
    keys.reserve(count - top);
    std::vector<TItem> items(count);
    for (int r = 0; r < count; ++r)
        items[r].Row = order[r];
    for (int r = top; r < count; ++r) {
        keys.push_back(comparer.Key(cells[order[r]]));
        items[r].Key = &keys.back();
    }
    QuickSort(items, top, count - 1, comparer);

    for (int r = 0; r < count; ++r)
        order[r] = items[r].Row;
    if (!ascending)
        std::reverse(order.begin(), order.end());
    return order;
}
