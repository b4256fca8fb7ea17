// Tests of the window's update check against a real HTTP server on the loopback address.
#include <optional>

#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QRegion>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/clickablelabel.h"
#include "app/fmmain.h"
#include "app/textbox.h"
#include "fakeservices.h"
#include "rename/renamelist.h"
#include "testhttpserver.h"
#include "update/updatechecker.h"

using namespace Qt::StringLiterals;

namespace {

// The labels of one window that the update check fills, found by their design names.
struct UpdateLabels {
    explicit UpdateLabels(const fmMain& window)
        : lbNewVersion(control<ClickableLabel>(window, u"lbNewVersion"_s))
        , lbADR(control<ClickableLabel>(window, u"lbADR"_s))
        , lbSoftUrl(control<QLabel>(window, u"lbSoftUrl"_s))
        , lbADUR(control<QLabel>(window, u"lbADUR"_s))
    {
    }

    ClickableLabel* lbNewVersion; // the new-version link
    ClickableLabel* lbADR; // the credit link
    QLabel* lbSoftUrl; // hidden: the download address
    QLabel* lbADUR; // hidden: the credit address
};

} // namespace

class TestFmMainUpdate : public QObject {
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void unsafeAddressesOpenNothing();
    void blankLinkOpensNothing();
    void logoOpensHomePage();
    void noServerChangesNothing();
    void silentServerKeepsWindowWorking();
    void hostileServer_data();
    void hostileServer();

private:
    // timeoutMs: the check's time limit; none keeps the window's own.
    std::unique_ptr<fmMain> makeWindow(
        const QString& server, std::optional<int> timeoutMs = std::nullopt, bool checkForUpdates = true);
    FakeServices m_services;
};

std::unique_ptr<fmMain> TestFmMainUpdate::makeWindow(
    const QString& server, std::optional<int> timeoutMs, bool checkForUpdates)
{
    m_services = FakeServices();
    WindowOptions options;
    options.services = &m_services;
    options.addresses = UpdateDefaults::forServer(server, u"https://home.example.org/"_s);
    options.checkForUpdates = checkForUpdates;
    if (timeoutMs)
        options.updateTimeoutMs = *timeoutMs;
    auto window = std::make_unique<fmMain>(options);
    testWindowModel(*window);
    window->show();
    return window;
}

void TestFmMainUpdate::answers_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("newVersion"); // empty: the link stays hidden
    QTest::addColumn<QString>("softUrl");
    QTest::addColumn<QString>("credit");
    QTest::addColumn<QString>("creditUrl");

    // clang-format off
    const QString dl = u"http://dl.example.org/rename/rename.rar"_s;
    QTest::newRow("same version, blank switches") << QByteArray("1.0|http://x.example.org/a|||t|u") << "" << "http://x.example.org/a" << "By 青禾木舟" << "https://home.example.org/";
    QTest::newRow("new version, credit replaced") << QByteArray("1.1|http://x.example.org/a|1|1|t|https://u.example.org/") << "发现新版本1.1 点此下载" << "http://x.example.org/a" << "t" << "https://u.example.org/";
    QTest::newRow("older version still announced") << QByteArray("0.9|http://x.example.org/a") << "发现新版本0.9 点此下载" << "http://x.example.org/a" << "By 青禾木舟" << "";
    QTest::newRow("spaces around 1.0") << QByteArray(" 1.0 |http://x.example.org/a") << "" << "http://x.example.org/a" << "By 青禾木舟" << "";
    QTest::newRow("1.00 is another text") << QByteArray("1.00|x") << "发现新版本1.00 点此下载" << "x" << "By 青禾木舟" << "";
    QTest::newRow("error page takes defaults") << QByteArray("<html><body>404</body></html>") << "" << dl << "By 青禾木舟" << "https://home.example.org/";
    // clang-format on
}

