// The order of file names a Chinese desktop shows: pinyin for Chinese characters, letter case ignored.
#include "intake/nameorder.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <system_error>
#include <thread>

#include <QLocale>

namespace intake {

namespace {

// Below this many names a second thread costs more than it saves.
constexpr qsizetype kNamesPerThread = 20000;

// Runs work(begin, end) over [0, count) in up to `threads` chunks, one per thread, the last on this one.
template <typename Work> void inChunks(qsizetype count, unsigned threads, const Work& work)
{
    const qsizetype chunk = (count + threads - 1) / threads;
    std::vector<std::thread> helpers;
    qsizetype begin = 0;
    for (; begin + chunk < count; begin += chunk) {
        try {
            helpers.emplace_back([&work, begin, chunk] { work(begin, begin + chunk); });
        } catch (const std::system_error&) { // no thread to be had: this one does the chunk
            work(begin, begin + chunk);
        }
    }
    work(begin, count);
    for (std::thread& helper : helpers)
        helper.join();
}

unsigned threadsFor(qsizetype count)
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
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
    inChunks(names.size(), threads, [&](qsizetype begin, qsizetype end) {
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
    const qsizetype chunk = (names.size() + threads - 1) / threads;
    inChunks(names.size(), threads, [&](qsizetype begin, qsizetype end) {
        std::stable_sort(positions.begin() + begin, positions.begin() + end, before);
    });
    for (qsizetype merged = chunk; merged < names.size(); merged += chunk) {
        std::inplace_merge(positions.begin(), positions.begin() + merged,
            positions.begin() + std::min(merged + chunk, names.size()), before);
    }
    return positions;
}

} // namespace intake
