// Stage "addfolder": adding a folder of many files to a fresh rename list, names refreshed.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/fmmain.h"
#include "app/renamelistview.h"
#include "benchstage.h"
#include "loopwatch.h"
#include "benchwindow.h"
#include "benchnames.h"
#include "app/foldercheck.h"
#include "disk/folderentries.h"
#include "disk/folderfacts.h"
#include "intake/folderlisting.h"
#include "intake/nameorder.h"
#include "rename/namegenerator.h"
#include "rename/renamelist.h"

namespace {

constexpr int kRuns = 5;

void run(const bench::Options& options)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("addfolder stage: no temporary folder");
    for (int i = 0; i < options.files; ++i) {
        QFile file(dir.filePath(bench::realisticName(i)));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("addfolder stage: cannot create %s", qPrintable(file.fileName()));
    }

    PlanSettings settings;
    settings.prefix = QStringLiteral("青禾");
    settings.digitsText = QStringLiteral("6");

    std::vector<double> samples;
    for (int run = 0; run < std::min(options.runs, kRuns); ++run) {
        RenameList list;
        QElapsedTimer timer;
        timer.start();
        const int added = intake::addFolder(list, dir.path());
        list.refreshNewNames(settings);
        samples.push_back(timer.nsecsElapsed() / 1e6);
        if (added != options.files || list.count() != options.files || list.newName(0).isEmpty())
            qFatal("addfolder stage: added %d rows of %d", added, options.files);
    }
    bench::print("add_folder_ms", bench::median(samples));
}

// The same through the window: a click on 添加文件夹 until the rows are painted, and the longest time the
// window's event loop stood still meanwhile (the listing runs off the window's thread).
void runWindow(const bench::Options& options)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("addfolder stage: no temporary folder");
    bench::ChosenFiles services;
    services.folder = dir.path() + QLatin1Char('/');
    bench::createEmptyFiles(services.folder, bench::realisticNames(options.files));
    std::vector<double> samples, gaps;
    for (int run = 0; run < std::min(options.runs, kRuns); ++run) {
        WindowOptions windowOptions;
        windowOptions.checkForUpdates = false;
        windowOptions.services = &services;
        fmMain window(windowOptions);
        window.show();
        QWidget* rows = bench::control<RenameListView>(window, "ListReName")->viewport();
        QTest::qWait(50); // the window's first paint is not part of the add
        bench::LoopWatch watch;
        QElapsedTimer timer;
        timer.start();
        bench::clickAndWaitForRows(window, "btOpenFolder");
        rows->repaint();
        samples.push_back(timer.nsecsElapsed() / 1e6);
        watch.mark();
        gaps.push_back(watch.longestMs());
        if (window.model()->count() != options.files)
            qFatal("addfolder stage: the window added %d rows of %d", window.model()->count(), options.files);
    }
    bench::print("add_folder_window_ms", bench::median(samples));
    bench::print("add_folder_gap_ms", bench::median(gaps));
}

// Where the time of an add goes, part by part, each the median of the runs.
void runParts(const bench::Options& options)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("addfolder stage: no temporary folder");
    const QString folder = dir.path() + QLatin1Char('/');
    bench::createEmptyFiles(folder, bench::realisticNames(options.files));
    PlanSettings settings;
    settings.digitsText = QStringLiteral("6");
    std::vector<double> list, keys, sort, facts, append, learn, refresh;
    QElapsedTimer timer;
    const auto lap = [&timer](std::vector<double>& samples) {
        samples.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
    };
    for (int run = 0; run < std::min(options.runs, kRuns); ++run) {
        timer.start();
        const diskfs::FolderEntries listing = diskfs::listFolderEntries(QFile::encodeName(folder));
        lap(list);
        QStringList names;
        for (const diskfs::FolderEntry& entry : listing.entries)
            names.append(entry.name);
        timer.restart();
        const intake::NameOrder order(intake::DigitRuns::AsText);
        const std::vector<QCollatorSortKey> sortKeys = order.sortKeys(names);
        lap(keys);
        const std::vector<int> positions = order.sortedPositions(names); // keys again, then the sort
        sort.push_back(timer.nsecsElapsed() / 1e6 - keys.back());
        timer.restart();
        batchrename::FolderFacts::Folder learnt = batchrename::folderFacts(listing);
        lap(facts);
        intake::ListedFolder listed { folder, names, {} };
        RenameList rows;
        FolderCheck check(rows);
        timer.restart();
        intake::appendListed(rows, listed);
        lap(append);
        check.learnFolder(folder, std::move(learnt));
        lap(learn);
        rows.refreshNewNames(settings);
        lap(refresh);
        if (positions.size() != size_t(options.files))
            qFatal("addfolder stage: sorted %zu names", positions.size());
    }
    bench::print("parts_list_ms", bench::median(list));
    bench::print("parts_keys_ms", bench::median(keys));
    bench::print("parts_sort_ms", bench::median(sort));
    bench::print("parts_facts_ms", bench::median(facts));
    bench::print("parts_append_ms", bench::median(append));
    bench::print("parts_learn_ms", bench::median(learn));
    bench::print("parts_refresh_ms", bench::median(refresh));
}

const bench::Register stage({ QStringLiteral("addfolder"), 30, false, run });
const bench::Register partsStage({ QStringLiteral("addfolder_parts"), 32, false, runParts });
const bench::Register windowStage({ QStringLiteral("addfolder_window"), 31, true, runWindow });

} // namespace
