// Stage "addfolder": adding a folder of many files to a fresh rename list, names refreshed.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "app/fmmain.h"
#include "app/renamelistview.h"
#include "benchstage.h"
#include "benchwindow.h"
#include "benchnames.h"
#include "intake/folderlisting.h"
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
    for (int run = 0; run < kRuns; ++run) {
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

// The same through the window: a click on 添加文件夹 until the rows are painted. The click runs on the
// window's thread, so this is also how long the window stands still.
void runWindow(const bench::Options& options)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("addfolder stage: no temporary folder");
    bench::ChosenFiles services;
    services.folder = dir.path() + QLatin1Char('/');
    bench::createEmptyFiles(services.folder, bench::realisticNames(options.files));
    std::vector<double> samples;
    for (int run = 0; run < kRuns; ++run) {
        WindowOptions windowOptions;
        windowOptions.checkForUpdates = false;
        windowOptions.services = &services;
        fmMain window(windowOptions);
        window.show();
        QWidget* rows = bench::control<RenameListView>(window, "ListReName")->viewport();
        QElapsedTimer timer;
        timer.start();
        bench::control<iButton>(window, "btOpenFolder")->Click();
        rows->repaint();
        samples.push_back(timer.nsecsElapsed() / 1e6);
        if (window.model()->count() != options.files)
            qFatal("addfolder stage: the window added %d rows of %d", window.model()->count(), options.files);
    }
    bench::print("add_folder_window_ms", bench::median(samples));
}

const bench::Register stage({ QStringLiteral("addfolder"), 30, false, run });
const bench::Register windowStage({ QStringLiteral("addfolder_window"), 31, true, runWindow });

} // namespace
