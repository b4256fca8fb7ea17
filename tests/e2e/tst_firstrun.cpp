// End-to-end test: a first batch in the real window under X, from picking a folder to restoring the old names.
#include <functional>
#include <memory>
#include <optional>

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/fmmain.h"
#include "app/renamelistview.h"
#include "app/textbox.h"
#include "fakeservices.h"
#include "gesturescript.h"
#include "rename/renamelist.h"
#include "rename/renamerow.h"
#include "widgets/ibutton/ibutton.h"
#include "xtestinput.h"

using namespace Qt::StringLiterals;

namespace {

constexpr std::uint32_t kKeysymDigit2 = 0x32;

QByteArray contentOf(const QString& name)
{
    return "the file first called " + name.toUtf8() + '\n';
}

QString numbered(int position)
{
    return u"青禾%1.txt"_s.arg(position, 2, 10, QLatin1Char('0'));
}

} // namespace

class TestFirstRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void batchFromFolderToRestore_data();
    void batchFromFolderToRestore();

private:
    /// The root-window pixel of a point of a widget, as the X server counts it.
    QPoint rootPixel(const QWidget* widget, const QPoint& local) const;
    /// Moves the pointer to the widget's centre, then clicks the left button there.
    bool clickAt(const QWidget* widget);
    RenameListView* list() const { return control<RenameListView>(*m_window, u"ListReName"_s); }
    QPoint rowCentre(int row) const;
    QStringList filesOnDisk() const;
    QList<int> iconNumbers() const;
    QStringList column(int column) const;
    void dragRow(int from, int onto);

    std::unique_ptr<XTestInput> m_input;
    std::unique_ptr<QTemporaryDir> m_dir;
    FakeServices m_services;
    std::unique_ptr<fmMain> m_window;
};

void TestFirstRun::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == u"xcb"_s,
        "this test drives the window through an X server; run it under Xvfb with QT_QPA_PLATFORM=xcb");
    m_input = std::make_unique<XTestInput>();
    QVERIFY2(m_input->isValid(), qPrintable(m_input->errorString()));
}

void TestFirstRun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY2(m_dir->isValid(), qPrintable(m_dir->errorString()));
    for (const QString& name : { u"a.txt"_s, u"b.txt"_s, u"c.txt"_s, u"d.txt"_s, u"e.txt"_s }) {
        QFile file(m_dir->filePath(name));
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.fileName()));
        QCOMPARE(file.write(contentOf(name)), contentOf(name).size());
    }

    m_services = FakeServices();
    m_services.folderToChoose = m_dir->path();
    WindowOptions options;
    options.services = &m_services;
    options.checkForUpdates = false;
    m_window = std::make_unique<fmMain>(options);
    m_window->show();
    m_window->activateWindow(); // Xvfb has no window manager to do it when the window appears
    QVERIFY(QTest::qWaitForWindowActive(m_window.get(), kWaitMs));
}

void TestFirstRun::cleanup()
{
    if (m_input)
        m_input->releaseButton(); // a failed drag must not leave the button down for the next case
    m_window.reset();
    m_dir.reset();
}

QPoint TestFirstRun::rootPixel(const QWidget* widget, const QPoint& local) const
{
    const QPoint global = widget->mapToGlobal(local);
    const QScreen* screen = widget->screen();
    const QPoint origin = screen->geometry().topLeft();
    const qreal ratio = screen->devicePixelRatio();
    return origin + QPoint(qRound((global.x() - origin.x()) * ratio), qRound((global.y() - origin.y()) * ratio));
}

bool TestFirstRun::clickAt(const QWidget* widget)
{
    const QPoint point = widget->rect().center();
    if (!m_input->moveTo(rootPixel(widget, point)))
        return false;
    // The toolkit reads the pointer back from the server: this catches a wrong screen-to-pixel mapping.
    if (QCursor::pos() != widget->mapToGlobal(point)) {
        qWarning() << "the pointer went to" << QCursor::pos() << "instead of" << widget->mapToGlobal(point);
        return false;
    }
    return m_input->pressButton() && m_input->releaseButton();
}

QPoint TestFirstRun::rowCentre(int row) const
{
    return list()->visualRect(m_window->model()->index(row, 0)).center();
}

