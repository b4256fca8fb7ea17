// The order of file names a Chinese desktop shows: pinyin for Chinese characters, letter case ignored.
#include "intake/nameorder.h"

#include <algorithm>
#include <array>
#include <cstdint>
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

// Printable ASCII, the characters the quick order always knows.
constexpr char16_t kFirstAscii = 0x20;
constexpr char16_t kLastAscii = 0x7e;
// Other characters the quick order may learn for one sort, the most frequent first: few enough that checking
// them against the collation costs a few milliseconds, and only when enough names need them to pay for that.
constexpr size_t kMostLearnt = 40;
constexpr qsizetype kNamesWorthLearning = 20000;

/**
 * The collation's primary order of a set of characters, learnt from the collation itself: equal ranks for
 * characters it does not tell apart (letter case). With digits as text, a name of these characters alone is
 * ordered by the collation as the sequence of its characters' ranks is ordered (the shorter first when one
 * begins the other): each stands for one primary weight, and they join into no contraction. That is checked
 * over every name of one and of two of the characters; should the collation disagree, usable() is false.
 */
class Ranks {
public:
    Ranks(const QCollator& collator, std::vector<char16_t> chars)
    {
        const auto text = [](char16_t c) { return QString(QChar(c)); };
        std::stable_sort(
            chars.begin(), chars.end(), [&](char16_t a, char16_t b) { return collator.compare(text(a), text(b)) < 0; });
        if (chars.size() > 255)
            return; // ranks are bytes
        quint8 rank = 0;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (collator.compare(text(chars[i]), QString()) == 0)
                return; // an ignorable character: no quick order
            if (i == 0 || collator.compare(text(chars[i - 1]), text(chars[i])) != 0)
                ++rank;
            m_rank[chars[i]] = rank;
        }
        // Every pair in the collation's order must be in the ranks' order too.
        QStringList pairs;
        for (char16_t a : chars) {
            for (char16_t b : chars)
                pairs.append(text(a) + text(b));
        }
        std::vector<QCollatorSortKey> keys;
        keys.reserve(size_t(pairs.size()));
        for (const QString& pair : std::as_const(pairs))
            keys.push_back(collator.sortKey(pair));
        std::vector<int> order(keys.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int x, int y) { return keys[x].compare(keys[y]) < 0; });
        for (size_t i = 1; i < order.size(); ++i) {
            const int byCollation = keys[order[i - 1]].compare(keys[order[i]]);
            const int byRanks = compareRanks(pairs[order[i - 1]], pairs[order[i]]);
            if ((byCollation < 0) != (byRanks < 0) || (byCollation == 0) != (byRanks == 0))
                return;
        }
        m_usable = true;
    }

    bool usable() const { return m_usable; }
    /// Whether every character of `name` has a rank.
    bool covers(QStringView name) const
    {
        return std::all_of(name.begin(), name.end(), [this](QChar c) { return rank(c) != 0; });
    }
    quint8 rank(QChar c) const { return m_rank[c.unicode()]; }
    /// The ranks of `name` from `from` on, eight of them, the first in the highest byte; zero past its end.
    std::uint64_t packed(QStringView name, qsizetype from) const
    {
        std::uint64_t packed = 0;
        for (qsizetype i = from; i < from + 8; ++i)
            packed = packed << 8 | (i < name.size() ? rank(name[i]) : 0);
        return packed;
    }
    /// The sign of the collation's order of two names that covers() takes.
    int compareRanks(QStringView a, QStringView b, qsizetype from = 0) const
    {
        const qsizetype n = std::min(a.size(), b.size());
        for (qsizetype i = from; i < n; ++i) {
            const int d = int(rank(a[i])) - int(rank(b[i]));
            if (d != 0)
                return d;
        }
        return int(a.size() > n) - int(b.size() > n);
    }

private:
    std::vector<quint8> m_rank = std::vector<quint8>(0x10000, 0);
    bool m_usable = false;
};

