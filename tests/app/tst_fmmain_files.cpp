// Tests of the window's file commands: adding files and folders, ordering, dragging, renaming and restoring.
#include <chrono>
#include <thread>

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QDragMoveEvent>
#include <QFile>
#include <QKeySequence>
#include <QMimeData>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include "app/fmmain.h"
#include "app/platformservices.h"
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
    void foldersArriveInOrderAndClearDropsThem();
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
    void afterPass_data();
    void afterPass();
    void fileDialogRefusesWhatCannotBeRenamed();

private:
    void addRows(const QStringList& names, const QString& folder = u"/nowhere/"_s);
    QStringList oldNames() const { return m_window->model()->oldNames(); }
    RenameListView* list() const { return control<RenameListView>(*m_window, u"ListReName"_s); }
    iButton* button(const QString& name) const { return control<iButton>(*m_window, name); }
    QLabel* tipLine() const { return control<QLabel>(*m_window, u"lbInfo(15)"_s); }
    QPoint rowPoint(int row) const;
    void writeFile(const QString& path, const QByteArray& content);

    /// Clicks the button named `name` and waits until the pass it starts has ended.
    void runPass(const QString& name);
    /// A shown window whose passes stop before the step the gate names.
    void openGatedWindow();
    // A drag over the list as the drag system delivers it to the list's viewport: it enters at its first
    // point and moves on from there, then drops or leaves.
    void dragTo(const QPoint& point, const QMimeData& data = QMimeData());
    void dropAt(const QPoint& point, const QMimeData& data);
    void leaveDrag();
    bool m_dragInside = false; // a drag has entered the list and has neither dropped nor left

    FakeServices m_services;
    StepGate m_gate;
    std::unique_ptr<fmMain> m_window;
};

