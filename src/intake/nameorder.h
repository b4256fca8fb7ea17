// The order of file names a Chinese desktop shows: pinyin for Chinese characters, letter case ignored.
#pragma once

#include <vector>

#include <QCollator>
#include <QCollatorSortKey>
#include <QStringList>
#include <QStringView>

namespace intake {

/// Whether runs of the digits 0-9 compare as text ("10" before "2") or by their value ("2" before "10").
enum class DigitRuns { AsText, ByValue };

/**
 * File names in the order of a Chinese desktop's file manager and of Qt's file dialog there: Qt's collation
 * for Simplified Chinese (zh_CN, whatever the user's locale says), so Chinese characters go by pinyin
 * (报销单, 毕业照, 春节照片, 合同草稿), and letter case is ignored. Names the collation cannot tell apart
 * ("A" and "a", "01" and "1" by value) are ordered by their case-folded text, then by their exact text, both
 * by UTF-16 code unit, so the order is total: only equal names compare equal.
 *
 * One object serves one thread; make one per sort.
 */
class NameOrder {
public:
    explicit NameOrder(DigitRuns digits);

    /// The collation of this order (QCollator for zh_CN, letter case ignored, punctuation counted).
    static QCollator collation(DigitRuns digits);

    /// One sort key per name, in the order of `names`; comparing keys is much cheaper than collating texts.
    /// Many names are keyed on several threads, each with a collation of its own.
    std::vector<QCollatorSortKey> sortKeys(const QStringList& names) const;

    /// The sign of the order of `a` (with its sort key) against `b` (with its): negative when `a` comes first.
    static int compare(const QCollatorSortKey& keyA, QStringView a, const QCollatorSortKey& keyB, QStringView b);

    /// The same for two names without keys at hand.
    int compare(const QString& a, const QString& b) const;

    /// The positions of `names` in this order (element i is the index of the i-th name); equal names keep
    /// their relative order.
    std::vector<int> sortedPositions(const QStringList& names) const;

private:
    DigitRuns m_digits;
    QCollator m_collator;
};

} // namespace intake
