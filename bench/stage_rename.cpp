// Stages "rename" and "rename_chain": the batch rename and the restore on real files, against a raw loop.
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include "benchfiles.h"
#include "benchnames.h"
#include "benchstage.h"
#include "rename/listrequests.h"
#include "rename/namegenerator.h"
#include "rename/renamelist.h"
#include "rename/renamerow.h"

namespace {

// Files on disk are slow to make: a few runs are enough for a stable median.
int diskRuns(const bench::Options& options)
{
    return std::clamp(options.runs, 1, 3);
}

// Creates the named files in `folder` and appends one row per file to `list`.
// The temporary folder's path with its closing "/".
QString folderOf(const QTemporaryDir& dir)
{
    if (!dir.isValid())
        qFatal("rename stage: no temporary folder: %s", qPrintable(dir.errorString()));
    return dir.path() + QLatin1Char('/');
}

void fillFolder(RenameList& list, const QString& folder, const QStringList& names)
{
    bench::createEmptyFiles(folder, names); // empty: a data block per file would dwarf the renames
    QList<RenameList::Entry> entries;
    entries.reserve(names.size());
    for (const QString& name : names)
        entries.append({ name, folder });
    list.append(entries);
}

void expectOutcomes(const RenameList& list, const QString& text, const char* what)
{
    for (int row = 0; row < list.count(); ++row) {
        if (list.outcome(row) != text)
            qFatal("rename stage: %s: row %d reads %s", what, row, qPrintable(list.outcome(row)));
    }
}

// Every timed phase starts with the file system's pending writes done, so that no phase pays for the
// journal of the one before it.
void settle()
{
    ::sync();
}

double msSince(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// renameat2 with no-replace plus one lstat per file, over paths prepared beforehand.
double rawLoop(const std::vector<QByteArray>& from, const std::vector<QByteArray>& to)
{
    settle();
    QElapsedTimer timer;
    timer.start();
    struct stat st;
    for (size_t i = 0; i < from.size(); ++i) {
        if (::renameat2(AT_FDCWD, from[i].constData(), AT_FDCWD, to[i].constData(), RENAME_NOREPLACE) != 0
            || ::lstat(to[i].constData(), &st) != 0)
            qFatal("rename stage: raw rename of %s failed", from[i].constData());
    }
    return msSince(timer);
}

void runRename(const bench::Options& options)
{
    const int n = options.files;
    std::vector<double> pass, restore, raw, outcomes;
    PlanSettings settings;
    settings.prefix = QStringLiteral("青禾");
    settings.digitsText = QStringLiteral("6");
    settings.suffix = QStringLiteral("_木舟");
    for (int run = 0; run < diskRuns(options); ++run) {
        QTemporaryDir dir;
        const QString folder = folderOf(dir);
        const QStringList names = bench::realisticNames(n);
        RenameList list;
        fillFolder(list, folder, names);
        list.refreshNewNames(settings);

        std::vector<QByteArray> oldPaths, newPaths;
        oldPaths.reserve(n);
        newPaths.reserve(n);
        for (int row = 0; row < n; ++row) {
            oldPaths.push_back(list.oldPath(row).toUtf8());
            newPaths.push_back(list.newPath(row).toUtf8());
        }
        // The raw loop runs before and after the pass and the restore, and counts as the mean of both, so
        // that a folder or a disk that gets slower or faster during the run weighs on both sides alike.
        auto measureRaw = [&] {
            const double ms = rawLoop(oldPaths, newPaths);
            rawLoop(newPaths, oldPaths);
            return ms;
        };
        const double rawBefore = measureRaw();
        settle();
        QElapsedTimer timer;
        timer.start();
        batchrename::renameAll(list);
        pass.push_back(msSince(timer));
        expectOutcomes(list, outcome::succeeded(), "pass");
        settle();
        timer.restart();
        batchrename::restoreAll(list);
        restore.push_back(msSince(timer));
        expectOutcomes(list, outcome::restored(), "restore");
        raw.push_back((rawBefore + measureRaw()) / 2);

        // Writing the outcomes alone, with no disk: one change signal per row.
        timer.restart();
        for (int row = 0; row < n; ++row)
            list.setOutcome(row, outcome::succeeded(), RowIcon::Renamed);
        outcomes.push_back(msSince(timer));
    }
    const double passMs = bench::median(pass);
    const double rawMs = bench::median(raw);
    bench::print("rename_pass_ms", passMs);
    bench::print("restore_ms", bench::median(restore));
    bench::print("raw_rename_ms", rawMs);
    bench::print("rename_ratio", rawMs > 0 ? passMs / rawMs : 0);
    bench::print("outcome_write_ms", bench::median(outcomes));
    bench::print("peak_rss_mb", bench::peakRssMb());
}

struct ChainTimes {
    double pass = 0;
    double raw = 0;
};

// Files 1.txt..N.txt numbered from 2: one chain through the whole batch, renamed from its far end.
// Then the raw loop renames them all back (2.txt to 1.txt first), the same number of renames.
ChainTimes chainPass(int n)
{
    QTemporaryDir dir;
    const QString folder = folderOf(dir);
    QStringList names;
    for (int i = 1; i <= n; ++i)
        names << QStringLiteral("%1.txt").arg(i);
    RenameList list;
    fillFolder(list, folder, names);
    PlanSettings settings;
    settings.startText = QStringLiteral("2");
    list.refreshNewNames(settings);
    std::vector<QByteArray> from, to;
    for (int row = 0; row < n; ++row) {
        from.push_back(list.newPath(row).toUtf8());
        to.push_back(list.oldPath(row).toUtf8());
    }
    settle();
    QElapsedTimer timer;
    timer.start();
    batchrename::renameAll(list);
    ChainTimes times;
    times.pass = msSince(timer);
    expectOutcomes(list, outcome::succeeded(), "chain");
    times.raw = rawLoop(from, to);
    return times;
}

void runChain(const bench::Options& options)
{
    std::vector<double> full, half, fullRaw, halfRaw;
    for (int run = 0; run < diskRuns(options); ++run) {
        const ChainTimes f = chainPass(options.files);
        const ChainTimes h = chainPass(std::max(1, options.files / 2));
        full.push_back(f.pass);
        fullRaw.push_back(f.raw);
        half.push_back(h.pass);
        halfRaw.push_back(h.raw);
    }
    const double fullMs = bench::median(full);
    const double halfMs = bench::median(half);
    const double fullRawMs = bench::median(fullRaw);
    const double halfRawMs = bench::median(halfRaw);
    bench::print("chain_pass_ms", fullMs);
    bench::print("chain_pass_half_ms", halfMs);
    bench::print("chain_full_to_half", halfMs > 0 ? fullMs / halfMs : 0); // 2 when linear
    // The same for the raw loop: how much of any growth beyond 2 is the file system's own.
    bench::print("chain_raw_ms", fullRawMs);
    bench::print("chain_raw_half_ms", halfRawMs);
    bench::print("chain_raw_full_to_half", halfRawMs > 0 ? fullRawMs / halfRawMs : 0);
    bench::print("chain_ratio", fullRawMs > 0 ? fullMs / fullRawMs : 0);
}

// Files 0..N-1 where each even file swaps names with the next one: N/2 two-file cycles. The raw loop makes
// the same swaps with one exchange each, plus one lstat per file as the pass's planning makes.
void runSwap(const bench::Options& options)
{
    const int n = options.files - options.files % 2;
    std::vector<double> pass, raw;
    for (int run = 0; run < diskRuns(options); ++run) {
        QTemporaryDir dir;
        const QString folder = folderOf(dir);
        const QStringList names = bench::realisticNames(n);
        RenameList list;
        fillFolder(list, folder, names);
        QStringList swapped = names;
        for (int i = 0; i + 1 < n; i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        list.setNewNames(swapped);
        std::vector<QByteArray> paths;
        paths.reserve(n);
        for (int row = 0; row < n; ++row)
            paths.push_back(list.oldPath(row).toUtf8());
        auto rawSwaps = [&] {
            settle();
            QElapsedTimer timer;
            timer.start();
            struct stat st;
            for (int i = 0; i + 1 < n; i += 2) {
                if (::lstat(paths[i].constData(), &st) != 0 || ::lstat(paths[i + 1].constData(), &st) != 0
                    || ::renameat2(AT_FDCWD, paths[i].constData(), AT_FDCWD, paths[i + 1].constData(), RENAME_EXCHANGE)
                        != 0)
                    qFatal("rename stage: raw exchange of %s failed", paths[i].constData());
            }
            return msSince(timer);
        };
        const double rawBefore = rawSwaps();
        rawSwaps(); // back where they were
        settle();
        QElapsedTimer timer;
        timer.start();
        batchrename::renameAll(list);
        pass.push_back(msSince(timer));
        expectOutcomes(list, outcome::succeeded(), "swap");
        raw.push_back((rawBefore + rawSwaps()) / 2); // the same swaps again, on the folder the pass left
    }
    const double passMs = bench::median(pass);
    const double rawMs = bench::median(raw);
    bench::print("swap_pass_ms", passMs);
    bench::print("swap_raw_ms", rawMs);
    bench::print("swap_ratio", rawMs > 0 ? passMs / rawMs : 0);
}

// The pass alone over many files in a memory file system, where the disk's own time grows least: how
// the pass itself grows with the number of rows (time and peak memory).
void runLarge(const bench::Options& options)
{
    const int n = options.files;
    QTemporaryDir dir(QStringLiteral("/dev/shm/renamer-bench-XXXXXX"));
    if (!dir.isValid())
        qFatal("rename stage: no temporary folder: %s", qPrintable(dir.errorString()));
    const QString folder = dir.path() + QLatin1Char('/');
    const QStringList names = bench::realisticNames(n);
    RenameList list;
    fillFolder(list, folder, names);
    PlanSettings settings;
    settings.prefix = QStringLiteral("青禾");
    settings.digitsText = QStringLiteral("7");
    list.refreshNewNames(settings);
    QElapsedTimer timer;
    timer.start();
    batchrename::renameAll(list);
    const double passMs = msSince(timer);
    expectOutcomes(list, outcome::succeeded(), "large pass");
    bench::print("shm_rename_pass_ms", passMs);
    bench::print("peak_rss_mb", bench::peakRssMb());
}

const bench::Register renameStage({ QStringLiteral("rename"), 40, false, runRename });
const bench::Register chainStage({ QStringLiteral("rename_chain"), 41, false, runChain });
const bench::Register largeStage({ QStringLiteral("rename_large"), 43, false, runLarge });
const bench::Register swapStage({ QStringLiteral("rename_swap"), 42, false, runSwap });

} // namespace