void TestFmMainFiles::init()
{
    m_window = makeTestWindow(m_services);
    m_dragInside = false;
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFmMainFiles::cleanup()
{
    m_gate.holdAt = -1;
    m_gate.go.release(1000); // a failed test must not leave a pass held while its window is destroyed
    m_window.reset();
    m_gate.go.acquire(m_gate.go.available());
}

void TestFmMainFiles::runPass(const QString& name)
{
    QSignalSpy finished(m_window.get(), &fmMain::passFinished);
    clickControl(*m_window, name);
    QVERIFY(finished.wait());
}

void TestFmMainFiles::openGatedWindow()
{
    m_window.reset();
    m_services = FakeServices();
    WindowOptions options;
    options.services = &m_services;
    options.checkForUpdates = false;
    options.passStepHook = m_gate.hook();
    m_window = std::make_unique<fmMain>(options);
    testWindowModel(*m_window);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFmMainFiles::dragTo(const QPoint& point, const QMimeData& data)
{
    QWidget* viewport = list()->viewport();
    const Qt::DropActions actions = Qt::MoveAction | Qt::CopyAction;
    if (!m_dragInside) {
        QDragEnterEvent enter(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        m_dragInside = true;
    }
    QDragMoveEvent move(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
}

void TestFmMainFiles::dropAt(const QPoint& point, const QMimeData& data)
{
    dragTo(point, data);
    QDropEvent drop(QPointF(point), Qt::MoveAction | Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list()->viewport(), &drop);
    m_dragInside = false;
}

void TestFmMainFiles::leaveDrag()
{
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(list()->viewport(), &leave);
    m_dragInside = false;
}

void TestFmMainFiles::addRows(const QStringList& names, const QString& folder)
{
    for (const QString& name : names)
        m_window->model()->append(name, folder);
    m_window->RefreshNewNames();
}

QPoint TestFmMainFiles::rowPoint(int row) const
{
    return list()->visualRect(m_window->model()->index(row, 0)).center();
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
    clickControl(*m_window, u"btOpenFiles"_s);
    QCOMPARE(m_services.dialogTitles, QStringList { u"请选择要更名的文件"_s });
    QCOMPARE(oldNames(), (QStringList { u"existing.txt"_s, u"b.jpg"_s, u"a.jpg"_s }));
    QCOMPARE(m_window->model()->folder(1), dir.path() + u'/');
    QCOMPARE(m_window->model()->icon(2), RowIcon::Added);
    QCOMPARE(m_window->model()->newNames(), (QStringList { u"1.txt"_s, u"2.jpg"_s, u"3.jpg"_s }));
}

void TestFmMainFiles::openFilesCancelledStillRefreshes()
{
    auto* btCallBack = button(u"btCallBack"_s);
    addRows({ u"a.txt"_s });
    btCallBack->setEnabled(true);
    clickControl(*m_window, u"btOpenFiles"_s);
    QCOMPARE(m_window->model()->rowCount(), 1);
    QVERIFY(!btCallBack->isEnabled()); // the refresh ran and closed the restore
}

void TestFmMainFiles::openFolderAddsVisibleFilesSorted()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    for (const char* name : { "b.txt", "A.txt", ".hidden", "c.txt" })
        writeFile(dir.filePath(QString::fromLatin1(name)), "x");
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
    m_services.folderToChoose = dir.path();
    clickControl(*m_window, u"btOpenFolder"_s);
    QTRY_VERIFY(!m_window->isAddingFolders()); // listed off the window's thread
    QCOMPARE(m_services.dialogTitles, QStringList { u"请选择改名文件所在目录："_s });
    QCOMPARE(oldNames(), (QStringList { u"A.txt"_s, u"b.txt"_s, u"c.txt"_s }));
    QCOMPARE(m_window->model()->folder(0), dir.path() + u'/');
    QCOMPARE(m_window->model()->newName(2), u"3.txt"_s);
    QVERIFY(button(u"btCallBack"_s)->isVisible());
}

void TestFmMainFiles::openFolderCancelledDoesNothing()
{
    auto* btCallBack = button(u"btCallBack"_s);
    addRows({ u"a.txt"_s });
    btCallBack->setEnabled(true);
    clickControl(*m_window, u"btOpenFolder"_s);
    QCOMPARE(m_services.dialogTitles.size(), 1); // the picker was asked, and cancelled
    QCOMPARE(m_window->model()->rowCount(), 1);
    QVERIFY(btCallBack->isEnabled()); // no refresh after a cancelled picker
}

void TestFmMainFiles::foldersArriveInOrderAndClearDropsThem()
{
    QTemporaryDir first;
    QTemporaryDir second;
    QVERIFY(first.isValid() && second.isValid());
    writeFile(first.filePath(u"b.txt"_s), "x");
    writeFile(second.filePath(u"a.txt"_s), "x");
    // Both chosen before the first is listed: the rows come in the order the folders were chosen, and the
    // files chosen after them come last.
    m_services.folderToChoose = first.path();
    clickControl(*m_window, u"btOpenFolder"_s);
    m_services.folderToChoose = second.path();
    clickControl(*m_window, u"btOpenFolder"_s);
    m_services.filesToChoose = { second.filePath(u"a.txt"_s) };
    clickControl(*m_window, u"btOpenFiles"_s);
    QCOMPARE(m_window->model()->rowCount(), 0); // nothing overtakes the folders
    QSignalSpy added(m_window.get(), &fmMain::foldersAdded);
    QVERIFY(added.wait());
    QCOMPARE(oldNames(), (QStringList { u"b.txt"_s, u"a.txt"_s, u"a.txt"_s }));
    QCOMPARE(m_window->model()->folder(1), second.path() + u'/');
    QCOMPARE(m_window->model()->newName(2), u"3.txt"_s);

    // 清空 while a folder is being listed: its rows never arrive.
    clickControl(*m_window, u"btOpenFolder"_s);
    clickControl(*m_window, u"btListClear"_s);
    QVERIFY(added.wait());
    QCOMPARE(m_window->model()->rowCount(), 0);

    // The window closed and destroyed while a folder is being listed.
    clickControl(*m_window, u"btOpenFolder"_s);
    QVERIFY(m_window->isAddingFolders());
    m_window->close();
    m_window.reset();
    QCoreApplication::sendPostedEvents(); // the listing's result, if posted, finds no window
}

void TestFmMainFiles::ordering_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<bool>("refreshed");

    // clang-format off
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
    // The list's keys do what the buttons beside it do.
    QTest::newRow("Alt+Up from middle") << "Alt+Up" << 1 << QStringList { u"B"_s, u"A"_s, u"C"_s } << 0 << true;
    QTest::newRow("Alt+Up on first") << "Alt+Up" << 0 << abc << 0 << false;
    QTest::newRow("Alt+Down from middle") << "Alt+Down" << 1 << QStringList { u"A"_s, u"C"_s, u"B"_s } << 2 << true;
    QTest::newRow("Alt+Down on last") << "Alt+Down" << 2 << abc << 2 << false;
    QTest::newRow("Delete middle") << "Delete" << 1 << QStringList { u"A"_s, u"C"_s } << 1 << true;
    QTest::newRow("Delete last") << "Delete" << 2 << QStringList { u"A"_s, u"B"_s } << -1 << true;
    QTest::newRow("Delete without selection") << "Delete" << -1 << abc << -1 << false;
    // clang-format on
}

void TestFmMainFiles::ordering()
{
    QFETCH(QString, command);
    QFETCH(int, selected);
    QFETCH(QStringList, order);
    QFETCH(int, selectedAfter);
    QFETCH(bool, refreshed);
    fmMain& w = *m_window;
    auto* btCallBack = button(u"btCallBack"_s);
    addRows({ u"A"_s, u"B"_s, u"C"_s });
    list()->selectRow(selected < 0 ? std::nullopt : std::optional<int>(selected));
    btCallBack->setEnabled(true);
    if (command.front().isUpper()) {
        const QKeyCombination key = QKeySequence::fromString(command)[0];
        QTest::keyClick(list(), key.key(), key.keyboardModifiers());
    } else {
        iButton* clicked = button(command == u"up"_s ? u"btSelectUp"_s
                : command == u"down"_s               ? u"btSelectDown"_s
                                                     : u"btSelectDelete"_s);
        QSignalSpy clicks(clicked, &iButton::Click);
        QTest::mouseClick(clicked, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1); // the click reached the button, whatever it changed
    }
    QCOMPARE(oldNames(), order);
    QCOMPARE(list()->selectedRow().value_or(-1), selectedAfter);
    QCOMPARE(!btCallBack->isEnabled(), refreshed);
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
    list()->selectRow(1);
    clickControl(w, u"btSelectUp"_s);
    QCOMPARE(oldNames(), (QStringList { u"B"_s, u"A"_s }));
    QCOMPARE(w.model()->outcome(0), outcome::succeeded());
    QCOMPARE(w.model()->icon(0), RowIcon::RenameFailed);
}

void TestFmMainFiles::clearClosesRestore()
{
    auto* btCallBack = button(u"btCallBack"_s);
    addRows({ u"A"_s, u"B"_s });
    btCallBack->setEnabled(true);
    clickControl(*m_window, u"btListClear"_s);
    QCOMPARE(m_window->model()->rowCount(), 0);
    QVERIFY(!btCallBack->isEnabled());
}

void TestFmMainFiles::drop_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("target"); // -1: below the last row
    QTest::addColumn<QString>("text"); // empty: the selected row's own name
    QTest::addColumn<bool>("files");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("selectedAfter");

    // clang-format off
    QTest::newRow("B onto D") << 1 << 3 << "" << false << "ACDBE" << 3;
    QTest::newRow("D onto B") << 3 << 1 << "" << false << "ADBCE" << 1;
    QTest::newRow("onto itself") << 2 << 2 << "" << false << "ABCDE" << 2;
    QTest::newRow("onto the last row") << 0 << 4 << "" << false << "BCDEA" << 4;
    QTest::newRow("below the last row goes to the end") << 1 << -1 << "" << false << "ACDEB" << 4;
    QTest::newRow("foreign text ignored") << 1 << 3 << "other" << false << "ABCDE" << 1;
    QTest::newRow("files ignored") << 1 << 3 << "" << true << "ABCDE" << 1;
    QTest::newRow("no selection") << -1 << 3 << "B" << false << "ABCDE" << -1;
    // clang-format on
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
    list()->selectRow(selected < 0 ? std::nullopt : std::optional<int>(selected));

    QMimeData data;
    data.setText(text.isEmpty() ? oldNames().value(selected) : text);
    if (files)
        data.setUrls({ QUrl::fromLocalFile(u"/tmp/x.txt"_s) });
    const QPoint point = target >= 0 ? rowPoint(target) : QPoint(5, list()->viewport()->height() - 2);
    dropAt(point, data);

    QCOMPARE(oldNames().join(QString()), order);
    QCOMPARE(list()->selectedRow().value_or(-1), selectedAfter);
    for (int r = 0; r < 5; ++r)
        QVERIFY2(!list()->isDropMarked(r), "no row stays red after the drop");
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
            if (list()->isDropMarked(r))
                rows << r;
        return rows;
    };
    dragTo(rowPoint(2));
    QCOMPARE(highlighted(), QList<int> { 2 });
    QCOMPARE(control<QLabel>(w, u"lbTag"_s)->text(), u"3"_s);
    dragTo(rowPoint(0));
    QCOMPARE(highlighted(), QList<int> { 0 });
    dragTo(QPoint(5, list()->viewport()->height() - 2));
    QCOMPARE(highlighted(), QList<int> {});
    dragTo(rowPoint(1));
    leaveDrag();
    QCOMPARE(highlighted(), QList<int> {});
}

