// reasontexts: the words a row shows for why its rename failed, or would fail.
#pragma once

#include <QString>

#include "disk/batchrename.h"

namespace batchrename {

/**
 * The text shown to the user for a failing result, empty for None. SameNewName reads
 * "与第 N 行的新文件名相同" with N = otherRequest + 1 + rowOffset; for a restore, whose requests are a subset
 * of the rows, map otherRequest to its row first (applyRestoreResults does so for what it writes). A result
 * with `names` reads "文件现名为“x”（reason）" or "文件现有两个名称：“x”、“y”（reason）".
 */
QString reasonText(const Result& result, int rowOffset = 0);

} // namespace batchrename
