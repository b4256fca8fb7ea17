// Stage "refresh": full recomputations of the new names over a filled rename list.
#include <QElapsedTimer>
#include <QSignalSpy>

#include "benchstage.h"
#include "benchnames.h"
#include "rename/namegenerator.h"
#include "rename/renamelist.h"

namespace {

void run(const bench::Options& options)
{
    RenameList list;
    QList<RenameList::Entry> entries;
    entries.reserve(options.files);
    for (int i = 0; i < options.files; ++i)
        entries.append({ bench::realisticName(i), QStringLiteral("/home/user/照片/2024 旅行/") });
    list.append(entries);
    entries.clear();
    bench::print("peak_rss_mb", bench::peakRssMb());

    PlanSettings settings;
    settings.prefix = QStringLiteral("青禾");
    settings.digitsText = QStringLiteral("6");
    settings.suffix = QStringLiteral("_木舟");
    int changes = 0;
    QObject::connect(&list, &RenameList::dataChanged, &list, [&changes] { ++changes; });

    std::vector<double> samples;
    for (int run = 0; run < options.runs; ++run) {
        settings.startText = QString::number(run + 1); // a different result every time
        QElapsedTimer timer;
        timer.start();
        list.refreshNewNames(settings);
        samples.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (changes != options.runs
        || list.newName(0) != QStringLiteral("青禾%1_木舟.jpg").arg(options.runs, 6, 10, QLatin1Char('0')))
        qFatal("refresh stage: unexpected result");
    bench::print("refresh_ms", bench::median(samples));
}

const bench::Register stage({ QStringLiteral("refresh"), 10, false, run });

} // namespace