void TestFmMainUpdate::answers()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, newVersion);
    QFETCH(QString, softUrl);
    QFETCH(QString, credit);
    QFETCH(QString, creditUrl);

    TestHttpServer server;
    server.responder = TestHttpServer::answer("200 OK", body);
    QVERIFY(server.isListening());
    const QString address = server.base();
    auto window = makeWindow(address);
    const UpdateLabels labels(*window);
    const QString defaultDownload = address + u"/rename/rename.rar"_s;
    if (softUrl == u"http://dl.example.org/rename/rename.rar"_s)
        softUrl = defaultDownload;

    QTRY_COMPARE(labels.lbSoftUrl->text(), softUrl);
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(labels.lbADR->text(), credit);
    QCOMPARE(labels.lbADUR->text(), creditUrl);
    QCOMPARE(labels.lbNewVersion->text(), newVersion);
    QCOMPARE(labels.lbNewVersion->isVisible(), !newVersion.isEmpty());
    if (!newVersion.isEmpty()) {
        QCOMPARE(labels.lbNewVersion->palette().color(QPalette::WindowText), QColor(192, 0, 0));
        QVERIFY(labels.lbNewVersion->font().underline());
    }
    QTest::qWait(100);
    QCOMPARE(server.requests.size(), 1); // once per start
}

void TestFmMainUpdate::unsafeAddressesOpenNothing()
{
    TestHttpServer server;
    server.responder = TestHttpServer::answer("200 OK", "2.0|file:///etc/passwd|1|1|点我|/usr/bin/xterm");
    QVERIFY(server.isListening());
    auto window = makeWindow(server.base());
    const UpdateLabels labels(*window);
    QTRY_VERIFY(labels.lbNewVersion->isVisible());
    QTest::mouseClick(labels.lbNewVersion, Qt::LeftButton);
    QTest::mouseClick(labels.lbADR, Qt::LeftButton);
    QVERIFY(m_services.opened.isEmpty());

    server.responder
        = TestHttpServer::answer("200 OK", "2.0|https://dl.example.org/new.rar|1|1|点我|http://credit.example.org/");
    auto second = makeWindow(server.base());
    const UpdateLabels secondLabels(*second);
    QTRY_COMPARE(secondLabels.lbADUR->text(), u"http://credit.example.org/"_s);
    QTest::mouseClick(secondLabels.lbNewVersion, Qt::LeftButton);
    QTest::mouseClick(secondLabels.lbADR, Qt::LeftButton);
    QCOMPARE(m_services.opened,
        (QList<QUrl> { QUrl(u"https://dl.example.org/new.rar"_s), QUrl(u"http://credit.example.org/"_s) }));
}

void TestFmMainUpdate::blankLinkOpensNothing()
{
    auto window = makeWindow(QString());
    const UpdateLabels labels(*window);
    QSignalSpy linkClicks(labels.lbNewVersion, &ClickableLabel::clicked);
    QSignalSpy creditClicks(labels.lbADR, &ClickableLabel::clicked);
    labels.lbSoftUrl->setText(u"https://dl.example.org/"_s);
    QTest::mouseClick(labels.lbNewVersion, Qt::LeftButton);
    labels.lbNewVersion->setText(u"   "_s);
    QTest::mouseClick(labels.lbNewVersion, Qt::LeftButton);
    QTest::mouseClick(labels.lbADR, Qt::LeftButton); // lbADUR still empty
    QCOMPARE(linkClicks.count(), 2); // the clicks reached the links
    QCOMPARE(creditClicks.count(), 1);
    QVERIFY(m_services.opened.isEmpty());
}

void TestFmMainUpdate::logoOpensHomePage()
{
    auto window = makeWindow(QString());
    clickControl(*window, u"picLogo"_s);
    QCOMPARE(m_services.opened, QList<QUrl> { QUrl(u"https://home.example.org/"_s) });
}

void TestFmMainUpdate::noServerChangesNothing()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString address = u"http://127.0.0.1:%1"_s.arg(closed.serverPort());
    closed.close(); // nobody listens there any more
    auto window = makeWindow(address, 2000);
    const UpdateLabels labels(*window);
    QTRY_VERIFY(!control<QTimer>(*window, u"Timer1"_s)->isActive());
    QTest::qWait(300);
    QVERIFY(labels.lbSoftUrl->text().isEmpty());
    QVERIFY(labels.lbADUR->text().isEmpty());
    QCOMPARE(labels.lbADR->text(), u"By 青禾木舟"_s);
    QVERIFY(labels.lbNewVersion->text().isEmpty());
}

