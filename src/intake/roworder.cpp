// Row ordering commands of the rename list: move the selected row up or down, remove it, clear it, sort it.
#include "intake/roworder.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include <QDateTime>
#include <QFileInfo>

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

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int sign(qsizetype value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// The natural comparison of two case-folded names, without the fallbacks.
int naturalOnly(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Leading zeros do not count; then the longer run is the larger number, and runs of one
            // length compare digit by digit. No conversion, so runs of any length are fine.
            while (i < a.size() && a[i] == QLatin1Char('0'))
                ++i;
            while (j < b.size() && b[j] == QLatin1Char('0'))
                ++j;
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && isDigit(a[i]))
                ++i;
            while (j < b.size() && isDigit(b[j]))
                ++j;
            if (i - startA != j - startB)
                return sign((i - startA) - (j - startB));
            if (const int c = a.sliced(startA, i - startA).compare(b.sliced(startB, j - startB)))
                return c < 0 ? -1 : 1;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    return sign((a.size() - i) - (b.size() - j));
}

int naturalFolded(const QString& foldedA, const QString& a, const QString& foldedB, const QString& b)
{
    if (const int c = naturalOnly(foldedA, foldedB))
        return c;
    if (const int c = foldedA.compare(foldedB))
        return c < 0 ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
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

std::vector<QString> foldedNames(const RenameList& list)
{
    std::vector<QString> folded;
    folded.reserve(list.count());
    for (const QString& name : list.oldNames())
        folded.push_back(name.toCaseFolded());
    return folded;
}

} // namespace

int naturalCompare(QStringView a, QStringView b)
{
    return naturalFolded(a.toString().toCaseFolded(), a.toString(), b.toString().toCaseFolded(), b.toString());
}

OrderResult sortByName(RenameList& list, std::optional<int> selected)
{
    const std::vector<QString> folded = foldedNames(list);
    const QStringList& names = list.oldNames();
    std::vector<int> order(list.count());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
        [&](int x, int y) { return naturalFolded(folded[x], names[x], folded[y], names[y]) < 0; });
    return applyOrder(list, order, selected);
}

OrderResult sortByModificationTime(RenameList& list, std::optional<int> selected)
{
    const std::vector<QString> folded = foldedNames(list);
    const QStringList& names = list.oldNames();
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
        return naturalFolded(folded[x], names[x], folded[y], names[y]) < 0;
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
