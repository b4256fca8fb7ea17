// Stage "keystroke": one character typed into the prefix field of a real window holding many rows.
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "app/fmmain.h"
#include "app/renamelistview.h"
#include "app/textbox.h"
#include "benchnames.h"
#include "benchstage.h"
#include "rename/renamelist.h"

namespace {

void run(const bench::Options& options)
{
    WindowOptions windowOptions;
    windowOptions.checkForUpdates = false;
    fmMain window(windowOptions);
    window.show();
    QList<RenameList::Entry> entries;
    entries.reserve(options.files);
    for (int i = 0; i < options.files; ++i)
        entries.append({ bench::realisticName(i), QStringLiteral("/home/user/照片/") });
    window.model()->append(entries);
    window.RefreshNewNames();
    window.txtNewName1->setFocus();
    QApplication::processEvents();

    std::vector<double> samples;
    for (int run = 0; run < options.runs; ++run) {
        const Qt::Key key = run % 2 ? Qt::Key_Backspace : Qt::Key_A;
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(window.txtNewName1, key);
        window.ListReName->viewport()->repaint(); // until the view shows the new names
        samples.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (window.model()->newName(0) != QStringLiteral("1.jpg") && window.model()->newName(0) != QStringLiteral("a1.jpg"))
        qFatal("keystroke stage: unexpected name %s", qPrintable(window.model()->newName(0)));
    bench::print("keystroke_ms", bench::median(samples));
}

const bench::Register stage({ QStringLiteral("keystroke"), 20, true, run });

} // namespace