void TestFmMainFiles::staleTagIsHarmless()
{
    fmMain& w = *m_window;
    addRows({ u"A"_s, u"B"_s, u"C"_s });
    dragTo(rowPoint(2));
    leaveDrag();
    list()->selectRow(2);
    clickControl(w, u"btSelectDelete"_s);
    list()->selectRow(1);
    clickControl(w, u"btSelectDelete"_s);
    QCOMPARE(control<QLabel>(w, u"lbTag"_s)->text(), u"3"_s);
    dragTo(rowPoint(0)); // the stored 3 is beyond the rows left and is not acted on
    QVERIFY(list()->isDropMarked(0));
}

void TestFmMainFiles::renameAndRestoreThroughButtons()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    for (int i = 1; i <= 3; ++i)
        writeFile(dir.filePath(u"%1.txt"_s.arg(i)), QByteArray::number(i));
    writeFile(dir.filePath(u"other.txt"_s), "outside");
    fmMain& w = *m_window;
    auto* btCallBack = button(u"btCallBack"_s);
    m_services.folderToChoose = dir.path();
    clickControl(w, u"btOpenFolder"_s);
    QTRY_VERIFY(!w.isAddingFolders());
    QCOMPARE(oldNames(), (QStringList { u"1.txt"_s, u"2.txt"_s, u"3.txt"_s, u"other.txt"_s }));
    control<TextBox>(w, u"txtNewName2"_s)->setText(u"2"_s); // 1→2, 2→3, 3→4, other→5: a chain within the batch

    runPass(u"btReName"_s);
    QVERIFY(w.isEnabled());
    QVERIFY(btCallBack->isEnabled());
    for (int r = 0; r < 4; ++r) {
        QCOMPARE(w.model()->outcome(r), outcome::succeeded());
        QCOMPARE(w.model()->icon(r), RowIcon::Renamed);
    }
    QStringList onDisk = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(onDisk, (QStringList { u"2.txt"_s, u"3.txt"_s, u"4.txt"_s, u"5.txt"_s }));
    QFile moved(dir.filePath(u"5.txt"_s));
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll(), QByteArray("outside"));

    runPass(u"btCallBack"_s);
    QVERIFY(w.isEnabled());
    QVERIFY(btCallBack->isEnabled()); // a restore leaves the button as it was
    for (int r = 0; r < 4; ++r) {
        QCOMPARE(w.model()->outcome(r), outcome::restored());
        QCOMPARE(w.model()->icon(r), RowIcon::Restored);
    }
    onDisk = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(onDisk, (QStringList { u"1.txt"_s, u"2.txt"_s, u"3.txt"_s, u"other.txt"_s }));

    QSignalSpy clicks(btCallBack, &iButton::Click);
    QSignalSpy finished(&w, &fmMain::passFinished);
    QTest::mouseClick(btCallBack, Qt::LeftButton); // a second restore changes nothing
    QCOMPARE(clicks.count(), 1);
    QVERIFY(!w.isPassRunning());
    QCOMPARE(finished.count(), 0);
    QCOMPARE(w.model()->outcome(0), outcome::restored());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), onDisk);
}

