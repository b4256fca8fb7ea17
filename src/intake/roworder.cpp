// Row ordering commands of the rename list: move the selected row up or down, remove it, clear it, sort it.
#include "intake/roworder.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include <QDateTime>
#include <QFileInfo>

#include "intake/nameorder.h"
#include "rename/renamelist.h"

namespace intake {

namespace {

bool isRow(const RenameList& list, std::optional<int> row)
{
    return row && *row >= 0 && *row < list.count();
}

OrderResult unchanged(const RenameList& list, std::optional<int> selected)
{
    return { isRow(list, selected) ? selected : std::nullopt, false };
}

OrderResult exchangeWith(RenameList& list, int selected, int neighbour)
{
    list.exchangeCarried(neighbour, selected);
    return { neighbour, true };
}

// Puts the carried cells of row order[i] at position i for every i, by exchanges, and reports where the
// selected file went.
OrderResult applyOrder(RenameList& list, const std::vector<int>& order, std::optional<int> selected)
{
    if (std::is_sorted(order.begin(), order.end()))
        return unchanged(list, selected);
    const int n = list.count();
    std::vector<int> where(n); // where[original row] = its current position
    std::vector<int> at(n); // at[position] = the original row now there
    std::iota(where.begin(), where.end(), 0);
    std::iota(at.begin(), at.end(), 0);
    for (int i = 0; i < n; ++i) {
        const int wanted = order[i];
        const int from = where[wanted];
        if (from == i)
            continue;
        list.exchangeCarried(i, from);
        const int displaced = at[i];
        at[i] = wanted;
        at[from] = displaced;
        where[wanted] = i;
        where[displaced] = from;
    }
    return { isRow(list, selected) ? std::optional<int>(where[*selected]) : std::nullopt, true };
}

} // namespace

int naturalCompare(QStringView a, QStringView b)
{
    return NameOrder(DigitRuns::ByValue).compare(a.toString(), b.toString());
}

OrderResult sortByName(RenameList& list, std::optional<int> selected)
{
    return applyOrder(list, NameOrder(DigitRuns::ByValue).sortedPositions(list.oldNames()), selected);
}

OrderResult sortByModificationTime(RenameList& list, std::optional<int> selected)
{
    const QStringList names = list.oldNames();
    const std::vector<QCollatorSortKey> keys = NameOrder(DigitRuns::ByValue).sortKeys(names);
    std::vector<std::optional<qint64>> times(list.count());
    for (int row = 0; row < list.count(); ++row) {
        const QFileInfo info(list.oldPath(row));
        const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
        if (modified.isValid())
            times[row] = modified.toMSecsSinceEpoch();
    }
    std::vector<int> order(list.count());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        if (times[x] != times[y]) {
            if (!times[x] || !times[y])
                return bool(times[x]); // a readable time before none
            return *times[x] < *times[y];
        }
        return NameOrder::compare(keys[x], names[x], keys[y], names[y]) < 0;
    });
    return applyOrder(list, order, selected);
}

OrderResult moveUp(RenameList& list, std::optional<int> selected)
{
    if (list.count() < 2 || !isRow(list, selected) || *selected == 0)
        return unchanged(list, selected);
    return exchangeWith(list, *selected, *selected - 1);
}

OrderResult moveDown(RenameList& list, std::optional<int> selected)
{
    if (list.count() < 2 || !isRow(list, selected) || *selected == list.count() - 1)
        return unchanged(list, selected);
    return exchangeWith(list, *selected, *selected + 1);
}

OrderResult removeSelected(RenameList& list, std::optional<int> selected)
{
    if (list.count() == 0 || !isRow(list, selected))
        return unchanged(list, selected);
    const int row = *selected;
    list.remove(row);
    return { row < list.count() ? std::optional<int>(row) : std::nullopt, true };
}

OrderResult clearAll(RenameList& list)
{
    list.clear();
    return { std::nullopt, false };
}

} // namespace intake
