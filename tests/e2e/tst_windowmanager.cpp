// End-to-end test: the frameless window under a real window manager (openbox): moving, minimising, closing.
#include <memory>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/clickablelabel.h"
#include "app/fmmain.h"
#include "app/renamelistview.h"
#include "fakeservices.h"
#include "gesturescript.h"
#include "widgets/ibutton/ibutton.h"
#include "xtestinput.h"

using namespace Qt::StringLiterals;

class TestWindowManager : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void listHasFocusWhenFirstShown();
    void dragMovesUntilRelease();
    void minimiseAndBringBack();
    void closeEndsTheProgram();

private:
    /// The root-window pixel of a point of a widget (the screen is not scaled here).
    QPoint rootPixel(const QWidget* widget, const QPoint& local) const { return widget->mapToGlobal(local); }
    bool clickAt(const QWidget* widget);
    /// Where the window manager has the window, read from the X server rather than from the toolkit.
    QPoint windowPlace() const;
    /// Presses on the bare background, drags by `by` over 0.8 s in small steps, releases, then moves the
    /// bare pointer on by `then`.
    void dragBackground(QPoint by, QPoint then);

    std::unique_ptr<XTestInput> m_input;
    QTemporaryDir m_scratch;
    QProcess m_windowManager;
    FakeServices m_services;
    std::unique_ptr<fmMain> m_window;
    QPoint m_placeAsked;
};

void TestWindowManager::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == u"xcb"_s,
        "this test drives the window through an X server; run it under Xvfb with QT_QPA_PLATFORM=xcb");
    QVERIFY2(m_scratch.isValid(), qPrintable(m_scratch.errorString()));
    m_input = std::make_unique<XTestInput>();
    QVERIFY2(m_input->isValid(), qPrintable(m_input->errorString()));
    QVERIFY2(m_input->windowManagerName().isEmpty(), "the display should be a private one with no manager yet");
    // openbox unless another manager is named, to try the same by hand under another one (icewm, fluxbox).
    const QString manager = qEnvironmentVariable("RENAMER_E2E_WM", u"openbox"_s);
    const QString program = QStandardPaths::findExecutable(manager);
    QVERIFY2(!program.isEmpty(), qPrintable(manager + u" is not installed (tools/prepare.sh installs openbox)"_s));
    m_windowManager.setProgram(program);
    // openbox names itself on the root window early in its start-up, while windows that appear before the
    // start-up ends are taken over without the focus; --startup runs a command once it has ended.
    const QString ready = m_scratch.filePath(u"ready"_s);
    if (manager == u"openbox"_s)
        m_windowManager.setArguments({ u"--sm-disable"_s, u"--startup"_s, u"touch "_s + ready });
    else
        QFile(ready).open(QIODevice::WriteOnly);
    m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_windowManager.start();
    QVERIFY2(m_windowManager.waitForStarted(kWaitMs), qPrintable(m_windowManager.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(!m_input->windowManagerName().isEmpty(), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ready), kWaitMs);
    qInfo() << "window manager:" << m_input->windowManagerName();
}

void TestWindowManager::cleanupTestCase()
{
    if (m_windowManager.state() != QProcess::NotRunning) {
        m_windowManager.terminate();
        if (!m_windowManager.waitForFinished(kWaitMs))
            m_windowManager.kill();
    }
}

void TestWindowManager::init()
{
    m_services = FakeServices();
    WindowOptions options;
    options.services = &m_services;
    options.checkForUpdates = false;
    m_window = std::make_unique<fmMain>(options);
    m_placeAsked = m_window->pos();
    m_window->show();
    // No activateWindow(): the window manager gives a new window the focus, as it would for a person.
    QVERIFY(QTest::qWaitForWindowActive(m_window.get(), kWaitMs));
}

void TestWindowManager::cleanup()
{
    if (m_input)
        m_input->releaseButton(); // a failed drag must not leave the button down for the next case
    m_window.reset();
}

bool TestWindowManager::clickAt(const QWidget* widget)
{
    const QPoint point = widget->rect().center();
    return m_input->moveTo(rootPixel(widget, point)) && m_input->pressButton() && m_input->releaseButton();
}

QPoint TestWindowManager::windowPlace() const
{
    return m_input->rootPosition(static_cast<std::uint32_t>(m_window->winId())).value_or(QPoint(-1, -1));
}

void TestWindowManager::listHasFocusWhenFirstShown()
{
    QCOMPARE(QApplication::focusWidget(), control(*m_window, u"ListReName"_s));
    // The window opens where it placed itself (centred): the manager keeps a program's own position.
    QCOMPARE(windowPlace(), m_placeAsked);
}