QStringList TestFirstRun::filesOnDisk() const
{
    return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QList<int> TestFirstRun::iconNumbers() const
{
    QList<int> numbers;
    const RenameList& list = *m_window->model();
    for (int row = 0; row < list.rowCount(); ++row)
        numbers << list.index(row, RenameList::OldNameColumn).data(RenameList::IconRole).toInt();
    return numbers;
}

QStringList TestFirstRun::column(int column) const
{
    QStringList texts;
    const RenameList& list = *m_window->model();
    for (int row = 0; row < list.rowCount(); ++row)
        texts << list.index(row, column).data(Qt::DisplayRole).toString();
    return texts;
}

// Presses the left button on row `from`, moves the pointer past the drag distance and on to row `onto`,
// waits there until the row turns red, and lets go; every step goes through the X server.
void TestFirstRun::dragRow(int from, int onto)
{
    RenameListView* view = list();
    QWidget* viewport = view->viewport();
    QObject listening; // ends the connections below with this function, however it returns
    bool dragStarted = false;
    connect(view, &RenameListView::OLEStartDrag, &listening, [&] { dragStarted = true; });

    const QPoint start = rowCentre(from);
    const QPoint end = rowCentre(onto);
    const int direction = end.y() < start.y() ? -1 : 1;
    const int threshold = QApplication::startDragDistance();

    GestureScript script;
    script.onGiveUp = [this] { m_input->releaseButton(); };
    script.act([&] { return m_input->moveTo(rootPixel(viewport, start)); }, u"move onto the row to drag"_s);
    script.waitUntil([&] { return QCursor::pos() == viewport->mapToGlobal(start); }, u"the pointer is on the row"_s);
    script.act([&] { return m_input->pressButton(); }, u"press the left button"_s);
    script.waitUntil([&] { return view->selectedRow() == from; }, u"the pressed row is selected"_s);
    // Small steps, as a hand moves: the view starts the drag once the pointer has gone the drag distance.
    for (int offset = 3; offset <= threshold + 6; offset += 3) {
        const QPoint point = start + QPoint(0, direction * offset);
        script.act([&, point] { return m_input->moveTo(rootPixel(viewport, point)); }, u"move with the button down"_s);
    }
    script.waitUntil([&] { return dragStarted; }, u"the list starts a drag"_s);
    const int steps = 8;
    for (int i = 1; i <= steps; ++i) {
        const QPoint point
            = start + QPoint(0, direction * (threshold + 6)) * (steps - i) / steps + (end - start) * i / steps;
        script.act([&, point] { return m_input->moveTo(rootPixel(viewport, point)); }, u"drag towards the target"_s);
    }
    script.waitUntil([&] { return list()->isDropMarked(onto); }, u"the target row turns red"_s);
    script.act([&] { return m_input->releaseButton(); }, u"release the left button"_s);

    int drops = 0;
    connect(view, &RenameListView::OLEDragDrop, &listening, [&] { ++drops; });
    QSignalSpy ends(view, &RenameListView::OLECompleteDrag);
    script.start();
    // The drag's own event loop runs inside this wait, driven by the script's timer.
    QTRY_VERIFY_WITH_TIMEOUT(script.finished(), 6 * kWaitMs);
    QVERIFY2(script.failure().isEmpty(), qPrintable(script.failure()));
    QTRY_VERIFY_WITH_TIMEOUT(ends.count() >= 1, kWaitMs); // the drag has returned from its event loop
    QCOMPARE(drops, 1);
}

void TestFirstRun::batchFromFolderToRestore_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("onto");
    QTest::addColumn<QString>("order"); // first letters of the old names after the drop
    QTest::addColumn<int>("selected");

    // clang-format off
    QTest::newRow("third row dragged up onto the first") << 2 << 0 << u"cabde"_s << 0;
    QTest::newRow("second row dragged down onto the fourth") << 1 << 3 << u"acdbe"_s << 3;
    // clang-format on
}