void TestFmMainFiles::renameOnEmptyListDoesNothing()
{
    auto* btCallBack = button(u"btCallBack"_s);
    QSignalSpy clicks(button(u"btReName"_s), &iButton::Click);
    clickControl(*m_window, u"btReName"_s);
    QCOMPARE(clicks.count(), 1); // the click reached the button
    QVERIFY(!m_window->isPassRunning());
    QVERIFY(btCallBack->isHidden());
    QVERIFY(!btCallBack->isEnabled() || btCallBack->isHidden());
    QVERIFY(m_window->isEnabled());
}

void TestFmMainFiles::passTakesNoInputAndCancels_data()
{
    QTest::addColumn<QString>("stop"); // how the held pass is stopped
    // clang-format off
    QTest::newRow("cancel button") << "button";
    QTest::newRow("Esc") << "esc";
    QTest::newRow("closing the window") << "close";
    // clang-format on
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
    openGatedWindow();
    fmMain& w = *m_window;
    auto* btReName = button(u"btReName"_s);
    auto* btListClear = button(u"btListClear"_s);
    auto* btSelectDelete = button(u"btSelectDelete"_s);
    auto* btCancel = button(u"btCancel"_s);
    auto* prefix = control<TextBox>(w, u"txtNewName1"_s);
    auto* progress = control<QLabel>(w, u"lbProgress"_s);
    m_services.filesToChoose = paths;
    clickControl(w, u"btOpenFiles"_s);
    const QStringList newNames = w.model()->newNames();
    QCOMPARE(newNames.mid(0, 3), (QStringList { u"1.txt"_s, u"2.txt"_s, u"3.txt"_s }));
    list()->selectRow(0);

    m_gate.holdAt = 3;
    QSignalSpy held(&m_gate, &StepGate::held);
    QSignalSpy finished(&w, &fmMain::passFinished);
    QTest::mouseClick(btReName, Qt::LeftButton);
    QVERIFY(held.wait());
    QVERIFY(w.isPassRunning());

    // Clicks, keys and typing, sent now and queued for later.
    QTest::mouseClick(btReName, Qt::LeftButton);
    QTest::keyClick(btReName, Qt::Key_Space);
    QTest::mouseClick(btListClear, Qt::LeftButton);
    QTest::mouseClick(btSelectDelete, Qt::LeftButton);
    QTest::keyClicks(prefix, u"zz"_s);
    QTest::keyClick(list(), Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Delete);
    QTest::keyClick(list(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(prefix, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(list(), Qt::Key_PageDown, Qt::ControlModifier);
    // A screen reader's press is input too.
    for (const QString& name : { u"btListClear"_s, u"btReplace"_s })
        QAccessible::queryAccessibleInterface(control(w, name))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
    for (QWidget* target : { static_cast<QWidget*>(btListClear), static_cast<QWidget*>(btSelectDelete) }) {
        const QPointF centre = QRectF(target->rect()).center();
        QCoreApplication::postEvent(target,
            new QMouseEvent(QEvent::MouseButtonPress, centre, target->mapToGlobal(centre), Qt::LeftButton,
                Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(target,
            new QMouseEvent(QEvent::MouseButtonRelease, centre, target->mapToGlobal(centre), Qt::LeftButton,
                Qt::NoButton, Qt::NoModifier));
    }
    QCoreApplication::postEvent(prefix, new QKeyEvent(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, u"q"_s));
    QInputMethodEvent commit;
    commit.setCommitString(u"青禾"_s);
    QCoreApplication::sendEvent(prefix, &commit);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(oldNames(), names);
    QCOMPARE(w.model()->newNames(), newNames);
    QCOMPARE(prefix->text(), QString());
    QCOMPARE(list()->selectedRow(), std::optional<int>(0));
    QVERIFY(control(w, u"planDIY"_s)->isVisible());

    // The pass goes on painting and shows its progress instead of the tip line.
    QTRY_VERIFY_WITH_TIMEOUT(btCancel->isVisible(), 3000);
    QVERIFY(progress->isVisible());
    QVERIFY(!tipLine()->isVisible());
    QVERIFY2(QRegularExpression(u"^正在更名 \\d+ / \\d+$"_s).match(progress->text()).hasMatch(),
        qPrintable(progress->text()));

    if (stop == u"button"_s)
        QTest::mouseClick(btCancel, Qt::LeftButton);
    else if (stop == u"esc"_s)
        QTest::keyClick(prefix, Qt::Key_Escape);
    else
        w.close();
    QVERIFY(w.isVisible()); // nothing closes before the pass has stopped
    m_gate.go.release();
    QVERIFY(finished.wait());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(w.isVisible(), stop != u"close"_s);
    QVERIFY(!w.isPassRunning());
    QVERIFY(!progress->isVisible());
    QCOMPARE(tipLine()->isVisible(), stop != u"close"_s);

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
    QVERIFY(button(u"btCallBack"_s)->isEnabled());

    m_gate.holdAt = -1;
    runPass(u"btCallBack"_s);
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
    // Wider than a tooltip may be, narrower than the test screen, and with no place to break between words.
    const QString longName = QString(30, u'长') + QString(30, u'm') + u".txt"_s;
    for (const QString& name : { u"a.txt"_s, u"b.txt"_s, longName, u"2.txt"_s })
        writeFile(dir.filePath(name), "x");
    fmMain& w = *m_window;
    RenameListView* view = list();
    QLabel* tip = tipLine();
    const QString designedTip = tip->text();
    m_services.filesToChoose = { dir.filePath(u"a.txt"_s), dir.filePath(u"b.txt"_s), dir.filePath(longName) };
    QSignalSpy checked(&w, &fmMain::newNamesChecked);
    clickControl(w, u"btOpenFiles"_s); // a→1, b→2 (held by 2.txt outside the list), long→3
    QVERIFY(checked.wait());

    auto toolTipAt = [&](int row, int column) {
        return view->toolTipAt(view->visualRect(w.model()->index(row, column)).center());
    };
    auto redPixels = [&](int row) {
        const QImage image
            = view->viewport()->grab(view->visualRect(w.model()->index(row, RenameList::NewNameColumn))).toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == QColor(192, 0, 0);
        return count;
    };
    const QString taken = u"文件夹中已有同名文件"_s;
    const QPoint red = view->visualRect(w.model()->index(1, RenameList::NewNameColumn)).center();
    QHelpEvent hover(QEvent::ToolTip, red, view->viewport()->mapToGlobal(red));
    QCoreApplication::sendEvent(view->viewport(), &hover);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), taken);
    QVERIFY(redPixels(1) > 0);
    QCOMPARE(redPixels(0), 0);
    QCOMPARE(toolTipAt(0, RenameList::NewNameColumn), QString());
    QCOMPARE(toolTipAt(0, RenameList::OldNameColumn), QString());
    QCOMPARE(toolTipAt(2, RenameList::OldNameColumn), longName); // cut by its column
    // Shown, the long name wraps instead of running off the screen.
    const QPoint cut = view->visualRect(w.model()->index(2, RenameList::OldNameColumn)).center();
    QHelpEvent hoverLong(QEvent::ToolTip, cut, view->viewport()->mapToGlobal(cut));
    QCoreApplication::sendEvent(view->viewport(), &hoverLong);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text().remove(u'\n'), longName);
    for (const QWidget* shown : QApplication::topLevelWidgets()) {
        if (shown->inherits("QTipLabel") && shown->isVisible())
            QVERIFY2(shown->width() <= 520, qPrintable(QString::number(shown->width())));
    }
    QCOMPARE(tip->text(), u"有 1 个文件无法更名：文件夹中已有同名文件"_s);
    QCOMPARE(tip->palette().color(QPalette::WindowText), QColor(192, 0, 0));

    checked.clear();
    runPass(u"btReName"_s);
    if (checked.isEmpty())
        QVERIFY(checked.wait());
    QCOMPARE(w.model()->outcome(1), outcome::failed());
    QCOMPARE(toolTipAt(1, RenameList::OutcomeColumn), taken);
    QCOMPARE(toolTipAt(0, RenameList::OutcomeColumn), QString());
    // The renamed rows are done, not failing; the tip line tells what the pass did.
    QCOMPARE(toolTipAt(0, RenameList::NewNameColumn), QString());
    QCOMPARE(redPixels(0), 0);
    QCOMPARE(toolTipAt(1, RenameList::NewNameColumn), taken);
    QCOMPARE(tip->text(), u"更名完成：成功 2 个，失败 1 个"_s);
    QCOMPARE(tip->palette().color(QPalette::WindowText), QColor(192, 0, 0));

    clickControl(w, u"btListClear"_s);
    QCOMPARE(tip->text(), designedTip);
    QCOMPARE(tip->palette().color(QPalette::WindowText), QColor(64, 64, 64));
}

void TestFmMainFiles::afterPass_data()
{
    // Files 1.txt..4.txt, each holding its own first name, are added in this order. Steps, split by " | ":
    //   start=N    types N as the start number (a change: the restore closes)
    //   hold=K     the next pass stops before its step K until `release` (cancelled there, K is not made)
    //   rename / restore / enter:NAME / space:NAME   start a pass by a click, or by a key on control NAME
    //   click:NAME a click on control NAME;  esc  Esc (cancels a pass);  release  lets a held pass go on
    //   close:yes / close:no   closes the window, the question answered 确定 / 取消;  destroy  deletes it
    //   wait=MS    lets the event loop run;  progress:shown / hidden / early (hidden while the pass is younger
    //              than 300 ms)
    //   tip:TEXT, focus:NAME, files:A=a,B=b..., outcomes:X,Y,...   what must hold at that point
    // $moved, $original, $renamed and $designed stand for the common checks.
    QTest::addColumn<QString>("script");
    // clang-format off
    // Settings changed after a pass, a second pass cancelled at once: 还原 has nothing of this restore
    // window to undo, and no file moves to a name it never had.
    QTest::newRow("change, rename, cancel at once, restore") << u"start=2 | rename | $moved | $renamed | $designed | start=3 | hold=0 | rename | esc | release | restore" " | $moved | $renamed | tip:已取消：已更名 0 个，还有 4 个未更名，按“开始更名”继续"_s;
    // Numbered from 5, the four moves are independent steps: cancelled after two, continued, restored.
    QTest::newRow("cancel, continue, restore in two parts") << u"start=5 | hold=2 | rename | esc | release | files:3.txt=3.txt,4.txt=4.txt,5.txt=1.txt,6.txt=2.txt" " | outcomes:成功,成功,, | tip:已取消：已更名 2 个，还有 2 个未更名，按“开始更名”继续 | rename" " | files:5.txt=1.txt,6.txt=2.txt,7.txt=3.txt,8.txt=4.txt | $renamed | $designed | hold=1 | restore | esc" " | release | tip:已取消：已还原 1 个，还有 3 个未还原，按“还原”继续 | restore | $original" " | outcomes:还原成功,还原成功,还原成功,还原成功 | $designed"_s;
    // A renumbering is one chain (4→5, 3→4, 2→3, 1→2), cut after its second move.
    QTest::newRow("renumbering cancelled inside its chain, restored") << u"start=2 | hold=2 | rename | esc | release | files:1.txt=1.txt,2.txt=2.txt,4.txt=3.txt,5.txt=4.txt" " | outcomes:,,成功,成功 | tip:已取消：已更名 2 个，还有 2 个未更名，按“开始更名”继续 | restore | $original" " | outcomes:,,还原成功,还原成功"_s;
    QTest::newRow("second rename after a full success changes nothing") << u"start=2 | rename | rename | $moved | $renamed | $designed | restore | $original"_s;
    // Pressed while the names of the last number typed are still being made: the pass renames to those.
    QTest::newRow("rename at once after two changes") << u"start=3 | start=2 | rename | $moved | $renamed"_s;
    QTest::newRow("focus after a click") << u"start=2 | rename | focus:btReName"_s;
    QTest::newRow("focus after Enter") << u"start=2 | enter:btReName | focus:btReName"_s;
    QTest::newRow("focus after Space, and after a restore") << u"start=2 | space:btReName | focus:btReName | space:btCallBack | focus:btCallBack | $original"_s;
    QTest::newRow("dropped clicks on 清空, 下移 and 上移") << u"start=2 | hold=0 | space:btReName | click:btListClear | click:btSelectDown | focus: | " u"click:btSelectUp | release | focus:btReName" " | $moved | $renamed"_s;
    QTest::newRow("emptied start number") << u"start= | tip:有 4 个文件无法更名：新文件名为空"_s;
    // Each edit of the start number is two changes (the old digit goes, the new one comes) made while the
    // check of the one before still runs: the marks that come in are those of the last.
    QTest::newRow("changes while a check runs") << u"start=2 | start= | tip:有 4 个文件无法更名：新文件名为空"_s;
    QTest::newRow("progress waits 300 ms, and goes with the pass") << u"start=5 | hold=0 | rename | wait=150 | progress:early | wait=400 | progress:shown | release | wait=600" " | progress:hidden | $renamed"_s;
    QTest::newRow("no progress after a short pass") << u"start=2 | rename | wait=600 | progress:hidden | $designed"_s;
    QTest::newRow("destroying the window cancels its pass") << u"start=5 | hold=1 | rename | destroy | files:2.txt=2.txt,3.txt=3.txt,4.txt=4.txt,5.txt=1.txt"_s;
    QTest::newRow("close asked, 取消") << u"start=5 | hold=1 | rename | close:no | release | files:5.txt=1.txt,6.txt=2.txt,7.txt=3.txt,8.txt=4.txt" " | $renamed"_s;
    QTest::newRow("close asked, 确定") << u"start=5 | hold=1 | rename | close:yes | release | files:2.txt=2.txt,3.txt=3.txt,4.txt=4.txt,5.txt=1.txt"_s;
    // clang-format on
}

// What a user can do after a pass: 还原 undoes exactly what was done, 开始更名 finishes a batch, the tip line
// says what happened, and a pass moves no focus.
void TestFmMainFiles::afterPass()
{
    QFETCH(QString, script);
    script.replace(u"$moved"_s, u"files:2.txt=1.txt,3.txt=2.txt,4.txt=3.txt,5.txt=4.txt"_s)
        .replace(u"$original"_s, u"files:1.txt=1.txt,2.txt=2.txt,3.txt=3.txt,4.txt=4.txt"_s)
        .replace(u"$renamed"_s, u"outcomes:成功,成功,成功,成功"_s)
        .replace(u"$designed"_s, u"tip:小提示：使用批量更名后，在文件列表改变之前，可以使用还原功能恢复原文件名"_s);
    const QStringList steps = script.split(u" | "_s);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QStringList paths;
    for (int i = 1; i <= 4; ++i) {
        paths << dir.filePath(u"%1.txt"_s.arg(i));
        writeFile(paths.last(), u"%1.txt"_s.arg(i).toUtf8());
    }
    openGatedWindow();
    fmMain& w = *m_window;
    m_services.filesToChoose = paths;
    clickControl(w, u"btOpenFiles"_s);
    list()->selectRow(1);
    QSignalSpy finished(&w, &fmMain::passFinished);
    QSignalSpy held(&m_gate, &StepGate::held);
    QElapsedTimer passAge;
    auto startPass = [&](const std::function<void()>& input) {
        passAge.start();
        finished.clear();
        held.clear();
        input();
        if (m_gate.holdAt.load() >= 0)
            QVERIFY(held.wait());
        else if (w.isPassRunning())
            QVERIFY(finished.wait());
    };
    for (const QString& step : steps) {
        const QString arg = step.section(u':', 1).section(u'=', 0);
        if (step.startsWith(u"start="_s)) {
            auto* start = control<TextBox>(w, u"txtNewName2"_s);
            start->setFocus();
            start->selectAll();
            QTest::keyClick(start, Qt::Key_Delete); // the field refuses Backspace as a typed character
            QTest::keyClicks(start, step.section(u'=', 1));
        } else if (step.startsWith(u"hold="_s)) {
            m_gate.holdAt = step.section(u'=', 1).toInt();
        } else if (step == u"rename"_s || step == u"restore"_s) {
            startPass([&] { clickControl(w, step == u"rename"_s ? u"btReName"_s : u"btCallBack"_s); });
        } else if (step.startsWith(u"enter:"_s) || step.startsWith(u"space:"_s)) {
            QWidget* target = control(w, arg);
            target->setFocus();
            startPass([&] { QTest::keyClick(target, step.startsWith(u"enter"_s) ? Qt::Key_Return : Qt::Key_Space); });
        } else if (step.startsWith(u"click:"_s)) {
            clickControl(w, arg);
        } else if (step == u"esc"_s) {
            QTest::keyClick(&w, Qt::Key_Escape);
        } else if (step == u"release"_s) {
            m_gate.holdAt = -1;
            m_gate.go.release();
            if (w.isPassRunning())
                QVERIFY(finished.wait());
        } else if (step.startsWith(u"close:"_s)) {
            m_services.answer = arg == u"yes"_s;
            w.close();
            QCOMPARE(m_services.questions.size(), 1);
            QVERIFY(w.isVisible()); // the pass runs on until it stops
        } else if (step == u"destroy"_s) {
            // The pass is held in its hook: let it go on shortly, while the window is being destroyed.
            std::thread release([this] {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                m_gate.holdAt = -1;
                m_gate.go.release();
            });
            m_window.reset();
            release.join();
        } else if (step.startsWith(u"wait="_s)) {
            QTest::qWait(step.section(u'=', 1).toInt());
        } else if (step.startsWith(u"progress:"_s)) {
            const bool shown = control(w, u"lbProgress"_s)->isVisible();
            QCOMPARE(control(w, u"btCancel"_s)->isVisible(), shown);
            QCOMPARE(tipLine()->isVisible(), !shown);
            if (arg == u"early"_s)
                QVERIFY2(!shown || passAge.elapsed() >= 300, "progress shown before 300 ms");
            else
                QCOMPARE(shown, arg == u"shown"_s);
        } else if (step.startsWith(u"tip:"_s)) {
            QTRY_COMPARE(tipLine()->text(), step.mid(4)); // the check may still be running
        } else if (step.startsWith(u"focus:"_s)) {
            QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), arg);
        } else if (step.startsWith(u"files:"_s)) {
            QStringList onDisk;
            for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
                QFile file(dir.filePath(name));
                QVERIFY(file.open(QIODevice::ReadOnly));
                onDisk << name + u'=' + QString::fromUtf8(file.readAll());
            }
            QCOMPARE(onDisk.join(u','), step.mid(6));
        } else if (step.startsWith(u"outcomes:"_s)) {
            QStringList outcomes;
            for (int row = 0; row < w.model()->count(); ++row)
                outcomes << w.model()->outcome(row);
            QCOMPARE(outcomes.join(u','), step.mid(9));
        } else {
            QFAIL(qPrintable(u"unknown step "_s + step));
        }
    }
    if (!m_window)
        return;
    QVERIFY(!w.isPassRunning());
    QCOMPARE(w.model()->count(), 4);
    QCOMPARE(w.isVisible(), !script.contains(u"close:yes"_s));
}