void TestWindowManager::dragBackground(QPoint by, QPoint then)
{
    // A point of the title band where only the background picture lies.
    const QPoint grip(200, 12);
    auto* background = control(*m_window, u"Image1"_s);
    QCOMPARE(m_window->childAt(grip), background);
    const QPoint start = rootPixel(background, grip);

    GestureScript script;
    script.onGiveUp = [this] { m_input->releaseButton(); };
    script.act([&] { return m_input->moveTo(start); }, u"move onto the background"_s);
    script.waitUntil([&] { return QCursor::pos() == start; }, u"the pointer is on the background"_s);
    script.act([&] { return m_input->pressButton(); }, u"press the left button"_s);
    // 16 steps of 50 ms, as a hand drags; the manager follows from the first move with the button down.
    constexpr int steps = 16;
    for (int i = 1; i <= steps; ++i) {
        const QPoint point = start + by * i / steps;
        script.act([&, point] { return m_input->moveTo(point); }, u"drag"_s);
        script.pause(50);
    }
    script.act([&] { return m_input->releaseButton(); }, u"release the left button"_s);
    script.pause(200);
    for (int i = 1; i <= steps; ++i) {
        const QPoint point = start + by + then * i / steps;
        script.act([&, point] { return m_input->moveTo(point); }, u"move the bare pointer"_s);
        script.pause(30);
    }
    script.start();
    QTRY_VERIFY_WITH_TIMEOUT(script.finished(), 6 * kWaitMs);
    QVERIFY2(script.failure().isEmpty(), qPrintable(script.failure()));
}

void TestWindowManager::dragMovesUntilRelease()
{
    const QPoint before = windowPlace();
    QCOMPARE(m_window->mapToGlobal(QPoint(0, 0)), before);
    // The move follows the pointer from its first step with the button down to the release.
    const QPoint drag(96, 48);
    const QPoint firstStep = drag / 16;
    dragBackground(drag, QPoint(200, 100));
    if (QTest::currentTestFailed())
        return;
    const QPoint moved = before + drag - firstStep;
    QTRY_COMPARE_WITH_TIMEOUT(windowPlace(), moved, kWaitMs);
    // The bare pointer went on by (200, 100): the window stayed where the release left it.
    QCOMPARE(windowPlace(), moved);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->mapToGlobal(QPoint(0, 0)), moved, kWaitMs);

    // A second drag moves from there by its own length, with no jump.
    dragBackground(QPoint(-64, -32), QPoint(-100, 150));
    if (QTest::currentTestFailed())
        return;
    const QPoint movedBack = moved + QPoint(-64, -32) - QPoint(-4, -2);
    QTRY_COMPARE_WITH_TIMEOUT(windowPlace(), movedBack, kWaitMs);
    QCOMPARE(windowPlace(), movedBack);
}

void TestWindowManager::minimiseAndBringBack()
{
    const QPoint before = windowPlace();
    QVERIFY(clickAt(control(*m_window, u"btMin"_s)));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->isMinimized(), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isActiveWindow(), kWaitMs);

    // A click on the taskbar entry: the manager maps the window again, in its place, with the focus.
    QVERIFY(m_input->activate(static_cast<std::uint32_t>(m_window->winId())));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isMinimized(), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->isActiveWindow(), kWaitMs);
    QCOMPARE(windowPlace(), before);
}

void TestWindowManager::closeEndsTheProgram()
{
    // The program itself, so that "ends" means its process exits.
    m_window.reset();
    QProcess program;
    program.setProgram(QStringLiteral(RENAMER_PROGRAM));
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start();
    QVERIFY2(program.waitForStarted(kWaitMs), qPrintable(program.errorString()));
    const auto ending = qScopeGuard([&] {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(kWaitMs);
        }
    });
    QList<std::uint32_t> windows;
    QTRY_VERIFY_WITH_TIMEOUT((windows = m_input->clientsTitled(u"青禾更名器"_s)).size() == 1, kWaitMs);
    const std::optional<QPoint> place = m_input->rootPosition(windows.first());
    QVERIFY(place);
    QVERIFY(m_input->moveTo(*place + QPoint(662, 8))); // the middle of 关闭, at (651, 0), 23 × 16 pixels
    QVERIFY(m_input->pressButton());
    QVERIFY(m_input->releaseButton());
    QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, kWaitMs);
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_MAIN(TestWindowManager)
#include "tst_windowmanager.moc"
