// Tests of the window's file commands: adding files and folders, ordering, dragging, renaming and restoring.
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include "app/fmmain.h"
#include "app/renamelistview.h"
#include "app/textbox.h"
#include "fakeservices.h"
#include "rename/renamelist.h"
#include "widgets/ibutton/ibutton.h"

using namespace Qt::StringLiterals;

// Holds a pass before one of its steps until the test lets it go on, and tells the test when it is there.
class StepGate : public QObject {
    Q_OBJECT

public:
    std::atomic<int> holdAt { -1 };
    QSemaphore go;

    std::function<void(int)> hook()
    {
        return [this](int step) {
            if (step != holdAt.load())
                return;
            QMetaObject::invokeMethod(
                this, [this, step] { emit held(step); }, Qt::QueuedConnection);
            go.acquire();
        };
    }

signals:
    void held(int step);
};

class TestFmMainFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openFilesAddsChosenFiles();
    void openFilesCancelledStillRefreshes();
    void openFolderAddsVisibleFilesSorted();
    void openFolderCancelledDoesNothing();
    void ordering_data();
    void ordering();
    void movingKeepsOutcomeTextsInPlace();
    void clearClosesRestore();
    void drop_data();
    void drop();
    void dragOverHighlightsOneRow();
    void staleTagIsHarmless();
    void renameAndRestoreThroughButtons();
    void renameOnEmptyListDoesNothing();
    void passTakesNoInputAndCancels_data();
    void passTakesNoInputAndCancels();
    void failingRowsAreMarked();

private:
    void addRows(const QStringList& names, const QString& folder = u"/nowhere/"_s);
    QStringList oldNames() const { return m_window->model()->oldNames(); }
    QPoint rowPoint(int row) const;
    void writeFile(const QString& path, const QByteArray& content);

    void runPass(iButton* button);

    FakeServices m_services;
    StepGate m_gate;
    std::unique_ptr<fmMain> m_window;
};

void TestFmMainFiles::init()
{
    m_window = makeTestWindow(m_services);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFmMainFiles::cleanup()
{
    m_gate.holdAt = -1;
    m_gate.go.release(1000); // a failed test must not leave a pass held while its window is destroyed
    m_window.reset();
    m_gate.go.acquire(m_gate.go.available());
}

void TestFmMainFiles::runPass(iButton* button)
{
    QSignalSpy finished(m_window.get(), &fmMain::passFinished);
    button->Click();
    QVERIFY(finished.wait());
}

void TestFmMainFiles::addRows(const QStringList& names, const QString& folder)
{
    for (const QString& name : names)
        m_window->model()->append(name, folder);
    m_window->RefreshNewNames();
}

QPoint TestFmMainFiles::rowPoint(int row) const
{
    return m_window->ListReName->visualRect(m_window->model()->index(row, 0)).center();
}

void TestFmMainFiles::writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

void TestFmMainFiles::openFilesAddsChosenFiles()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    addRows({ u"existing.txt"_s });
    m_services.filesToChoose = { dir.filePath(u"b.jpg"_s), dir.filePath(u"a.jpg"_s) };
    m_window->btOpenFiles->Click();
    QCOMPARE(m_services.dialogTitles, QStringList { u"请选择要更名的文件"_s });
    QCOMPARE(oldNames(), (QStringList { u"existing.txt"_s, u"b.jpg"_s, u"a.jpg"_s }));
    QCOMPARE(m_window->model()->folder(1), dir.path() + u'/');
    QCOMPARE(m_window->model()->icon(2), RowIcon::Added);
    QCOMPARE(m_window->model()->newNames(), (QStringList { u"1.txt"_s, u"2.jpg"_s, u"3.jpg"_s }));
}

void TestFmMainFiles::openFilesCancelledStillRefreshes()
{
    addRows({ u"a.txt"_s });
    m_window->btCallBack->setEnabled(true);
    m_window->btOpenFiles_Click();
    QCOMPARE(m_window->model()->rowCount(), 1);
    QVERIFY(!m_window->btCallBack->isEnabled()); // the refresh ran and closed the restore
}

