// Stage "sort": the list menu's sort by name in natural order, over shuffled rows shown in the window's list view.
#include <algorithm>
#include <random>

#include <QElapsedTimer>

#include "app/renamelistview.h"
#include "benchnames.h"
#include "benchstage.h"
#include "intake/roworder.h"
#include "rename/renamelist.h"

namespace {

void run(const bench::Options& options)
{
    QList<RenameList::Entry> entries;
    entries.reserve(options.files);
    for (int i = 0; i < options.files; ++i)
        entries.append({ bench::realisticName(i), QStringLiteral("/home/user/照片/2024 旅行/") });
    std::mt19937 random(42);
    RenameList list;
    RenameListView view; // the rows' changes reach a view, as in the window
    view.setModel(&list);
    view.resize(601, 257);
    view.show();

    std::vector<double> samples;
    for (int run = 0; run < options.runs; ++run) {
        std::shuffle(entries.begin(), entries.end(), random);
        list.clear();
        list.append(entries);
        QElapsedTimer timer;
        timer.start();
        const intake::OrderResult result = intake::sortByName(list, 0);
        samples.push_back(timer.nsecsElapsed() / 1e6);
        if (!result.refreshNames || list.count() != options.files
            || intake::naturalCompare(list.oldName(0), list.oldName(list.count() - 1)) > 0)
            qFatal("sort stage: unexpected result");
    }
    bench::print("sort_by_name_ms", bench::median(samples));
}

const bench::Register stage({ QStringLiteral("sort"), 25, true, run });

} // namespace
