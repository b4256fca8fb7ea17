// namecolumn: the whole new-name column of the rename list, made off the window's thread.
#pragma once

#include <memory>

#include <QStringList>

#include "rename/renamelist.h"

namespace namecolumn {

/// A column made from a RenameList::ColumnJob, for RenameList::adoptNewNames.
struct Made {
    quint64 generation = 0;
    QStringList names;
    std::shared_ptr<const Extensions> extensions;
};

/// Makes every row's new name of `job` (its recipe must not be null) in parts on background::pool(); the
/// calling thread makes parts too, so this may run on one of the pool's threads.
Made make(RenameList::ColumnJob job);

} // namespace namecolumn