void TestFmMainFiles::openFolderAddsVisibleFilesSorted()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    for (const char* name : { "b.txt", "A.txt", ".hidden", "c.txt" })
        writeFile(dir.filePath(QString::fromLatin1(name)), "x");
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
    m_services.folderToChoose = dir.path();
    m_window->btOpenFolder->Click();
    QCOMPARE(m_services.dialogTitles, QStringList { u"请选择改名文件所在目录："_s });
    QCOMPARE(oldNames(), (QStringList { u"A.txt"_s, u"b.txt"_s, u"c.txt"_s }));
    QCOMPARE(m_window->model()->folder(0), dir.path() + u'/');
    QCOMPARE(m_window->model()->newName(2), u"3.txt"_s);
    QVERIFY(m_window->btCallBack->isVisible());
}

void TestFmMainFiles::openFolderCancelledDoesNothing()
{
    addRows({ u"a.txt"_s });
    m_window->btCallBack->setEnabled(true);
    m_window->btOpenFolder_Click();
    QCOMPARE(m_window->model()->rowCount(), 1);
    QVERIFY(m_window->btCallBack->isEnabled()); // no refresh after a cancelled picker
}

void TestFmMainFiles::ordering_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<bool>("refreshed");

    const QStringList abc { u"A"_s, u"B"_s, u"C"_s };
    QTest::newRow("up from middle") << "up" << 1 << QStringList { u"B"_s, u"A"_s, u"C"_s } << 0 << true;
    QTest::newRow("up on first") << "up" << 0 << abc << 0 << false;
    QTest::newRow("down from middle") << "down" << 1 << QStringList { u"A"_s, u"C"_s, u"B"_s } << 2 << true;
    QTest::newRow("down on last") << "down" << 2 << abc << 2 << false;
    QTest::newRow("delete middle") << "delete" << 1 << QStringList { u"A"_s, u"C"_s } << 1 << true;
    QTest::newRow("delete last") << "delete" << 2 << QStringList { u"A"_s, u"B"_s } << -1 << true;
    QTest::newRow("up without selection") << "up" << -1 << abc << -1 << false;
    QTest::newRow("down without selection") << "down" << -1 << abc << -1 << false;
    QTest::newRow("delete without selection") << "delete" << -1 << abc << -1 << false;
}

void TestFmMainFiles::ordering()
{
    QFETCH(QString, command);
    QFETCH(int, selected);
    QFETCH(QStringList, order);
    QFETCH(int, selectedAfter);
    QFETCH(bool, refreshed);
    fmMain& w = *m_window;
    addRows({ u"A"_s, u"B"_s, u"C"_s });
    w.ListReName->selectRow(selected < 0 ? std::nullopt : std::optional<int>(selected));
    w.btCallBack->setEnabled(true);
    iButton* button = command == u"up"_s ? w.btSelectUp : command == u"down"_s ? w.btSelectDown : w.btSelectDelete;
    button->Click();
    QCOMPARE(oldNames(), order);
    QCOMPARE(w.ListReName->selectedRow().value_or(-1), selectedAfter);
    QCOMPARE(!w.btCallBack->isEnabled(), refreshed);
    QStringList expectedNames;
    for (int i = 1; i <= order.size(); ++i)
        expectedNames << QString::number(i);
    QCOMPARE(w.model()->newNames(), expectedNames);
}

void TestFmMainFiles::movingKeepsOutcomeTextsInPlace()
{
    fmMain& w = *m_window;
    addRows({ u"A"_s, u"B"_s });
    w.model()->setOutcome(0, outcome::succeeded(), RowIcon::Renamed);
    w.model()->setOutcome(1, outcome::failed(), RowIcon::RenameFailed);
    w.ListReName->selectRow(1);
    w.btSelectUp_Click();
    QCOMPARE(oldNames(), (QStringList { u"B"_s, u"A"_s }));
    QCOMPARE(w.model()->outcome(0), outcome::succeeded());
    QCOMPARE(w.model()->icon(0), RowIcon::RenameFailed);
}

