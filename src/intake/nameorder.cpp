// The order of file names a Chinese desktop shows: pinyin for Chinese characters, letter case ignored.
#include "intake/nameorder.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include <QLocale>
#include <QThread>

#include "background/backgroundtask.h"

namespace intake {

namespace {

// Below this many names a second thread costs more than it saves.
constexpr qsizetype kNamesPerThread = 20000;

unsigned threadsFor(qsizetype count)
{
    const unsigned cores = unsigned(std::max(1, QThread::idealThreadCount()));
    return unsigned(std::clamp<qsizetype>(count / kNamesPerThread, 1, cores));
}

} // namespace

NameOrder::NameOrder(DigitRuns digits)
    : m_digits(digits)
    , m_collator(QLocale(QLocale::Chinese, QLocale::China))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(digits == DigitRuns::ByValue);
    // Spaces and punctuation take part in the order, as in a file manager ("a b" before "ab").
    m_collator.setIgnorePunctuation(false);
}

std::vector<QCollatorSortKey> NameOrder::sortKeys(const QStringList& names) const
{
    const unsigned threads = threadsFor(names.size());
    if (threads == 1) {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(static_cast<size_t>(names.size()));
        for (const QString& name : names)
            keys.push_back(m_collator.sortKey(name));
        return keys;
    }
    // A QCollator serves one thread: every other chunk gets a collation of its own, set up alike.
    std::vector<std::optional<QCollatorSortKey>> keyed(static_cast<size_t>(names.size()));
    background::inParts(names.size(), threads, [&](qsizetype begin, qsizetype end) {
        const NameOrder own(m_digits);
        const QCollator& collator = end == names.size() ? m_collator : own.m_collator;
        for (qsizetype i = begin; i < end; ++i)
            keyed[size_t(i)].emplace(collator.sortKey(names.at(i)));
    });
    std::vector<QCollatorSortKey> keys;
    keys.reserve(keyed.size());
    for (std::optional<QCollatorSortKey>& key : keyed)
        keys.push_back(std::move(*key));
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
    const auto before = [&](int x, int y) { return compare(keys[x], names[x], keys[y], names[y]) < 0; };
    const unsigned threads = threadsFor(names.size());
    if (threads == 1) {
        std::stable_sort(positions.begin(), positions.end(), before);
        return positions;
    }
    // Each chunk sorted on its own thread, then merged in turn; stable sorts and merges keep equal names
    // in their order.
    const qsizetype n = names.size();
    background::inParts(n, threads, [&](qsizetype begin, qsizetype end) {
        std::stable_sort(positions.begin() + begin, positions.begin() + end, before);
    });
    // inParts cuts part i at n * i / parts; the sorted parts are merged in turn along the same cuts.
    for (qsizetype part = 1; part < qsizetype(threads); ++part) {
        std::inplace_merge(positions.begin(), positions.begin() + n * part / threads,
            positions.begin() + n * (part + 1) / threads, before);
    }
    return positions;
}

} // namespace intake
