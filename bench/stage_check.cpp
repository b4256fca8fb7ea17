// Stage "check": the preview check of every row against listed folder facts, as each keystroke runs it.
#include <ctime>

#include <QElapsedTimer>

#include "benchnames.h"
#include "benchstage.h"
#include "disk/batchcheck.h"
#include "disk/batchrename.h"
#include "rename/listrequests.h"
#include "rename/renamelist.h"

namespace {

double msSince(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// The processor time of this thread: on a machine shared with other work, the wall clock also counts
// the time the thread waited for a processor.
double cpuMs()
{
    timespec ts {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// One folder of `files` files, every one a row; with `conflicts`, one row in ten fails the check: half
// of them name a file an earlier row names, half want a name that a file outside the list holds.
void measure(const bench::Options& options, bool conflicts)
{
    const int n = options.files;
    const QString folder = QStringLiteral("/home/user/照片/");
    batchrename::FolderFacts::Folder listed;
    listed.listed = true;
    listed.device = 1;
    listed.inode = 2;
    QList<RenameList::Entry> entries;
    QStringList newNames;
    entries.reserve(n);
    newNames.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QString name = bench::realisticName(i);
        listed.entries.insert(name, batchrename::FolderFacts::Entry::File);
        QString newName = QStringLiteral("青禾%1_木舟.jpg").arg(i + 1, 6, 10, QLatin1Char('0'));
        entries.append({ conflicts && i % 20 == 0 && i > 0 ? bench::realisticName(i - 1) : name, folder });
        if (conflicts && i % 20 == 10) {
            newName = QStringLiteral("outside %1.jpg").arg(i);
            listed.entries.insert(newName, batchrename::FolderFacts::Entry::File);
        }
        newNames << newName;
    }
    RenameList list;
    list.append(entries);
    list.setNewNames(newNames);
    batchrename::FolderFacts facts;
    facts.insert(folder, listed);

    std::vector<double> requestsMs, checkMs, checkCpuMs;
    int failing = 0;
    for (int run = 0; run < options.runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QList<batchrename::Request> requests = batchrename::renameRequests(list); // as the pass makes them
        requestsMs.push_back(msSince(timer));
        timer.restart();
        const double cpuStart = cpuMs();
        // The columns as the window hands them to the check.
        const QList<batchrename::Result> results
            = batchrename::checkColumns(list.folders(), list.oldNames(), list.newNames(), facts);
        checkCpuMs.push_back(cpuMs() - cpuStart);
        checkMs.push_back(msSince(timer));
        failing
            = static_cast<int>(std::count_if(results.cbegin(), results.cend(), [](const auto& r) { return !r.done; }));
    }
    const int expectedFailing = conflicts ? (n - 1) / 20 + (n + 9) / 20 : 0;
    if (failing != expectedFailing)
        qFatal("check stage: %d rows fail, expected %d", failing, expectedFailing);
    bench::print(conflicts ? "check_conflicts_ms" : "check_batch_ms", bench::median(checkMs));
    bench::print(conflicts ? "check_conflicts_cpu_ms" : "check_batch_cpu_ms", bench::median(checkCpuMs));
    if (!conflicts)
        bench::print("check_requests_ms", bench::median(requestsMs));
}

void run(const bench::Options& options)
{
    measure(options, false);
    measure(options, true);
}

const bench::Register stage({ QStringLiteral("check"), 22, false, run });

} // namespace