std::vector<char16_t> printableAscii()
{
    std::vector<char16_t> chars;
    for (char16_t c = kFirstAscii; c <= kLastAscii; ++c)
        chars.push_back(c);
    return chars;
}

const Ranks& asciiRanks()
{
    static const Ranks ranks(NameOrder::collation(DigitRuns::AsText), printableAscii());
    return ranks;
}

// The most frequent characters other than printable ASCII in the names at `positions` (a surrogate, half
// of a character, is left to the collation).
std::vector<char16_t> frequentOthers(const QStringList& names, const std::vector<int>& positions)
{
    std::vector<quint32> count(0x10000, 0);
    for (const int position : positions) {
        for (QChar c : names.at(position))
            ++count[c.unicode()];
    }
    std::vector<char16_t> chars;
    for (quint32 c = 0; c < count.size(); ++c) {
        const bool ascii = c >= kFirstAscii && c <= kLastAscii;
        if (count[c] != 0 && !ascii && !QChar::isSurrogate(c))
            chars.push_back(char16_t(c));
    }
    const size_t kept = std::min(chars.size(), kMostLearnt);
    std::partial_sort(chars.begin(), chars.begin() + kept, chars.end(),
        [&](char16_t a, char16_t b) { return count[a] != count[b] ? count[a] > count[b] : a < b; });
    chars.resize(kept);
    return chars;
}

// A name ordered by its ranks: the first sixteen packed, the rest read from the name when those tie.
struct QuickName {
    std::uint64_t high;
    std::uint64_t low;
    int position;
};

} // namespace

QCollator NameOrder::collation(DigitRuns digits)
{
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(digits == DigitRuns::ByValue);
    // Spaces and punctuation take part in the order, as in a file manager ("a b" before "ab").
    collator.setIgnorePunctuation(false);
    return collator;
}