void TestFirstRun::batchFromFolderToRestore()
{
    QFETCH(int, from);
    QFETCH(int, onto);
    QFETCH(QString, order);
    QFETCH(int, selected);
    fmMain& w = *m_window;
    auto* btCallBack = control<iButton>(w, u"btCallBack"_s);
    auto* prefix = control<TextBox>(w, u"txtNewName1"_s);
    auto* digits = control<TextBox>(w, u"txtNewNameF"_s);
    const QStringList original { u"a.txt"_s, u"b.txt"_s, u"c.txt"_s, u"d.txt"_s, u"e.txt"_s };
    QStringList expectedOrder;
    for (QChar letter : order)
        expectedOrder << letter + u".txt"_s;

    // Step one: the folder picker (answered by the fake) fills the list with the folder's files.
    QVERIFY(clickAt(control(w, u"btOpenFolder"_s)));
    QTRY_COMPARE_WITH_TIMEOUT(column(RenameList::OldNameColumn), original, kWaitMs);
    QCOMPARE(m_services.dialogTitles, QStringList { u"请选择改名文件所在目录："_s });
    QCOMPARE(column(RenameList::NewNameColumn),
        (QStringList { u"1.txt"_s, u"2.txt"_s, u"3.txt"_s, u"4.txt"_s, u"5.txt"_s }));
    QCOMPARE(iconNumbers(), (QList<int> { 1, 1, 1, 1, 1 }));
    QCOMPARE(w.model()->folder(0), m_dir->path() + u'/');

    // Step two: 青禾 comes from an input method into the prefix field, the digit count from the keyboard.
    QVERIFY(clickAt(prefix));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(prefix), kWaitMs);
    QInputMethodEvent composing(u"qinghe"_s, {});
    QApplication::sendEvent(QGuiApplication::focusObject(), &composing);
    QInputMethodEvent commit;
    commit.setCommitString(u"青禾"_s);
    QApplication::sendEvent(QGuiApplication::focusObject(), &commit);
    QCOMPARE(prefix->text(), u"青禾"_s);
    QCOMPARE(column(RenameList::NewNameColumn).first(), u"青禾1.txt"_s);

    QVERIFY(clickAt(digits));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(digits), kWaitMs);
    QVERIFY(m_input->typeKey(kKeysymDigit2));
    QTRY_COMPARE_WITH_TIMEOUT(digits->text(), u"2"_s, kWaitMs);
    const QStringList numberedNames { numbered(1), numbered(2), numbered(3), numbered(4), numbered(5) };
    QCOMPARE(column(RenameList::NewNameColumn), numberedNames);
    QCOMPARE(column(RenameList::OldNameColumn), original);
    QCOMPARE(m_services.warnings.size(), 0);
    QCOMPARE(m_services.beeps, 0);

    // Step four: a real drag with the mouse reorders the rows; the numbering follows the new order.
    dragRow(from, onto);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(column(RenameList::OldNameColumn), expectedOrder);
    QCOMPARE(list()->selectedRow(), std::optional<int>(selected));
    QCOMPARE(column(RenameList::NewNameColumn), numberedNames);
    QCOMPARE(iconNumbers(), (QList<int> { 1, 1, 1, 1, 1 })); // the moved row carries its icon along
    for (int row = 0; row < w.model()->rowCount(); ++row)
        QVERIFY2(!list()->isDropMarked(row), "no row stays red after the drop");
    QCOMPARE(filesOnDisk(), original); // nothing on disk has changed yet
    QVERIFY(btCallBack->isVisible());
    QVERIFY(!btCallBack->isEnabled());

    // The rename: each file takes the name of its row, its content goes with it.
    QVERIFY(clickAt(control(w, u"btReName"_s)));
    QTRY_COMPARE_WITH_TIMEOUT(column(RenameList::OutcomeColumn), QStringList(5, outcome::succeeded()), kWaitMs);
    QCOMPARE(iconNumbers(), QList<int>(5, int(RowIcon::Renamed)));
    QCOMPARE(filesOnDisk(), numberedNames);
    for (int row = 0; row < 5; ++row) {
        QFile file(m_dir->filePath(numbered(row + 1)));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QCOMPARE(file.readAll(), contentOf(expectedOrder.at(row)));
    }
    QCOMPARE(column(RenameList::OldNameColumn), expectedOrder); // the rows still show the old names
    QTRY_VERIFY_WITH_TIMEOUT(btCallBack->isEnabled(), kWaitMs);
    QVERIFY(w.isEnabled());

    // The restore: every file has its old name and content back.
    QVERIFY(clickAt(btCallBack));
    QTRY_COMPARE_WITH_TIMEOUT(column(RenameList::OutcomeColumn), QStringList(5, outcome::restored()), kWaitMs);
    QCOMPARE(iconNumbers(), QList<int>(5, int(RowIcon::Restored)));
    QCOMPARE(filesOnDisk(), original);
    for (const QString& name : original) {
        QFile file(m_dir->filePath(name));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QCOMPARE(file.readAll(), contentOf(name));
    }
    QVERIFY(btCallBack->isEnabled());
    QVERIFY(w.isEnabled());
    QCOMPARE(m_services.warnings.size(), 0);
}

QTEST_MAIN(TestFirstRun)
#include "tst_firstrun.moc"
