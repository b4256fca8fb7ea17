// namecolumn: the new names of a million rows, made in parts on the window's background threads.
#include "app/namecolumn.h"

namespace namecolumn {

Made make(RenameList::ColumnJob job)
{
    Q_ASSERT(job.recipe);
    Made made { job.generation, RenameList::columnStorage(std::move(job.spare), job.oldNames.size()), job.extensions };
    if (!made.extensions)
        made.extensions = std::make_shared<const Extensions>(job.oldNames);
    // data() detaches here, once: the parts write disjoint rows.
    job.recipe->fillAll(job.oldNames, made.extensions.get(), made.names.data());
    return made;
}

} // namespace namecolumn