// The real open-file dialog refuses a file whose folder takes no writes, with a message over the dialog, which
// stays open for another choice; Qt's dialogs leave no settings file behind.
void TestFmMainFiles::fileDialogRefusesWhatCannotBeRenamed()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QVERIFY(
        QDir(dir.path()).mkpath(u"ro"_s) && QDir(dir.path()).mkpath(u"rw"_s) && QDir(dir.path()).mkpath(u"config"_s));
    writeFile(dir.filePath(u"ro/a.txt"_s), "a");
    writeFile(dir.filePath(u"rw/b.txt"_s), "b");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(u"config"_s)));
    QtPlatformServices services;
    // Run as root, no folder refuses writes: the test names the one that does.
    services.folderTakesRenames = [](const QString& folder) { return !folder.endsWith(u"/ro"_s); };
    QStringList warnings;
    bool stayedOpen = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            warnings << box->text();
            box->accept();
        });
        dialog->setDirectory(dir.filePath(u"ro"_s));
        dialog->selectFile(u"a.txt"_s);
        // The Open button: the message box is open until the timer above closes it.
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
        stayedOpen = dialog->isVisible();
        dialog->setDirectory(dir.filePath(u"rw"_s));
        dialog->selectFile(u"b.txt"_s);
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
    const QStringList chosen = services.chooseFiles(m_window.get(), u"请选择要更名的文件"_s, u"所有文件(*)"_s);
    QVERIFY(stayedOpen);
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings.at(0).startsWith(dir.filePath(u"ro/a.txt"_s)), qPrintable(warnings.at(0)));
    QCOMPARE(chosen, QStringList { dir.filePath(u"rw/b.txt"_s) });
    QCOMPARE(QDir(dir.filePath(u"config"_s)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

QTEST_MAIN(TestFmMainFiles)
#include "tst_fmmain_files.moc"