void TestFmMainUpdate::silentServerKeepsWindowWorking()
{
    TestHttpServer server; // silent: it never answers
    QVERIFY(server.isListening());
    auto window = makeWindow(server.base(), 400);
    const UpdateLabels labels(*window);
    auto* prefix = control<TextBox>(*window, u"txtNewName1"_s);
    QTRY_COMPARE(server.requests.size(), 1);
    // While the server says nothing, the window goes on working.
    window->model()->append(u"a.txt"_s, u"/tmp/"_s);
    prefix->setFocus();
    QTest::keyClicks(prefix, u"x"_s);
    QCOMPARE(window->model()->newName(0), u"x1.txt"_s);
    QElapsedTimer waited;
    waited.start();
    QTest::qWait(700); // past the check's time limit
    QVERIFY(labels.lbSoftUrl->text().isEmpty());
    QCOMPARE(labels.lbADR->text(), u"By 青禾木舟"_s);
    QVERIFY(labels.lbNewVersion->text().isEmpty());

    // Closed while a check waits for the server: the window goes at once and the connection with it.
    auto waiting = makeWindow(server.base());
    QTRY_COMPARE(server.requests.size(), 2);
    QElapsedTimer closing;
    closing.start();
    waiting.reset();
    const qint64 closedMs = closing.elapsed();
    qInfo("closing the window during a check took %lld ms", closedMs);
    QVERIFY2(closedMs < 200, QByteArray::number(closedMs).constData());
    QTRY_COMPARE(server.closedByPeer, 2);
}

namespace {

// The opening and reading of files in one folder, as the kernel reports them.
class OpenWatch {
public:
    explicit OpenWatch(const QString& folder)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd >= 0)
            inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN | IN_ACCESS);
    }
    ~OpenWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isValid() const { return m_fd >= 0; }
    bool anything() const
    {
        char events[4096];
        return ::read(m_fd, events, sizeof events) > 0;
    }

private:
    int m_fd;
};

qint64 cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