void TestFmMainFiles::clearClosesRestore()
{
    addRows({ u"A"_s, u"B"_s });
    m_window->btCallBack->setEnabled(true);
    m_window->btListClear->Click();
    QCOMPARE(m_window->model()->rowCount(), 0);
    QVERIFY(!m_window->btCallBack->isEnabled());
}

void TestFmMainFiles::drop_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("target"); // -1: below the last row
    QTest::addColumn<QString>("text"); // empty: the selected row's own name
    QTest::addColumn<bool>("files");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("selectedAfter");

    QTest::newRow("B onto D") << 1 << 3 << "" << false << "ACDBE" << 3;
    QTest::newRow("D onto B") << 3 << 1 << "" << false << "ADBCE" << 1;
    QTest::newRow("onto itself") << 2 << 2 << "" << false << "ABCDE" << 2;
    QTest::newRow("onto the last row") << 0 << 4 << "" << false << "BCDEA" << 4;
    QTest::newRow("below the last row goes to the end") << 1 << -1 << "" << false << "ACDEB" << 4;
    QTest::newRow("foreign text ignored") << 1 << 3 << "other" << false << "ABCDE" << 1;
    QTest::newRow("files ignored") << 1 << 3 << "" << true << "ABCDE" << 1;
    QTest::newRow("no selection") << -1 << 3 << "B" << false << "ABCDE" << -1;
}

void TestFmMainFiles::drop()
{
    QFETCH(int, selected);
    QFETCH(int, target);
    QFETCH(QString, text);
    QFETCH(bool, files);
    QFETCH(QString, order);
    QFETCH(int, selectedAfter);
    fmMain& w = *m_window;
    addRows({ u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s });
    for (int r = 0; r < 5; ++r)
        w.model()->setOutcome(r, outcome::succeeded(), RowIcon::Renamed);
    w.ListReName->selectRow(selected < 0 ? std::nullopt : std::optional<int>(selected));

    QMimeData data;
    data.setText(text.isEmpty() ? oldNames().value(selected) : text);
    if (files)
        data.setUrls({ QUrl::fromLocalFile(u"/tmp/x.txt"_s) });
    const QPoint point = target >= 0 ? rowPoint(target) : QPoint(5, w.ListReName->viewport()->height() - 2);
    w.ListReName_OLEDragOver(point);
    w.ListReName_OLEDragDrop(data, point);

    QCOMPARE(oldNames().join(QString()), order);
    QCOMPARE(w.ListReName->selectedRow().value_or(-1), selectedAfter);
    for (int r = 0; r < 5; ++r)
        QVERIFY2(!w.ListReName->isDropMarked(r), "no row stays red after the drop");
    if (order != u"ABCDE"_s || selected == target) {
        // A moved row loses its outcome text; its new name follows the new order.
        QCOMPARE(w.model()->outcome(selectedAfter), QString());
        QCOMPARE(w.model()->newName(selectedAfter), QString::number(selectedAfter + 1));
    }
}

void TestFmMainFiles::dragOverHighlightsOneRow()
{
    fmMain& w = *m_window;
    addRows({ u"A"_s, u"B"_s, u"C"_s });
    auto highlighted = [&] {
        QList<int> rows;
        for (int r = 0; r < w.model()->rowCount(); ++r)
            if (w.ListReName->isDropMarked(r))
                rows << r;
        return rows;
    };
    w.ListReName_OLEDragOver(rowPoint(2));
    QCOMPARE(highlighted(), QList<int> { 2 });
    QCOMPARE(w.lbTag->text(), u"3"_s);
    w.ListReName_OLEDragOver(rowPoint(0));
    QCOMPARE(highlighted(), QList<int> { 0 });
    w.ListReName_OLEDragOver(QPoint(5, w.ListReName->viewport()->height() - 2));
    QCOMPARE(highlighted(), QList<int> {});
    w.ListReName_OLEDragOver(rowPoint(1));
    w.ListReName_OLECompleteDrag();
    QCOMPARE(highlighted(), QList<int> {});
}

