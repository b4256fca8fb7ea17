// The order of file names a Chinese desktop shows: pinyin for Chinese characters, letter case ignored.
#include "intake/nameorder.h"

#include <algorithm>
#include <numeric>

#include <QLocale>

namespace intake {

NameOrder::NameOrder(DigitRuns digits)
    : m_collator(QLocale(QLocale::Chinese, QLocale::China))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(digits == DigitRuns::ByValue);
    // Spaces and punctuation take part in the order, as in a file manager ("a b" before "ab").
    m_collator.setIgnorePunctuation(false);
}

std::vector<QCollatorSortKey> NameOrder::sortKeys(const QStringList& names) const
{
    std::vector<QCollatorSortKey> keys;
    keys.reserve(static_cast<size_t>(names.size()));
    for (const QString& name : names)
        keys.push_back(m_collator.sortKey(name));
    return keys;
}

int NameOrder::compare(const QCollatorSortKey& keyA, QStringView a, const QCollatorSortKey& keyB, QStringView b)
{
    int c = keyA.compare(keyB);
    if (c == 0)
        c = a.compare(b, Qt::CaseInsensitive);
    if (c == 0)
        c = a.compare(b, Qt::CaseSensitive);
    return (c > 0) - (c < 0);
}

int NameOrder::compare(const QString& a, const QString& b) const
{
    return compare(m_collator.sortKey(a), a, m_collator.sortKey(b), b);
}

std::vector<int> NameOrder::sortedPositions(const QStringList& names) const
{
    const std::vector<QCollatorSortKey> keys = sortKeys(names);
    std::vector<int> positions(static_cast<size_t>(names.size()));
    std::iota(positions.begin(), positions.end(), 0);
    std::stable_sort(positions.begin(), positions.end(),
        [&](int x, int y) { return compare(keys[x], names[x], keys[y], names[y]) < 0; });
    return positions;
}

} // namespace intake
