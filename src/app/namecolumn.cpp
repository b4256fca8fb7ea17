// namecolumn: the new names of a million rows, made in parts on the window's background threads.
#include "app/namecolumn.h"

#include <algorithm>
#include <vector>

#include <QtConcurrent/QtConcurrentMap>

#include "background/backgroundtask.h"

namespace namecolumn {

namespace {

// A part of fewer rows costs more to hand out (waking a thread, on two busy cores) than it saves.
constexpr qsizetype kPartRows = 262144;

struct Part {
    qsizetype begin = 0;
    qsizetype end = 0;
};

} // namespace

Made make(const RenameList::ColumnJob& job)
{
    Q_ASSERT(job.recipe);
    Made made { job.generation, QStringList(job.oldNames.size()), job.extensions };
    const qsizetype n = made.names.size();
    if (!made.extensions)
        made.extensions = std::make_shared<const Extensions>(job.oldNames);
    QString* out = made.names.data(); // detached here, once: the parts write disjoint rows
    const qsizetype parts = std::clamp<qsizetype>(n / kPartRows, 1, background::pool()->maxThreadCount());
    std::vector<Part> ranges;
    for (qsizetype i = 0; i < parts; ++i)
        ranges.push_back({ n * i / parts, n * (i + 1) / parts });
    const NameRecipe& recipe = *job.recipe;
    const Extensions* extensions = made.extensions.get();
    const auto makePart = [&](const Part& part) { recipe.fill(job.oldNames, extensions, out, part.begin, part.end); };
    if (parts == 1)
        makePart(ranges.front());
    else
        QtConcurrent::blockingMap(background::pool(), ranges, makePart);
    return made;
}

} // namespace namecolumn
