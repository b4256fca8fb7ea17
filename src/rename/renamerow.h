// What a row of the rename list carries after a pass: its icon number and its outcome.
#pragma once

#include <QString>

#include "rename/outcometexts.h"

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
    QString given; // a rename's 成功: the name the file was given, which 还原 renames from; empty otherwise
};
