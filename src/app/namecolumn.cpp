// namecolumn: the new names of a million rows, made in parts on the window's background threads.
#include "app/namecolumn.h"

#include "background/backgroundtask.h"

namespace namecolumn {

namespace {

// A part of fewer rows costs more to hand out (waking a thread, on two busy cores) than it saves.
constexpr qsizetype kPartRows = 262144;

} // namespace

Made make(RenameList::ColumnJob job)
{
    Q_ASSERT(job.recipe);
    Made made { job.generation, RenameList::columnStorage(std::move(job.spare), job.oldNames.size()), job.extensions };
    const qsizetype n = made.names.size();
    if (!made.extensions)
        made.extensions = std::make_shared<const Extensions>(job.oldNames);
    QString* out = made.names.data(); // detached here, once: the parts write disjoint rows
    const NameRecipe& recipe = *job.recipe;
    const Extensions* extensions = made.extensions.get();
    background::inParts(n, n / kPartRows,
        [&](qsizetype begin, qsizetype end) { recipe.fill(job.oldNames, extensions, out, begin, end); });
    return made;
}

} // namespace namecolumn
