// Stage "pass_ui": a rename and a restore of many real files through the real window, measuring how long
// the window's event loop goes without turning while they run.
#include <algorithm>

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

#include "app/fmmain.h"
#include "app/textbox.h"
#include "benchwindow.h"
#include "loopwatch.h"
#include "benchstage.h"
#include "rename/renamelist.h"
#include "rename/renamerow.h"
#include "widgets/ibutton/ibutton.h"

namespace {

struct PassTimes {
    double gapMs = 0; // longest time between two turns of the event loop, from the click to the outcomes
    double totalMs = 0; // from the click until the outcomes are in the list
};

// Clicks `button` and turns the event loop until the pass has ended, timing every turn.
PassTimes timePass(fmMain& window, iButton* button)
{
    QSignalSpy finished(&window, &fmMain::passFinished);
    bench::LoopWatch watch;
    button->Click(); // what a click on the button runs, on the window's thread
    watch.mark(); // the click itself
    if (!finished.wait(600000))
        qFatal("pass stage: the pass did not end");
    PassTimes times;
    times.totalMs = watch.elapsedMs();
    times.gapMs = watch.longestMs();
    return times;
}

void expectOutcomes(const RenameList& list, const QString& text)
{
    for (int row = 0; row < list.count(); ++row) {
        if (list.outcome(row) != text)
            qFatal("pass stage: row %d reads %s", row, qPrintable(list.outcome(row)));
    }
}

void run(const bench::Options& options)
{
    bench::FilledWindow filled(options.files);
    fmMain& window = filled.window();
    bench::control<TextBox>(window, "txtNewName1")->setText(QStringLiteral("青禾"));
    QApplication::processEvents();

    std::vector<double> renameGap, restoreGap, renameTotal, restoreTotal;
    for (int run = 0; run < std::clamp(options.runs, 1, 3); ++run) {
        const PassTimes renamed = timePass(window, bench::control<iButton>(window, "btReName"));
        expectOutcomes(*window.model(), outcome::succeeded());
        const PassTimes restored = timePass(window, bench::control<iButton>(window, "btCallBack"));
        expectOutcomes(*window.model(), outcome::restored());
        renameGap.push_back(renamed.gapMs);
        restoreGap.push_back(restored.gapMs);
        renameTotal.push_back(renamed.totalMs);
        restoreTotal.push_back(restored.totalMs);
    }
    bench::print("pass_ui_gap_ms", bench::median(renameGap));
    bench::print("restore_ui_gap_ms", bench::median(restoreGap));
    bench::print("pass_ui_total_ms", bench::median(renameTotal));
    bench::print("restore_ui_total_ms", bench::median(restoreTotal));
}

const bench::Register stage({ QStringLiteral("pass_ui"), 45, true, run });

} // namespace