int threadCount()
{
    return int(QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

QString nestedTables(int levels)
{
    return u"<table><tr><td>"_s.repeated(levels) + u"x"_s + u"</td></tr></table>"_s.repeated(levels);
}

} // namespace

void TestFmMainUpdate::hostileServer_data()
{
    // A version file (raw empty), or raw bytes followed by the filler without end, every everyMs or at once.
    // "%FIFO%" and "%FILE%" stand for a fifo and a file in a temporary folder that must never be opened.
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("filler");
    QTest::addColumn<int>("everyMs");
    // Expected labels; "…" in a text stands for whatever part of it was cut to fit the label.
    QTest::addColumn<QString>("newVersion");
    QTest::addColumn<QString>("softUrl");
    QTest::addColumn<QString>("credit");
    QTest::addColumn<QString>("creditUrl");
    QTest::addColumn<int>("endsAfterMs"); // the check ends no sooner (0: as soon as the answer is read)

    // clang-format off
    const QByteArray images = "<img src=\"%FIFO%\"><img src=\"file://%FILE%\">";
    const QString credit = u"By 青禾木舟"_s;
    const QString home = u"https://home.example.org/"_s;
    const QString link = u"发现新版本1.1 点此下载"_s;
    const QByteArray none;

    QTest::newRow("rich text in the version") << "<b>9</b>|" + images + "|1|1|t|u" << none << none << 0 << QString() << u"%DEFAULT%"_s << credit << home << 0;
    QTest::newRow("rich text in the download address") << "1.1|" + images + "|1|1|t|u" << none << none << 0 << link << QString::fromUtf8(images) << u"t"_s << u"u"_s << 0;
    QTest::newRow("rich text in the switches") << "1.1|x|<b>1</b>|<i></i>|t|u"_ba << none << none << 0 << link << u"x"_s << u"t"_s << u"u"_s << 0;
    QTest::newRow("rich text in the credit text") << "1.1|x|1|1|<b>" + images + nestedTables(20).toUtf8() + "|u" << none << none << 0 << link << u"x"_s << u"<b><img src=\"%FIFO%\"><img…"_s << u"u"_s << 0;
    QTest::newRow("rich text in the credit address") << "1.1|x|1|1|t|<a href=\"file:///\">" + images << none << none << 0 << link << u"x"_s << u"t"_s << u"<a href=\"file:///\">"_s + QString::fromUtf8(images) << 0;
    QTest::newRow("60000 characters of credit text") << "1.1|x|1|1|" + QByteArray(60000, 'w') + "|u" << none << none << 0 << link << u"x"_s << u"www…"_s << u"u"_s << 0;
    QTest::newRow("version of 3000 digits") << "1." + QByteArray(3000, '7') + "|x" << none << none << 0 << u"发现新版本1.7…7 点此下载"_s << u"x"_s << credit << QString() << 0;
    QTest::newRow("endless status line") << QByteArray() << "HTTP/1.1 200 "_ba << "a"_ba << 0 << QString() << QString() << credit << QString() << 0;
    QTest::newRow("endless header line") << QByteArray() << "HTTP/1.1 200 OK\r\nX-Note: "_ba << "a"_ba << 0 << QString() << QString() << credit << QString() << 0;
    QTest::newRow("endless chunk-size line") << QByteArray() << "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1;"_ba << "a"_ba << 0 << QString() << QString() << credit << QString() << 0;
    // Too slow for the byte cap: only the window's own time limit, 10 s, ends it.
    QTest::newRow("headers trickling without end") << QByteArray() << "HTTP/1.1 200 OK\r\n"_ba << "X-Note: a\r\n"_ba << 50 << QString() << QString() << credit << QString() << 10'000;
    // clang-format on
}

void TestFmMainUpdate::hostileServer()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, filler);
    QFETCH(int, everyMs);
    QFETCH(QString, newVersion);
    QFETCH(QString, softUrl);
    QFETCH(QString, credit);
    QFETCH(QString, creditUrl);
    QFETCH(int, endsAfterMs);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString fifo = dir.filePath(u"pipe"_s);
    const QString file = dir.filePath(u"secret.txt"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile secret(file);
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("secret");
    secret.close();
    OpenWatch opens(dir.path());
    QVERIFY(opens.isValid());
    const auto place
        = [&](QByteArray bytes) { return bytes.replace("%FIFO%", fifo.toUtf8()).replace("%FILE%", file.toUtf8()); };
    softUrl.replace(u"%FIFO%"_s, fifo).replace(u"%FILE%"_s, file);
    credit.replace(u"%FIFO%"_s, fifo).replace(u"%FILE%"_s, file);
    creditUrl.replace(u"%FIFO%"_s, fifo).replace(u"%FILE%"_s, file);

    TestHttpServer server;
    if (raw.isEmpty())
        server.responder = TestHttpServer::answer("200 OK", place(body));
    else if (everyMs > 0)
        server.responder = TestHttpServer::trickle(raw, filler, everyMs);
    else
        server.responder = TestHttpServer::flood(raw, filler);
    QVERIFY(server.isListening());
    softUrl.replace(u"%DEFAULT%"_s, server.base() + u"/rename/rename.rar"_s);

    auto reference = makeWindow(server.base(), std::nullopt, false);
    const UpdateLabels referenceLabels(*reference);
    QTest::qWait(20);
    const int threadsBefore = threadCount(); // with what any window of ours starts
    QElapsedTimer clock;
    clock.start();
    auto window = makeWindow(server.base()); // the window's own time limit
    const UpdateLabels windowLabels(*window);
    // Server texts are plain texts: checked before any arrives, as rich text could block the window for good.
    for (QLabel* label : std::initializer_list<QLabel*> {
             windowLabels.lbNewVersion, windowLabels.lbADR, windowLabels.lbSoftUrl, windowLabels.lbADUR })
        QCOMPARE(label->textFormat(), Qt::PlainText);
    // The window's event loop keeps turning: the longest pause between two ticks is measured.
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestPause = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { longestPause = std::max(longestPause, sinceTick.restart()); });
    ticker.start(10);

    QTRY_VERIFY(window->findChild<UpdateChecker*>());
    auto* checker = window->findChild<UpdateChecker*>();
    QCOMPARE(checker->timeLimit(), std::chrono::milliseconds(10'000));
    QVERIFY(QTest::qWaitFor([&] { return !checker->isRunning(); }, 15'000));
    const qint64 endedMs = clock.elapsed();
    QVERIFY2(endedMs >= endsAfterMs - 100 && endedMs < endsAfterMs + 3000, QByteArray::number(endedMs).constData());
    if (!raw.isEmpty())
        QTRY_COMPARE(server.closedByPeer, 1); // the connection is really closed
    QTest::qWait(50);
    QVERIFY2(longestPause < 500, QByteArray::number(longestPause).constData());

    // Afterwards no thread of the check is left, and the program is quiet.
    QTRY_COMPARE(threadCount(), threadsBefore);
    const qint64 cpuBefore = cpuMs();
    QTest::qWait(500);
    const qint64 cpuQuiet = cpuMs() - cpuBefore;
    QVERIFY2(cpuQuiet < 150, QByteArray::number(cpuQuiet).constData());

    // Server texts are cut to their places; the hidden holders keep them whole.
    const auto matches = [](const QString& shown, const QString& expected) {
        const qsizetype cut = expected.indexOf(QChar(0x2026));
        if (cut < 0)
            return shown == expected;
        return shown.contains(QChar(0x2026)) && shown.startsWith(expected.left(cut))
            && shown.endsWith(expected.mid(cut + 1));
    };
    QVERIFY2(matches(windowLabels.lbNewVersion->text(), newVersion), qPrintable(windowLabels.lbNewVersion->text()));
    if (raw.isEmpty())
        QCOMPARE(windowLabels.lbNewVersion->isVisible(), !newVersion.isEmpty());
    QCOMPARE(windowLabels.lbSoftUrl->text(), softUrl);
    QVERIFY2(matches(windowLabels.lbADR->text(), credit), qPrintable(windowLabels.lbADR->text().left(200)));
    QCOMPARE(windowLabels.lbADUR->text(), creditUrl);

    // The labels stay in their places: the new-version link in its own, the credit link on its line
    // between the window's left text margin and its right edge; nothing else of the window changes.
    QCOMPARE(windowLabels.lbNewVersion->geometry(), referenceLabels.lbNewVersion->geometry());
    const QRect creditLine(16, referenceLabels.lbADR->y(), referenceLabels.lbADR->geometry().right() + 1 - 16,
        referenceLabels.lbADR->height());
    QVERIFY2(
        creditLine.contains(windowLabels.lbADR->geometry()), qPrintable(QString::number(windowLabels.lbADR->width())));
    const QImage shown = window->grab().toImage();
    const QImage expected = reference->grab().toImage();
    QCOMPARE(shown.size(), expected.size());
    const QRegion labels = QRegion(referenceLabels.lbNewVersion->geometry()) + creditLine;
    int changed = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (!labels.contains(QPoint(x, y)) && shown.pixel(x, y) != expected.pixel(x, y))
                ++changed;
    QCOMPARE(changed, 0);

    // Nothing the server named was opened or read.
    QVERIFY(!opens.anything());
    QTest::mouseClick(windowLabels.lbADR, Qt::LeftButton);
    QTest::mouseClick(windowLabels.lbNewVersion, Qt::LeftButton);
    for (const QUrl& opened : m_services.opened)
        QVERIFY2(opened.scheme().startsWith(u"http"_s), qPrintable(opened.toString()));
}

QTEST_MAIN(TestFmMainUpdate)
#include "tst_fmmain_update.moc"
