// Row ordering commands of the rename list: move the selected row up or down, remove it, clear it, sort it.
#include "intake/roworder.h"

#include <algorithm>
#include <array>
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

/*
 * A text whose plain order is the natural order of case-folded names: each run of digits becomes "0", its
 * length without leading zeros as one code unit, then those digits. Equal runs give equal pieces; of two
 * runs the shorter number sorts first, then digit by digit; and the leading "0" sorts against any other
 * character as a digit would. Sorting on these keys costs one plain comparison per pair.
 */
QString naturalKey(const QString& folded)
{
    QString key;
    key.reserve(folded.size() + 4);
    for (qsizetype i = 0; i < folded.size();) {
        if (!isDigit(folded[i])) {
            key += folded[i++];
            continue;
        }
        while (i < folded.size() && folded[i] == QLatin1Char('0'))
            ++i;
        const qsizetype start = i;
        while (i < folded.size() && isDigit(folded[i]))
            ++i;
        key += QLatin1Char('0');
        key += QChar(char16_t(std::min<qsizetype>(i - start, 0xffff)));
        key += QStringView(folded).sliced(start, i - start);
    }
    return key;
}

// The first code units of a natural key packed big-endian into integers (shorter keys padded with zeros, which
// sort first as a prefix does), so that most comparisons of names with long common beginnings ("IMG_00...")
// are three integer comparisons.
using KeyPrefix = std::array<quint64, 3>;

KeyPrefix keyPrefix(QStringView key)
{
    KeyPrefix prefix {};
    const qsizetype units = std::min<qsizetype>(4 * prefix.size(), key.size());
    for (qsizetype i = 0; i < units; ++i)
        prefix[i / 4] |= quint64(key[i].unicode()) << (48 - 16 * (i % 4));
    return prefix;
}

// What the sorts compare for one name: the natural key, then the case-folded name, then the name itself.
struct NameKey {
    KeyPrefix prefix;
    QString natural;
    QString folded;
    QString name;
};

NameKey nameKey(const QString& name)
{
    QString folded = name.toCaseFolded();
    QString natural = naturalKey(folded);
    const KeyPrefix prefix = keyPrefix(natural);
    return { prefix, std::move(natural), std::move(folded), name };
}

int compareKeys(const NameKey& a, const NameKey& b)
{
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix ? -1 : 1;
    int c = a.natural.compare(b.natural);
    if (c == 0)
        c = a.folded.compare(b.folded);
    if (c == 0)
        c = a.name.compare(b.name);
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

std::vector<NameKey> nameKeys(const RenameList& list)
{
    std::vector<NameKey> keys;
    keys.reserve(list.count());
    for (const QString& name : list.oldNames())
        keys.push_back(nameKey(name));
    return keys;
}

} // namespace

int naturalCompare(QStringView a, QStringView b)
{
    return compareKeys(nameKey(a.toString()), nameKey(b.toString()));
}

OrderResult sortByName(RenameList& list, std::optional<int> selected)
{
    const std::vector<NameKey> keys = nameKeys(list);
    std::vector<int> order(list.count());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) { return compareKeys(keys[x], keys[y]) < 0; });
    return applyOrder(list, order, selected);
}

OrderResult sortByModificationTime(RenameList& list, std::optional<int> selected)
{
    const std::vector<NameKey> keys = nameKeys(list);
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
        return compareKeys(keys[x], keys[y]) < 0;
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
