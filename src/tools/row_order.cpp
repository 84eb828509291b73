#include "tools/row_order.h"

#include "tools/sort_keys.h"

#include <algorithm>

namespace pelldrake {

void SortRows(std::vector<int>& rows, const ClassList& list, int column, bool ascending, const PathText& pathText) {
    SortKeys keys(rows, list, column, pathText);
    std::vector<SortKeys::Item>& items = keys.items();
    // Stable, so rows with equal keys keep their order. A merge also takes the long runs of equal keys of a list
    // with many files per folder or extension in its stride.
    const auto before = [&keys, ascending](const SortKeys::Item& a, const SortKeys::Item& b) {
        const int order = keys.Compare(a, b);
        return ascending ? order < 0 : order > 0;
    };
    std::stable_sort(items.begin(), items.end(), before);

    std::vector<int> sorted;
    sorted.reserve(rows.size());
    for (const SortKeys::Item& item : items)
        sorted.push_back(rows[item.row]);
    rows = std::move(sorted);
}

} // namespace pelldrake