void TestFmMainFiles::staleTagIsHarmless()
{
    fmMain& w = *m_window;
    addRows({ u"A"_s, u"B"_s, u"C"_s });
    w.ListReName_OLEDragOver(rowPoint(2));
    w.ListReName_OLECompleteDrag();
    w.ListReName->selectRow(2);
    w.btSelectDelete_Click();
    w.ListReName->selectRow(1);
    w.btSelectDelete_Click();
    QCOMPARE(w.lbTag->text(), u"3"_s);
    w.ListReName_OLEDragOver(rowPoint(0)); // the stored 3 is beyond the rows left and is not acted on
    QVERIFY(w.ListReName->isDropMarked(0));
}

void TestFmMainFiles::renameAndRestoreThroughButtons()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    for (int i = 1; i <= 3; ++i)
        writeFile(dir.filePath(u"%1.txt"_s.arg(i)), QByteArray::number(i));
    writeFile(dir.filePath(u"other.txt"_s), "outside");
    fmMain& w = *m_window;
    m_services.folderToChoose = dir.path();
    w.btOpenFolder_Click();
    QCOMPARE(oldNames(), (QStringList { u"1.txt"_s, u"2.txt"_s, u"3.txt"_s, u"other.txt"_s }));
    w.txtNewName2->setText(u"2"_s); // 1→2, 2→3, 3→4, other→5: a chain within the batch

    runPass(w.btReName);
    QVERIFY(w.isEnabled());
    QVERIFY(w.btCallBack->isEnabled());
    for (int r = 0; r < 4; ++r) {
        QCOMPARE(w.model()->outcome(r), outcome::succeeded());
        QCOMPARE(w.model()->icon(r), RowIcon::Renamed);
    }
    QStringList onDisk = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(onDisk, (QStringList { u"2.txt"_s, u"3.txt"_s, u"4.txt"_s, u"5.txt"_s }));
    QFile moved(dir.filePath(u"5.txt"_s));
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll(), QByteArray("outside"));

    runPass(w.btCallBack);
    QVERIFY(w.isEnabled());
    QVERIFY(w.btCallBack->isEnabled()); // a restore leaves the button as it was
    for (int r = 0; r < 4; ++r) {
        QCOMPARE(w.model()->outcome(r), outcome::restored());
        QCOMPARE(w.model()->icon(r), RowIcon::Restored);
    }
    onDisk = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(onDisk, (QStringList { u"1.txt"_s, u"2.txt"_s, u"3.txt"_s, u"other.txt"_s }));

    w.btCallBack_Click(); // a second restore changes nothing
    QCOMPARE(w.model()->outcome(0), outcome::restored());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), onDisk);
}

void TestFmMainFiles::renameOnEmptyListDoesNothing()
{
    m_window->btReName_Click();
    QVERIFY(m_window->btCallBack->isHidden());
    QVERIFY(!m_window->btCallBack->isEnabled() || m_window->btCallBack->isHidden());
    QVERIFY(m_window->isEnabled());
}

void TestFmMainFiles::passTakesNoInputAndCancels_data()
{
    QTest::addColumn<QString>("stop"); // how the held pass is stopped
    QTest::newRow("cancel button") << "button";
    QTest::newRow("Esc") << "esc";
    QTest::newRow("closing the window") << "close";
}

