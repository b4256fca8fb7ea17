// Stage "addfolder": adding a folder of many files to a fresh rename list, names refreshed.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "benchstage.h"
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

const bench::Register stage({ QStringLiteral("addfolder"), 30, false, run });

} // namespace
