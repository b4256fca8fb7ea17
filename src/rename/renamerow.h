// Outcome texts and icon numbers that a row of the rename list can carry.
#pragma once

#include <QString>

namespace outcome {

inline QString succeeded()
{
    return QStringLiteral("成功");
}
inline QString failed()
{
    return QStringLiteral("失败");
}
inline QString restored()
{
    return QStringLiteral("还原成功");
}
inline QString restoreFailed()
{
    return QStringLiteral("还原失败");
}

} // namespace outcome

// Row icon numbers (1-based, as the window's image list numbers its pictures).
enum class RowIcon : int {
    Added = 1, // plus sign: added, not renamed yet
    Renamed = 2, // blue check mark: "成功"
    RenameFailed = 3, // red exclamation mark: "失败"
    Restored = 4, // white check on green: "还原成功"
    RestoreFailed = 5, // white cross on red: "还原失败"
};

/// What a rename or restore left in one row: the outcome text, its icon and, for a failure, why.
struct RowOutcome {
    QString text;
    RowIcon icon = RowIcon::Added;
    QString reason; // empty for a success
};