// A pass held before one of its moves: everything that could change the list, the plan or start another
// pass is sent to the window, directly and through the event queue, and nothing of it has any effect. Then
// the pass is stopped: every file bears its old or its new name, each row tells the truth, and 还原 brings
// back every renamed file.
void TestFmMainFiles::passTakesNoInputAndCancels()
{
    QFETCH(QString, stop);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    // Numbered from 1: 2.txt and 1.txt swap names (a cycle), 4→3, 5→4, 6→5 and x→6 are a chain, the rest
    // plain moves.
    const QStringList names { u"2.txt"_s, u"1.txt"_s, u"4.txt"_s, u"5.txt"_s, u"6.txt"_s, u"x.txt"_s, u"a.txt"_s,
        u"b.txt"_s, u"c.txt"_s, u"d.txt"_s };
    QStringList paths;
    for (const QString& name : names) {
        writeFile(dir.filePath(name), name.toUtf8()); // each file's content is its first name
        paths << dir.filePath(name);
    }
    m_window.reset();
    m_services = FakeServices();
    WindowOptions options;
    options.services = &m_services;
    options.checkForUpdates = false;
    options.passStepHook = m_gate.hook();
    m_window = std::make_unique<fmMain>(options);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    fmMain& w = *m_window;
    m_services.filesToChoose = paths;
    w.btOpenFiles_Click();
    const QStringList newNames = w.model()->newNames();
    QCOMPARE(newNames.mid(0, 3), (QStringList { u"1.txt"_s, u"2.txt"_s, u"3.txt"_s }));
    w.ListReName->selectRow(0);

    m_gate.holdAt = 3;
    QSignalSpy held(&m_gate, &StepGate::held);
    QSignalSpy finished(&w, &fmMain::passFinished);
    w.btReName->Click();
    QVERIFY(held.wait());
    QVERIFY(w.isPassRunning());

    // Clicks, keys and typing, sent now and queued for later.
    QTest::mouseClick(w.btReName, Qt::LeftButton);
    QTest::keyClick(w.btReName, Qt::Key_Space);
    QTest::mouseClick(w.btListClear, Qt::LeftButton);
    QTest::mouseClick(w.btSelectDelete, Qt::LeftButton);
    QTest::keyClicks(w.txtNewName1, u"zz"_s);
    QTest::keyClick(w.ListReName, Qt::Key_Down);
    for (QWidget* target : { static_cast<QWidget*>(w.btListClear), static_cast<QWidget*>(w.btSelectDelete) }) {
        const QPointF centre = QRectF(target->rect()).center();
        QCoreApplication::postEvent(target,
            new QMouseEvent(QEvent::MouseButtonPress, centre, target->mapToGlobal(centre), Qt::LeftButton,
                Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(target,
            new QMouseEvent(QEvent::MouseButtonRelease, centre, target->mapToGlobal(centre), Qt::LeftButton,
                Qt::NoButton, Qt::NoModifier));
    }
    QCoreApplication::postEvent(w.txtNewName1, new QKeyEvent(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, u"q"_s));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(oldNames(), names);
    QCOMPARE(w.model()->newNames(), newNames);
    QCOMPARE(w.txtNewName1->text(), QString());
    QCOMPARE(w.ListReName->selectedRow(), std::optional<int>(0));

    // The pass goes on painting and shows its progress instead of the tip line.
    QTRY_VERIFY_WITH_TIMEOUT(w.btCancel->isVisible(), 3000);
    QVERIFY(w.lbProgress->isVisible());
    QVERIFY(!w.lbInfo[15]->isVisible());
    QVERIFY2(QRegularExpression(u"^正在更名 \\d+ / \\d+$"_s).match(w.lbProgress->text()).hasMatch(),
        qPrintable(w.lbProgress->text()));

    if (stop == u"button"_s)
        QTest::mouseClick(w.btCancel, Qt::LeftButton);
    else if (stop == u"esc"_s)
        QTest::keyClick(w.txtNewName1, Qt::Key_Escape);
    else
        w.close();
    QVERIFY(w.isVisible()); // nothing closes before the pass has stopped
    m_gate.go.release();
    QVERIFY(finished.wait());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(w.isVisible(), stop != u"close"_s);
    QVERIFY(!w.isPassRunning());
    QVERIFY(!w.lbProgress->isVisible());
    QCOMPARE(w.lbInfo[15]->isVisible(), stop != u"close"_s);

    // Every row tells the truth, and every file bears one of its two names; no other name is left.
    int renamed = 0;
    QStringList expected;
    for (int row = 0; row < names.size(); ++row) {
        const QString outcomeText = w.model()->outcome(row);
        if (outcomeText == outcome::succeeded()) {
            ++renamed;
            QCOMPARE(w.model()->icon(row), RowIcon::Renamed);
            expected << newNames.at(row);
        } else {
            QCOMPARE(outcomeText, QString()); // not reached: left as it was
            QCOMPARE(w.model()->icon(row), RowIcon::Added);
            expected << names.at(row);
        }
        QFile file(dir.filePath(expected.last()));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(expected.last()));
        QCOMPARE(file.readAll(), names.at(row).toUtf8());
    }
    QVERIFY2(renamed > 0 && renamed < names.size(), "the pass stopped in the middle");
    expected.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    QCOMPARE(oldNames(), names);
    QVERIFY(w.btCallBack->isEnabled());

    m_gate.holdAt = -1;
    runPass(w.btCallBack);
    QStringList original = names;
    original.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), original);
    for (int row = 0; row < names.size(); ++row) {
        QFile file(dir.filePath(names.at(row)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), names.at(row).toUtf8());
    }
}

