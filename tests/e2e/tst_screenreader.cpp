// End-to-end test: the real program read over AT-SPI, as a screen reader reads it, on a private D-Bus session.
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 20000;

/// Ends `process` if it still runs: politely first.
void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(kWaitMs)) {
        process.kill();
        process.waitForFinished(kWaitMs);
    }
}

} // namespace

class TestScreenReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void readsAndPressesTheWindow();

private:
    QString m_python;
    QProcess m_bus;
    QString m_busAddress;
    QTemporaryDir m_scratch;
};

void TestScreenReader::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "run this test under Xvfb (ctest runs it with xvfb-run)");
    QVERIFY2(m_scratch.isValid(), qPrintable(m_scratch.errorString()));

    // What the bridge needs: a message bus, the accessibility bus and registry it starts on demand, and the
    // Python bindings that play the screen reader. tools/prepare.sh installs all of them.
    QStringList missing;
    const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
    if (daemon.isEmpty())
        missing << u"dbus-daemon (package dbus-daemon)"_s;
    if (!QFile::exists(u"/usr/share/dbus-1/services/org.a11y.Bus.service"_s))
        missing << u"the AT-SPI bus and registry (package at-spi2-core)"_s;
    // Debian's own Python, where python3-pyatspi installs, even when another python3 comes first on PATH.
    m_python = QStandardPaths::findExecutable(u"python3"_s, { u"/usr/bin"_s });
    if (m_python.isEmpty())
        m_python = QStandardPaths::findExecutable(u"python3"_s);
    if (m_python.isEmpty() || QProcess::execute(m_python, { u"-c"_s, u"import pyatspi"_s }) != 0)
        missing << u"pyatspi for /usr/bin/python3 (package python3-pyatspi)"_s;
    if (!missing.isEmpty())
        QSKIP(qPrintable(u"not installed: "_s + missing.join(u", "_s) + u"; tools/prepare.sh installs them"_s));

    // A private session bus: the accessibility bus it starts, and everything on it, belong to this test.
    m_bus.setProgram(daemon);
    m_bus.setArguments({ u"--session"_s, u"--nofork"_s, u"--print-address=1"_s });
    m_bus.setProcessChannelMode(QProcess::SeparateChannels);
    m_bus.start();
    QVERIFY2(m_bus.waitForStarted(kWaitMs), qPrintable(m_bus.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine() || (m_bus.waitForReadyRead(100) && m_bus.canReadLine()), kWaitMs);
    m_busAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
    QVERIFY2(m_busAddress.contains(u':'), qPrintable(u"no bus address from dbus-daemon: "_s + m_busAddress));
}

void TestScreenReader::cleanupTestCase()
{
    // The accessibility bus launcher leaves with the session bus it was started by.
    stop(m_bus);
}

void TestScreenReader::readsAndPressesTheWindow()
{
    // a.txt is listed; its new name 1.txt is taken by a file outside the list, so that row cannot be renamed.
    QFile listed(m_scratch.filePath(u"a.txt"_s));
    QVERIFY(listed.open(QIODevice::WriteOnly));
    listed.close();
    QFile taken(m_scratch.filePath(u"1.txt"_s));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_busAddress);
    environment.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_scratch.path());
    environment.remove(u"NO_AT_BRIDGE"_s);

    QProcess program;
    program.setProgram(QStringLiteral(RENAMER_PROGRAM));
    program.setArguments({ listed.fileName() });
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start();
    QVERIFY2(program.waitForStarted(kWaitMs), qPrintable(program.errorString()));
    const auto ending = qScopeGuard([&] { stop(program); });

    QProcess reader;
    reader.setProgram(m_python);
    reader.setArguments({ QStringLiteral(RENAMER_SCREENREADER_SCRIPT), QString::number(program.processId()) });
    reader.setProcessEnvironment(environment);
    reader.setProcessChannelMode(QProcess::MergedChannels);
    reader.start();
    QVERIFY2(reader.waitForStarted(kWaitMs), qPrintable(reader.errorString()));
    const bool ended = reader.waitForFinished(8 * kWaitMs);
    const QString said = QString::fromUtf8(reader.readAll());
    stop(reader);
    qInfo().noquote() << said.trimmed();
    QVERIFY2(ended, "the screen reader script did not finish");
    QVERIFY2(reader.exitStatus() == QProcess::NormalExit && reader.exitCode() == 0, qPrintable(said));
    QCOMPARE(program.state(), QProcess::Running); // reading and pressing did not end the program
}

QTEST_GUILESS_MAIN(TestScreenReader)
#include "tst_screenreader.moc"
