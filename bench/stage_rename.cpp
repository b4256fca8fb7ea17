// Stages "rename" and "rename_chain": the batch rename and the restore on real files, against a raw loop.
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include "benchnames.h"
#include "benchstage.h"
#include "disk/batchrename.h"
#include "rename/namegenerator.h"
#include "rename/renamelist.h"
#include "rename/renamerow.h"

namespace {

// Files on disk are slow to make: a few runs are enough for a stable median.
int diskRuns(const bench::Options& options)
{
    return std::clamp(options.runs, 1, 5);
}

void createFiles(const QString& folder, const QStringList& names)
{
    for (const QString& name : names) {
        const int fd = ::open((folder + name).toUtf8().constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
        if (fd < 0 || ::write(fd, "x", 1) != 1)
            qFatal("rename stage: cannot create %s", qPrintable(folder + name));
        ::close(fd);
    }
}

void expectOutcomes(const RenameList& list, const QString& text, const char* what)
{
    for (int row = 0; row < list.count(); ++row) {
        if (list.outcome(row) != text)
            qFatal("rename stage: %s: row %d reads %s", what, row, qPrintable(list.outcome(row)));
    }
}

double msSince(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// renameat2 with no-replace plus one lstat per file, over paths prepared beforehand.
double rawLoop(const std::vector<QByteArray>& from, const std::vector<QByteArray>& to)
{
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
        if (!dir.isValid())
            qFatal("rename stage: no temporary folder: %s", qPrintable(dir.errorString()));
        const QString folder = dir.path() + QLatin1Char('/');
        QStringList names;
        QList<RenameList::Entry> entries;
        names.reserve(n);
        entries.reserve(n);
        for (int i = 0; i < n; ++i) {
            names << bench::realisticName(i);
            entries.append({ names.last(), folder });
        }
        createFiles(folder, names);
        RenameList list;
        list.append(entries);
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
        QElapsedTimer timer;
        timer.start();
        batchrename::renameAll(list);
        pass.push_back(msSince(timer));
        expectOutcomes(list, outcome::succeeded(), "pass");
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
}

// Files 1.txt..N.txt numbered from 2: one chain through the whole batch, renamed from its far end.
double chainPass(int n)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("rename stage: no temporary folder: %s", qPrintable(dir.errorString()));
    const QString folder = dir.path() + QLatin1Char('/');
    QStringList names;
    QList<RenameList::Entry> entries;
    for (int i = 1; i <= n; ++i) {
        names << QStringLiteral("%1.txt").arg(i);
        entries.append({ names.last(), folder });
    }
    createFiles(folder, names);
    RenameList list;
    list.append(entries);
    PlanSettings settings;
    settings.startText = QStringLiteral("2");
    list.refreshNewNames(settings);
    QElapsedTimer timer;
    timer.start();
    batchrename::renameAll(list);
    const double ms = msSince(timer);
    expectOutcomes(list, outcome::succeeded(), "chain");
    return ms;
}

void runChain(const bench::Options& options)
{
    std::vector<double> full, half;
    for (int run = 0; run < diskRuns(options); ++run) {
        full.push_back(chainPass(options.files));
        half.push_back(chainPass(std::max(1, options.files / 2)));
    }
    const double fullMs = bench::median(full);
    const double halfMs = bench::median(half);
    bench::print("chain_pass_ms", fullMs);
    bench::print("chain_pass_half_ms", halfMs);
    bench::print("chain_full_to_half", halfMs > 0 ? fullMs / halfMs : 0); // about 2 when linear
}

const bench::Register renameStage({ QStringLiteral("rename"), 40, false, runRename });
const bench::Register chainStage({ QStringLiteral("rename_chain"), 41, false, runChain });

} // namespace
