// Stages "keystroke" and "keystroke_conflicts": one character typed into the prefix field of a real window
// whose rows are real files, each row checked as the pass would judge it.
#include <algorithm>

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/fmmain.h"
#include "app/renamelistview.h"
#include "app/textbox.h"
#include "benchfiles.h"
#include "benchwindow.h"
#include "loopwatch.h"
#include "benchnames.h"
#include "benchstage.h"
#include "rename/namegenerator.h"
#include "rename/renamelist.h"

namespace {

struct Typing {
    double keystrokeMs = 0; // until the view shows the new names: how long typing waits
    double checkedMs = 0; // until the view also shows which rows would fail (judged off the window's thread)
};

// Types into the prefix field; medians in ms.
Typing typeKeys(fmMain& window, int runs)
{
    auto* prefix = bench::control<TextBox>(window, "txtNewName1");
    QWidget* rows = bench::control<RenameListView>(window, "ListReName")->viewport();
    prefix->setFocus();
    QSignalSpy checked(&window, &fmMain::newNamesChecked);
    if (!checked.wait(60000)) // the check of the rows just added
        qFatal("keystroke stage: the rows were never checked");
    std::vector<double> typed, marked;
    for (int run = 0; run < runs; ++run) {
        const Qt::Key key = run % 2 ? Qt::Key_Backspace : Qt::Key_A;
        checked.clear();
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(prefix, key);
        rows->repaint(); // until the view shows the new names
        typed.push_back(timer.nsecsElapsed() / 1e6);
        if (checked.isEmpty() && !checked.wait(60000))
            qFatal("keystroke stage: the check did not end");
        rows->repaint(); // and their marks
        marked.push_back(timer.nsecsElapsed() / 1e6);
    }
    return { bench::median(typed), bench::median(marked) };
}

// Another window takes the focus and gives it back: the window lists its folders again off its own
// thread and checks the rows against the new listing. Returns the longest the event loop stood still
// (how long a keystroke could have waited) from the activation until the rows are checked again.
struct Activation {
    double gapMs = 0;
    double relistMs = 0; // from the activation until the rows are checked against the new listing
};

Activation activate(fmMain& window)
{
    QWidget other;
    other.show();
    other.activateWindow();
    if (!QTest::qWaitFor([&] { return !window.isActiveWindow(); }, 5000))
        qFatal("keystroke stage: the window never lost the focus");
    QSignalSpy checked(&window, &fmMain::newNamesChecked);
    const bench::LoopWatch watch;
    window.activateWindow();
    if (!checked.wait(60000))
        qFatal("keystroke stage: the rows were not checked again after the activation");
    return { watch.longestMs(), watch.elapsedMs() };
}

void runPlain(const bench::Options& options)
{
    bench::resetPeakRss();
    bench::FilledWindow filled(options.files);
    fmMain& window = filled.window();
    // Adding the folder (listing and ordering its files) peaks apart from typing and checking.
    bench::print("filled_peak_rss_mb", bench::peakRssMb());
    bench::resetPeakRss();
    const Typing typing = typeKeys(window, options.runs);
    // The first row is whichever name the listing orders first; it is numbered 1 with or without the typed "a".
    const QString& first = window.model()->oldName(0);
    const QString extension = first.sliced(extensionStart(first));
    const QString name = window.model()->newName(0);
    if (name != QLatin1Char('1') + extension && name != QStringLiteral("a1") + extension)
        qFatal("keystroke stage: unexpected name %s", qPrintable(name));
    if (window.model()->failingCount() != 0)
        qFatal("keystroke stage: %d rows marked as failing", window.model()->failingCount());
    bench::print("keystroke_ms", typing.keystrokeMs);
    bench::print("keystroke_checked_ms", typing.checkedMs);
    bench::print("typing_peak_rss_mb", bench::peakRssMb()); // the filled window, typed into and checked
    bench::print("typed_rss_mb", bench::rssMb());
    std::vector<double> gaps, relists;
    for (int run = 0; run < std::min(options.runs, 5); ++run) {
        const Activation activation = activate(window);
        gaps.push_back(activation.gapMs);
        relists.push_back(activation.relistMs);
    }
    bench::print("activation_gap_ms", bench::median(gaps));
    bench::print("activation_relist_ms", bench::median(relists));
    bench::print("window_peak_rss_mb", bench::peakRssMb()); // typed into, checked and relisted
}

// A tenth of the rows in conflict: files listed twice, and new names held by files outside the list.
void runConflicts(const bench::Options& options)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("keystroke stage: no temporary folder");
    const QString folder = dir.path() + QLatin1Char('/');
    const int n = options.files;
    bench::resetPeakRss();
    const int twice = n / 20; // the first n/20 files are listed a second time, at the end
    const int unique = n - twice;
    QStringList names;
    for (int i = 0; i < unique; ++i)
        names << QStringLiteral("f_%1.jpg").arg(i, 7, 10, QLatin1Char('0'));
    // Every 20th row's new name, with and without the typed "a", is held by a file outside the list.
    QStringList outside;
    for (int row = 20; row <= n; row += 20)
        outside << QStringLiteral("%1.jpg").arg(row) << QStringLiteral("a%1.jpg").arg(row);
    bench::createEmptyFiles(folder, names);
    bench::createEmptyFiles(folder, outside);

    bench::ChosenFiles services;
    for (const QString& name : names)
        services.files << folder + name;
    for (int i = 0; i < twice; ++i)
        services.files << folder + names.at(i);
    const std::unique_ptr<fmMain> owner = bench::windowWith(services, "btOpenFiles");
    fmMain& window = *owner;
    if (window.model()->count() != n)
        qFatal("keystroke stage: %d rows instead of %d", window.model()->count(), n);
    const Typing typing = typeKeys(window, options.runs);
    const int failing = window.model()->failingCount();
    if (failing < n / 11 || failing > n / 9)
        qFatal("keystroke stage: %d of %d rows marked as failing", failing, n);
    bench::print("keystroke_conflicts_ms", typing.keystrokeMs);
    bench::print("keystroke_conflicts_checked_ms", typing.checkedMs);
    bench::print("conflicts_window_peak_rss_mb", bench::peakRssMb());
}

const bench::Register plainStage({ QStringLiteral("keystroke"), 20, true, runPlain });
const bench::Register conflictStage({ QStringLiteral("keystroke_conflicts"), 21, true, runConflicts });

} // namespace
