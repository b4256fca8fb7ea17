// Stage "dialog": the open-file dialog's outcome split into rows, with each file in a folder of its own.
#include <QElapsedTimer>

#include "benchstage.h"
#include "intake/addfiles.h"

namespace {

void runDialog(const bench::Options& options)
{
    // As many folders as files: the worst grouping (a search result spanning many folders).
    QStringList paths;
    paths.reserve(options.files);
    for (int i = 0; i < options.files; ++i)
        paths << QStringLiteral("/srv/photos/%1/IMG_%2.jpg").arg(i).arg(i, 6, 10, QLatin1Char('0'));
    std::vector<double> times;
    for (int run = 0; run < std::min(options.runs, 3); ++run) {
        QElapsedTimer timer;
        timer.start();
        const QList<QStringList> results = intake::openFileDialogResult(intake::DialogOutcome::Chosen, paths);
        times.push_back(timer.nsecsElapsed() / 1e6);
        if (results.size() != options.files)
            qFatal("dialog stage: %lld results for %d folders", qlonglong(results.size()), options.files);
    }
    bench::print("dialog_folders_ms", bench::median(times));
}

const bench::Register dialogStage({ QStringLiteral("dialog"), 12, false, runDialog });

} // namespace