// A row that would fail is drawn red with its reason as tooltip, the tip line counts such rows, a failed
// row tells why, and a name cut by its column shows whole as a tooltip.
void TestFmMainFiles::failingRowsAreMarked()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString longName = QString(80, u'长') + u".txt"_s;
    for (const QString& name : { u"a.txt"_s, u"b.txt"_s, longName, u"2.txt"_s })
        writeFile(dir.filePath(name), "x");
    fmMain& w = *m_window;
    const QString designedTip = w.lbInfo[15]->text();
    m_services.filesToChoose = { dir.filePath(u"a.txt"_s), dir.filePath(u"b.txt"_s), dir.filePath(longName) };
    QSignalSpy checked(&w, &fmMain::newNamesChecked);
    w.btOpenFiles_Click(); // a→1, b→2 (held by 2.txt outside the list), long→3
    QVERIFY(checked.wait());

    auto toolTipAt = [&](int row, int column) {
        return w.ListReName->toolTipAt(w.ListReName->visualRect(w.model()->index(row, column)).center());
    };
    auto redPixels = [&](int row) {
        const QImage image = w.ListReName->viewport()
                                 ->grab(w.ListReName->visualRect(w.model()->index(row, RenameList::NewNameColumn)))
                                 .toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == QColor(192, 0, 0);
        return count;
    };
    const QString taken = u"文件夹中已有同名文件"_s;
    const QPoint red = w.ListReName->visualRect(w.model()->index(1, RenameList::NewNameColumn)).center();
    QHelpEvent hover(QEvent::ToolTip, red, w.ListReName->viewport()->mapToGlobal(red));
    QCoreApplication::sendEvent(w.ListReName->viewport(), &hover);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), taken);
    QVERIFY(redPixels(1) > 0);
    QCOMPARE(redPixels(0), 0);
    QCOMPARE(toolTipAt(0, RenameList::NewNameColumn), QString());
    QCOMPARE(toolTipAt(0, RenameList::OldNameColumn), QString());
    QCOMPARE(toolTipAt(2, RenameList::OldNameColumn), longName); // cut by its column
    QCOMPARE(w.lbInfo[15]->text(), u"有 1 个文件无法更名，请查看红色的新文件名"_s);
    QCOMPARE(w.lbInfo[15]->palette().color(QPalette::WindowText), QColor(192, 0, 0));

    checked.clear();
    runPass(w.btReName);
    if (checked.isEmpty())
        QVERIFY(checked.wait());
    QCOMPARE(w.model()->outcome(1), outcome::failed());
    QCOMPARE(toolTipAt(1, RenameList::OutcomeColumn), taken);
    QCOMPARE(toolTipAt(0, RenameList::OutcomeColumn), QString());
    // The renamed files are no longer under their old names: a second pass would fail on every row.
    QCOMPARE(toolTipAt(0, RenameList::NewNameColumn), u"原文件已不存在"_s);
    QCOMPARE(w.lbInfo[15]->text(), u"有 3 个文件无法更名，请查看红色的新文件名"_s);

    w.btListClear_Click();
    QCOMPARE(w.lbInfo[15]->text(), designedTip);
    QCOMPARE(w.lbInfo[15]->palette().color(QPalette::WindowText), QColor(64, 64, 64));
}

QTEST_MAIN(TestFmMainFiles)
#include "tst_fmmain_files.moc"