NameOrder::NameOrder(DigitRuns digits)
    : m_digits(digits)
    , m_collator(collation(digits))
{
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

namespace {

// The positions of `names` ordered by their sort keys, on several threads when there are many.
std::vector<int> sortByKeys(const std::vector<QCollatorSortKey>& keys, const QStringList& names)
{
    std::vector<int> positions(static_cast<size_t>(names.size()));
    std::iota(positions.begin(), positions.end(), 0);
    const auto before = [&](int x, int y) { return NameOrder::compare(keys[x], names[x], keys[y], names[y]) < 0; };
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

// The first index from `from` on where `pred` turns false (it holds for a leading run of `run`): a few
// looks when the run is short, a binary search over a long one.
template <typename Pred> size_t gallop(const std::vector<int>& run, size_t from, Pred pred)
{
    size_t lo = from;
    size_t hi = from;
    size_t step = 1;
    while (hi < run.size() && pred(run[hi])) {
        lo = hi + 1;
        hi = from + step;
        step *= 2;
    }
    hi = std::min(hi, run.size());
    return size_t(std::partition_point(run.begin() + lo, run.begin() + hi, pred) - run.begin());
}

} // namespace

std::vector<int> NameOrder::sortedPositions(const QStringList& names) const
{
    if (m_digits != DigitRuns::AsText || !asciiRanks().usable())
        return sortByKeys(sortKeys(names), names);
    // Names of the characters the quick order knows (most file names) are ordered by their ranks, without a
    // sort key; the rest by their keys; the two runs are then merged through the collation. When many names
    // have other characters, the quick order learns the most frequent of them for this sort.
    const Ranks* ranks = &asciiRanks();
    std::vector<int> otherPositions;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (!ranks->covers(names.at(i)))
            otherPositions.push_back(int(i));
    }
    std::optional<Ranks> learnt;
    if (qsizetype(otherPositions.size()) >= kNamesWorthLearning) {
        std::vector<char16_t> chars = printableAscii();
        for (char16_t c : frequentOthers(names, otherPositions))
            chars.push_back(c);
        learnt.emplace(m_collator, std::move(chars));
        if (learnt->usable()) {
            ranks = &*learnt;
            std::erase_if(otherPositions, [&](int position) { return ranks->covers(names.at(position)); });
        }
    }
    std::vector<QuickName> quick;
    quick.reserve(size_t(names.size()) - otherPositions.size());
    QStringList others;
    others.reserve(qsizetype(otherPositions.size()));
    for (size_t i = 0, next = 0; i < size_t(names.size()); ++i) {
        if (next < otherPositions.size() && otherPositions[next] == int(i)) {
            others.append(names.at(qsizetype(i)));
            ++next;
        } else {
            quick.push_back(
                { ranks->packed(names.at(qsizetype(i)), 0), ranks->packed(names.at(qsizetype(i)), 8), int(i) });
        }
    }
    const auto quickBefore = [&](const QuickName& x, const QuickName& y) {
        if (x.high != y.high)
            return x.high < y.high;
        if (x.low != y.low)
            return x.low < y.low;
        const QString& a = names.at(x.position);
        const QString& b = names.at(y.position);
        int c = ranks->compareRanks(a, b, 16);
        if (c == 0)
            c = QStringView(a).compare(b, Qt::CaseInsensitive);
        if (c == 0)
            c = QStringView(a).compare(b, Qt::CaseSensitive);
        return c != 0 ? c < 0 : x.position < y.position;
    };
    const qsizetype n = qsizetype(quick.size());
    const unsigned threads = threadsFor(n);
    background::inParts(n, threads,
        [&](qsizetype begin, qsizetype end) { std::sort(quick.begin() + begin, quick.begin() + end, quickBefore); });
    for (qsizetype part = 1; part < qsizetype(threads); ++part) {
        std::inplace_merge(
            quick.begin(), quick.begin() + n * part / threads, quick.begin() + n * (part + 1) / threads, quickBefore);
    }
    std::vector<int> quickRun;
    quickRun.reserve(quick.size());
    for (const QuickName& name : quick)
        quickRun.push_back(name.position);
    if (others.isEmpty())
        return quickRun;

    const std::vector<QCollatorSortKey> otherKeys = sortKeys(others);
    std::vector<int> otherRun = sortByKeys(otherKeys, others);
    std::vector<QCollatorSortKey> keyOf(size_t(names.size()), QCollatorSortKey(otherKeys.front()));
    for (size_t k = 0; k < otherRun.size(); ++k) {
        keyOf[size_t(otherPositions[size_t(otherRun[k])])] = otherKeys[size_t(otherRun[k])];
        otherRun[k] = otherPositions[size_t(otherRun[k])];
    }
    // A name of either run comes before or after every name of the other (no two are equal): the merge
    // takes whole stretches of one run at a time, comparing through the collation at their ends.
    std::vector<int> merged;
    merged.reserve(size_t(names.size()));
    const auto quickKey = [&](int position) { return m_collator.sortKey(names.at(position)); };
    size_t i = 0;
    size_t j = 0;
    while (i < quickRun.size() && j < otherRun.size()) {
        const int pivot = otherRun[j];
        const size_t k = gallop(quickRun, i,
            [&](int p) { return compare(quickKey(p), names.at(p), keyOf[size_t(pivot)], names.at(pivot)) < 0; });
        merged.insert(merged.end(), quickRun.begin() + i, quickRun.begin() + k);
        i = k;
        if (i == quickRun.size())
            break;
        const int quickPivot = quickRun[i];
        const QCollatorSortKey pivotKey = quickKey(quickPivot);
        const size_t m = gallop(otherRun, j,
            [&](int p) { return compare(keyOf[size_t(p)], names.at(p), pivotKey, names.at(quickPivot)) < 0; });
        merged.insert(merged.end(), otherRun.begin() + j, otherRun.begin() + m);
        j = m;
    }
    merged.insert(merged.end(), quickRun.begin() + i, quickRun.end());
    merged.insert(merged.end(), otherRun.begin() + j, otherRun.end());
    return merged;
}

} // namespace intake
