// Tests of the update check over real HTTP and HTTPS against small servers on loopback addresses.
#include <algorithm>
#include <cctype>
#include <functional>
#include <future>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "testhttpserver.h"
#include "update/httpfetch.h"
#include "update/updatechecker.h"
#include "update/weblink.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// The certificate of "update.test" (valid 2000-2999) and its key, for an HTTPS test server.
static QSslConfiguration testTls()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    QFile certificate(QStringLiteral(UPDATE_TEST_DATA "/update-test.crt"));
    QFile key(QStringLiteral(UPDATE_TEST_DATA "/update-test.key"));
    if (!certificate.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
        return {};
    tls.setLocalCertificate(QSslCertificate(certificate.readAll()));
    tls.setPrivateKey(QSslKey(key.readAll(), QSsl::Ec));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

// A TCP port that never answers: its queue of one is taken by a connection nobody accepts, so the system
// drops every further SYN without a reset, as for a host behind a dead route.
class SilentPort {
public:
    SilentPort(const QHostAddress& address, quint16 port)
    {
        sockaddr_storage name {};
        socklen_t length = 0;
        if (address.protocol() == QAbstractSocket::IPv6Protocol) {
            auto& v6 = reinterpret_cast<sockaddr_in6&>(name);
            v6.sin6_family = AF_INET6;
            v6.sin6_port = htons(port);
            inet_pton(AF_INET6, qPrintable(address.toString()), &v6.sin6_addr);
            length = sizeof v6;
        } else {
            auto& v4 = reinterpret_cast<sockaddr_in&>(name);
            v4.sin_family = AF_INET;
            v4.sin_port = htons(port);
            inet_pton(AF_INET, qPrintable(address.toString()), &v4.sin_addr);
            length = sizeof v4;
        }
        const auto* at = reinterpret_cast<const sockaddr*>(&name);
        m_listener = ::socket(name.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(m_listener, at, length) != 0 || ::listen(m_listener, 0) != 0
            || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&name), &length) != 0)
            return;
        m_filler = ::socket(name.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(m_filler, at, length) != 0)
            return;
        this->port = ntohs(reinterpret_cast<const sockaddr_in&>(name).sin_port); // same place in both families
        // Proven silent: a connection still waits after 100 ms.
        const int probe = ::socket(name.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        pollfd wait { probe, POLLOUT, 0 };
        m_silent = ::connect(probe, at, length) != 0 && errno == EINPROGRESS && ::poll(&wait, 1, 100) == 0;
        ::close(probe);
    }
    ~SilentPort()
    {
        for (int fd : { m_filler, m_listener })
            if (fd >= 0)
                ::close(fd);
    }
    SilentPort(const SilentPort&) = delete;
    SilentPort& operator=(const SilentPort&) = delete;

    bool isSilent() const { return m_silent; }
    quint16 port = 0;

private:
    int m_listener = -1;
    int m_filler = -1;
    bool m_silent = false;
};

static UpdateDefaults defaults(const TestHttpServer& server, const QString& path = QString())
{
    return UpdateDefaults::forServer(server.base() + path, u"http://home.test/"_s);
}

// An answer whose end is told by closing the connection.
static TestHttpServer::Responder answerUntilClose(const QByteArray& body)
{
    return TestHttpServer::sendAndClose("HTTP/1.0 200 OK\r\n\r\n" + body);
}

static TestHttpServer::Responder answerChunked(const QByteArray& body)
{
    QByteArray bytes = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
    // Small chunks for a short answer; for a long one, chunks whose framing stays within the allowance.
    const qsizetype piece = body.size() < 1024 ? 7 : 4096;
    for (qsizetype at = 0; at < body.size(); at += piece) {
        const QByteArray chunk = body.mid(at, piece);
        bytes += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
    }
    return TestHttpServer::sendAndClose(bytes + "0\r\n\r\n");
}

// Streams `total` bytes (negative: without end) as fast as the client takes them, keeping little queued.
static TestHttpServer::Responder stream(qint64 total, bool announceLength)
{
    QByteArray head = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
    if (announceLength)
        head += "Content-Length: " + QByteArray::number(total) + "\r\n";
    return TestHttpServer::flood(head + "\r\n", "a", total);
}

// Sends 16 bytes every 50 ms, without end.
static TestHttpServer::Responder trickle()
{
    return TestHttpServer::trickle(
        "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n1.1|x|1|1|t|u|", QByteArray(16, 'a'), 50);
}

static QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.isValid() ? QByteArray(encoder.encode(text)) : QByteArray();
}

// Runs one check against `server` and waits for its answer.
struct CheckRun {
    std::unique_ptr<UpdateChecker> checker = std::make_unique<UpdateChecker>();
    QSignalSpy completed { checker.get(), &UpdateChecker::completed };
    QSignalSpy notCompleted { checker.get(), &UpdateChecker::notCompleted };
    qint64 elapsedMs = -1;

    bool run(const UpdateDefaults& defaults, std::chrono::milliseconds limit = UpdateChecker::DefaultTimeLimit)
    {
        checker->setTimeLimit(limit);
        QElapsedTimer clock;
        clock.start();
        checker->start(defaults);
        const bool answered = completed.count() + notCompleted.count() > 0
            || QTest::qWaitFor([this] { return completed.count() + notCompleted.count() > 0; }, 20'000);
        elapsedMs = clock.elapsed();
        QTest::qWait(50); // a second signal, if any, would come now
        return answered;
    }
    VersionInfo info() const { return completed.at(0).at(0).value<VersionInfo>(); }
};

// Runs one fetch on a thread of its own while this thread serves the test servers; stops it after
// `stopAfterMs` when that is not negative.
struct FetchRun {
    httpfetch::Result result;
    qint64 elapsedMs = -1;

    bool run(const httpfetch::Request& request, int stopAfterMs = -1)
    {
        httpfetch::Stop stop;
        QElapsedTimer clock;
        clock.start();
        auto fetched = std::async(std::launch::async, [&] { return httpfetch::fetch(request, stop); });
        const bool ended = QTest::qWaitFor(
            [&] {
                if (stopAfterMs >= 0 && clock.elapsed() >= stopAfterMs)
                    stop.stop();
                return fetched.wait_for(0s) == std::future_status::ready;
            },
            20'000);
        elapsedMs = clock.elapsed();
        stop.stop();
        result = fetched.get();
        return ended;
    }
};

static httpfetch::Request fetchRequest(const QByteArray& url, const QList<QByteArray>& addresses, int limitMs = 10'000)
{
    httpfetch::Request request;
    request.url = url;
    request.addresses = addresses;
    request.limits.time = std::chrono::milliseconds(limitMs);
    request.caFile = UPDATE_TEST_DATA "/update-test.crt";
    return request;
}

class TestUpdateChecker : public QObject {
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void framing_data();
    void framing();
    void request_data();
    void request();
    void noServer();
    void serverNeverAnswers();
    void tooLong_data();
    void tooLong();
    void slowEndlessStream();
    void cutShort_data();
    void cutShort();
    void unsafeAddresses();
    void redirect_data();
    void redirect();
    void redirectTarget_data();
    void redirectTarget();
    void httpsRedirect_data();
    void httpsRedirect();
    void addressFallback_data();
    void addressFallback();
    void localSocket_data();
    void localSocket();
    void baseThatIsNotWeb_data();
    void baseThatIsNotWeb();
    void windowKeepsWorking();
    void secondStartWhileRunning();
    void destroyedWhileRunning_data();
    void destroyedWhileRunning();
    void manyChecksLeaveNothing();
    void checksDoNotWaitForEachOther();
};

static const QString keeps = u"<keeps>"_s;

static QString shown(const std::optional<QString>& label)
{
    return label ? *label : keeps;
}

void TestUpdateChecker::answers_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("softUrl");
    QTest::addColumn<QString>("creditText");
    QTest::addColumn<QString>("creditUrl");
    QTest::addColumn<QString>("caption");

    // clang-format off
    const QByteArray ok = "200 OK";
    const QString credit = u"By 青禾木舟"_s;
    const QString home = u"http://home.test/"_s;

    QTest::newRow("same version, switches blank") << ok << "1.0|x|||t|u"_ba << u"x"_s << credit << home << QString();
    QTest::newRow("new version, switches set") << ok << "1.1|x|1|1|t|u"_ba << u"x"_s << u"t"_s << u"u"_s << u"发现新版本1.1 点此下载"_s;
    QTest::newRow("older version") << ok << "0.9|x"_ba << u"x"_s << keeps << keeps << u"发现新版本0.9 点此下载"_s;
    QTest::newRow("own version in spaces") << ok << " 1.0 |x"_ba << u"x"_s << keeps << keeps << QString();
    QTest::newRow("1.00") << ok << "1.00|x"_ba << u"x"_s << keeps << keeps << u"发现新版本1.00 点此下载"_s;
    QTest::newRow("empty file") << ok << QByteArray() << u"/rename/rename.rar"_s << credit << home << QString();
    QTest::newRow("html error page") << "404 Not Found"_ba << "<!DOCTYPE html><html><body><h1>Not Found</h1></body></html>"_ba << u"/rename/rename.rar"_s << credit << home << QString();
    QTest::newRow("status 500 with a version file") << "500 Internal Server Error"_ba << "1.1|x|1|1|t|u"_ba << u"x"_s << u"t"_s << u"u"_s << u"发现新版本1.1 点此下载"_s;
    QTest::newRow("status 407 with a version file") << "407 Proxy Authentication Required"_ba << "1.0|x"_ba << u"x"_s << keeps << keeps << QString();
    QTest::newRow("status 503 with a version file") << "503 Service Unavailable"_ba << "1.0|x"_ba << u"x"_s << keeps << keeps << QString();
    QTest::newRow("gbk credit text") << ok << "1.0|x|1|1|"_ba + gbk(u"青禾木舟 新作"_s) + "|u"_ba << u"x"_s << u"青禾木舟 新作"_s << u"u"_s << QString();
    // 億 is 0x83 0x7C in GBK: its second byte is "|", so the text must be decoded before it is split.
    QTest::newRow("gbk byte that looks like a bar") << ok << "1.0|x|1|1|"_ba + gbk(u"億萬"_s) + "|u"_ba << u"x"_s << u"億萬"_s << u"u"_s << QString();
    // clang-format on
}

void TestUpdateChecker::answers()
{
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, softUrl);
    QFETCH(QString, creditText);
    QFETCH(QString, creditUrl);
    QFETCH(QString, caption);

    TestHttpServer server;
    QVERIFY(server.isListening());
    server.responder = TestHttpServer::answer(status, body);
    if (softUrl.startsWith(u'/'))
        softUrl.prepend(server.base()); // the default download address lies on the server asked

    CheckRun check;
    QVERIFY(check.run(defaults(server)));
    QCOMPARE(check.notCompleted.count(), 0);
    QCOMPARE(check.completed.count(), 1);
    const VersionInfo info = check.info();
    QCOMPARE(shown(info.softUrl), softUrl);
    QCOMPARE(shown(info.creditText), creditText);
    QCOMPARE(shown(info.creditUrl), creditUrl);
    QCOMPARE(info.showNewVersion, !caption.isEmpty());
    QCOMPARE(info.newVersionCaption, caption);
}

void TestUpdateChecker::framing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("received"); // head and body together, padded with a header; 0: not padded
    QTest::addColumn<bool>("completes");

    // clang-format off
    for (const QString& how : { u"length"_s, u"close"_s, u"chunked"_s }) {
        QTest::addRow("%s, short", qPrintable(how)) << how << 40 << 0 << true;
        QTest::addRow("%s, exactly 64 KiB", qPrintable(how)) << how << 64 * 1024 << 0 << true;
        QTest::addRow("%s, one byte over 64 KiB", qPrintable(how)) << how << 64 * 1024 + 1 << 0 << false;
    }
    QTest::newRow("length, exactly 80 KiB received") << u"length"_s << 60'000 << 80 * 1024 << true;
    QTest::newRow("length, one byte over 80 KiB received") << u"length"_s << 60'000 << 80 * 1024 + 1 << false;
    // clang-format on
}

void TestUpdateChecker::framing()
{
    QFETCH(QString, how);
    QFETCH(int, size);
    QFETCH(int, received);
    QFETCH(bool, completes);

    // A version file padded with ignored fields to the size wanted.
    QByteArray body = "2.5|http://dl.test/r.rar|1|1|t|u|";
    body += QByteArray(size - body.size(), 'p');
    QCOMPARE(body.size(), size);
    QByteArray padding;
    if (received > 0) {
        padding = "X-Padding: \r\n";
        padding.insert(11, QByteArray(received - TestHttpServer::answerBytes("200 OK", body, padding).size(), 'p'));
        QCOMPARE(TestHttpServer::answerBytes("200 OK", body, padding).size(), received);
    }

    TestHttpServer server;
    QVERIFY(server.isListening());
    server.responder = how == u"length"_s ? TestHttpServer::answer("200 OK", body, padding)
        : how == u"close"_s               ? answerUntilClose(body)
                                          : answerChunked(body);
    CheckRun check;
    QVERIFY(check.run(defaults(server)));
    QCOMPARE(check.completed.count(), completes ? 1 : 0);
    QCOMPARE(check.notCompleted.count(), completes ? 0 : 1);
    if (completes) {
        QCOMPARE(check.info().newVersionCaption, u"发现新版本2.5 点此下载"_s);
        QCOMPARE(check.info().softUrl, u"http://dl.test/r.rar"_s);
    }
}

void TestUpdateChecker::request_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("requestLine");

    // clang-format off
    QTest::newRow("server root") << QString() << "GET /rename/v.txt HTTP/1.1"_ba;
    QTest::newRow("root with slash") << u"/"_s << "GET /rename/v.txt HTTP/1.1"_ba;
    QTest::newRow("server sub folder") << u"/mirror/"_s << "GET /mirror/rename/v.txt HTTP/1.1"_ba;
    // clang-format on
}

void TestUpdateChecker::request()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, requestLine);

    TestHttpServer server;
    QVERIFY(server.isListening());
    server.responder = TestHttpServer::answer("200 OK", "1.0|x");
    CheckRun check;
    QVERIFY(check.run(defaults(server, path)));
    QCOMPARE(check.completed.count(), 1);

    QCOMPARE(server.requests.size(), 1);
    const QList<QByteArray> lines = server.requests.at(0).split('\n');
    QCOMPARE(lines.at(0).trimmed(), requestLine);
    QList<QByteArray> headers;
    for (const QByteArray& line : lines.mid(1))
        headers << line.trimmed().toLower();
    QVERIFY2(headers.contains("if-modified-since: 0"), server.requests.at(0).constData());
    QVERIFY2(headers.contains("cache-control: no-cache"), server.requests.at(0).constData());
    QVERIFY2(headers.contains("host: " + server.base().mid(7).toLatin1()), server.requests.at(0).constData());
}

void TestUpdateChecker::noServer()
{
    quint16 port = 0;
    {
        QTcpServer probe; // find a port nobody listens on
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    CheckRun check;
    QVERIFY(check.run(UpdateDefaults::forServer(u"http://127.0.0.1:%1"_s.arg(port), u"http://home.test/"_s)));
    QCOMPARE(check.completed.count(), 0);
    QCOMPARE(check.notCompleted.count(), 1);
}

void TestUpdateChecker::serverNeverAnswers()
{
    TestHttpServer server;
    QVERIFY(server.isListening());
    CheckRun check;
    QVERIFY(check.run(defaults(server), 400ms));
    QCOMPARE(check.completed.count(), 0);
    QCOMPARE(check.notCompleted.count(), 1);
    QCOMPARE(server.requests.size(), 1);
    QVERIFY2(check.elapsedMs >= 380 && check.elapsedMs < 3000, QByteArray::number(check.elapsedMs).constData());
    QTRY_COMPARE(server.closedByPeer, 1); // the connection is given up, not left open
}

void TestUpdateChecker::tooLong_data()
{
    QTest::addColumn<qint64>("total");
    QTest::addColumn<bool>("announceLength");

    // clang-format off
    QTest::newRow("10 MB with its length") << qint64(10'000'000) << true;
    QTest::newRow("10 MB until close") << qint64(10'000'000) << false;
    QTest::newRow("endless fast stream") << qint64(-1) << false;
    // clang-format on
}

void TestUpdateChecker::tooLong()
{
    QFETCH(qint64, total);
    QFETCH(bool, announceLength);

    TestHttpServer server;
    QVERIFY(server.isListening());
    server.responder = stream(total, announceLength);
    CheckRun check; // with the full time limit: the size alone must end it
    QVERIFY(check.run(defaults(server)));
    QCOMPARE(check.completed.count(), 0);
    QCOMPARE(check.notCompleted.count(), 1);
    QVERIFY2(check.elapsedMs < 3000, QByteArray::number(check.elapsedMs).constData());
    QTRY_COMPARE(server.closedByPeer, 1);
    qInfo("sent before the client cut off: %lld bytes in %lld ms", server.bytesSent, check.elapsedMs);
    if (total > 0)
        QVERIFY2(server.bytesSent < total, QByteArray::number(server.bytesSent).constData());
}

void TestUpdateChecker::slowEndlessStream()
{
    TestHttpServer server;
    QVERIFY(server.isListening());
    server.responder = trickle();
    CheckRun check;
    QVERIFY(check.run(defaults(server), 600ms));
    QCOMPARE(check.completed.count(), 0);
    QCOMPARE(check.notCompleted.count(), 1);
    QVERIFY2(check.elapsedMs >= 580 && check.elapsedMs < 3000, QByteArray::number(check.elapsedMs).constData());
    QTRY_COMPARE(server.closedByPeer, 1);
}

void TestUpdateChecker::cutShort_data()
{
    QTest::addColumn<QByteArray>("bytes"); // all the server sends before it closes

    // clang-format off
    QTest::newRow("body cut short") << "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n1.1|x|1|1|t|u"_ba;
    QTest::newRow("head cut short in a header") << "HTTP/1.1 200 OK\r\nContent-Le"_ba;
    QTest::newRow("head without its empty line") << "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n"_ba;
    // clang-format on
}

void TestUpdateChecker::cutShort()
{
    QFETCH(QByteArray, bytes);

    TestHttpServer server;
    QVERIFY(server.isListening());
    server.responder = TestHttpServer::sendAndClose(bytes);
    CheckRun check;
    QVERIFY(check.run(defaults(server)));
    QCOMPARE(check.completed.count(), 0);
    QCOMPARE(check.notCompleted.count(), 1);
}

void TestUpdateChecker::unsafeAddresses()
{
    TestHttpServer server;
    QVERIFY(server.isListening());
    server.responder = TestHttpServer::answer("200 OK", "1.1|file:///etc/passwd|1|1|t|C:\\Windows\\System32\\calc.exe");
    CheckRun check;
    QVERIFY(check.run(defaults(server)));
    QCOMPARE(check.completed.count(), 1);
    const VersionInfo info = check.info();
    // The labels hold what the server sent, but neither address is one the window will open.
    QCOMPARE(info.softUrl, u"file:///etc/passwd"_s);
    QCOMPARE(info.creditUrl, u"C:\\Windows\\System32\\calc.exe"_s);
    QVERIFY(!weblink::isWebAddress(*info.softUrl));
    QVERIFY(!weblink::isWebAddress(*info.creditUrl));
}

void TestUpdateChecker::redirect_data()
{
    QTest::addColumn<QString>("location"); // "%1": the test server's base address, "%2": a local version file
    QTest::addColumn<bool>("completes");

    // clang-format off
    QTest::newRow("to another path of the server") << u"%1/moved/v.txt"_s << true;
    QTest::newRow("to a local version file") << u"%2"_s << false;
    QTest::newRow("to a server that is not there") << u"http://127.0.0.1:1/v.txt"_s << false;
    // /hop/N/ redirects to /hop/N-1/, and /hop/1/ to /moved/: 1 + N redirects in all.
    QTest::newRow("10 redirects, the most followed") << u"%1/hop/9/v.txt"_s << true;
    QTest::newRow("11 redirects") << u"%1/hop/10/v.txt"_s << false;
    // clang-format on
}

void TestUpdateChecker::redirect()
{
    QFETCH(QString, location);
    QFETCH(bool, completes);

    // A local file that would be read as a new version if the redirect were followed there.
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QFile local(dir.filePath(u"v.txt"_s));
    QVERIFY(local.open(QIODevice::WriteOnly));
    local.write("9.9|local|1|1|t|u");
    local.close();

    TestHttpServer server;
    QVERIFY(server.isListening());
    const QByteArray target = QString(location)
                                  .replace(u"%1"_s, server.base())
                                  .replace(u"%2"_s, QUrl::fromLocalFile(local.fileName()).toString())
                                  .toUtf8();
    server.responder = [&server, target](QTcpSocket* socket) {
        const QByteArray& request = server.requests.last();
        if (request.startsWith("GET /moved/")) {
            TestHttpServer::answer("200 OK", "1.3|moved|1|1|t|u")(socket);
        } else if (request.startsWith("GET /hop/")) {
            const int hop = request.split('/').at(2).toInt();
            const QByteArray next = hop > 1 ? "/hop/" + QByteArray::number(hop - 1) + "/v.txt" : "/moved/v.txt";
            TestHttpServer::answer("302 Found", "see elsewhere", "Location: " + next + "\r\n")(socket);
        } else {
            TestHttpServer::answer("302 Found", "see elsewhere", "Location: " + target + "\r\n")(socket);
        }
    };
    CheckRun check;
    QVERIFY(check.run(defaults(server), 3s));
    QCOMPARE(check.completed.count(), completes ? 1 : 0);
    QCOMPARE(check.notCompleted.count(), completes ? 0 : 1);
    // The last address asked is the version file only when every redirect was followed.
    QCOMPARE(server.requests.last().startsWith("GET /moved/"), completes);
    if (completes)
        QCOMPARE(check.info().softUrl, u"moved"_s);
}

// Where a redirect leads, as the fetch reads it: the address judged is the address fetched.
void TestUpdateChecker::redirectTarget_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("location");
    QTest::addColumn<QByteArray>("target"); // empty: not followed

    // clang-format off
    const QByteArray http = "http://a.test/r/v.txt";
    const QByteArray https = "https://a.test/r/v.txt";
    QTest::newRow("http to http") << http << "http://b.test/v.txt"_ba << "http://b.test/v.txt"_ba;
    QTest::newRow("http to https") << http << "https://b.test/v.txt"_ba << "https://b.test/v.txt"_ba;
    QTest::newRow("https to https") << https << "https://b.test/v.txt"_ba << "https://b.test/v.txt"_ba;
    QTest::newRow("https down to http") << https << "http://a.test/v.txt"_ba << QByteArray();
    QTest::newRow("https down to HTTP") << "HTTPS://a.test/v.txt"_ba << "HTTP://a.test/v.txt"_ba << QByteArray();
    QTest::newRow("HTTPS in capitals") << https << "HTTPS://b.test/v.txt"_ba << "https://b.test/v.txt"_ba;
    QTest::newRow("http to ftp") << http << "ftp://a.test/v.txt"_ba << QByteArray();
    QTest::newRow("http to a local file") << http << "file:///etc/passwd"_ba << QByteArray();
    QTest::newRow("https:PORT/path") << https << "https:18081/ok/v.txt"_ba << QByteArray();
    QTest::newRow("https:PORT/path from http") << http << "https:18081/ok/v.txt"_ba << QByteArray();
    QTest::newRow("https:/host") << https << "https:/b.test/v.txt"_ba << "https://b.test/v.txt"_ba;
    QTest::newRow("without a scheme") << https << "//b.test/v.txt"_ba << "https://b.test/v.txt"_ba;
    QTest::newRow("without a scheme, from http") << http << "//b.test/v.txt"_ba << "http://b.test/v.txt"_ba;
    QTest::newRow("backslashes") << https << "https:\\\\b.test\\v.txt"_ba << QByteArray();
    QTest::newRow("path that starts with :80") << https << ":80/v.txt"_ba << "https://a.test/r/:80/v.txt"_ba;
    QTest::newRow("absolute path") << https << "/moved/v.txt"_ba << "https://a.test/moved/v.txt"_ba;
    QTest::newRow("relative path") << https << "../v2.txt"_ba << "https://a.test/v2.txt"_ba;
    QTest::newRow("space in the path") << https << "/a b.txt"_ba << "https://a.test/a%20b.txt"_ba;
    QTest::newRow("port out of range") << https << "https://b.test:99999/v.txt"_ba << QByteArray();
    QTest::newRow("empty") << https << QByteArray() << QByteArray();
    // clang-format on
}

void TestUpdateChecker::redirectTarget()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, location);
    QFETCH(QByteArray, target);
    QCOMPARE(httpfetch::redirectTarget(from, location), target);
}

void TestUpdateChecker::httpsRedirect_data()
{
    QTest::addColumn<QByteArray>("location"); // "%1": the port of a plain server that the name "https" reaches
    QTest::addColumn<bool>("completes");

    // clang-format off
    QTest::newRow("to another path over https") << "/moved/v.txt"_ba << true;
    // Read by some parsers as the scheme https, by others as the host "https" over plain http.
    QTest::newRow("to https:PORT/path") << "https:%1/ok/rename/v.txt"_ba << false;
    QTest::newRow("down to http") << "http://https:%1/ok/rename/v.txt"_ba << false;
    // clang-format on
}

// Redirects from an https address, through a loopback server with a certificate this fetch trusts.
void TestUpdateChecker::httpsRedirect()
{
    QFETCH(QByteArray, location);
    QFETCH(bool, completes);

    const QSslConfiguration tls = testTls();
    QVERIFY(!tls.isNull());
    TestHttpServer secure(QHostAddress::LocalHost, 0, tls);
    TestHttpServer plain;
    QVERIFY(secure.isListening() && plain.isListening());
    const QByteArray plainPort = QByteArray::number(plain.port());
    const QByteArray target = QByteArray(location).replace("%1", plainPort);
    secure.responder = [&secure, target](QTcpSocket* socket) {
        if (secure.requests.last().startsWith("GET /moved/"))
            TestHttpServer::answer("200 OK", "1.3|moved|1|1|t|u")(socket);
        else
            TestHttpServer::answer("302 Found", "see elsewhere", "Location: " + target + "\r\n")(socket);
    };
    plain.responder = TestHttpServer::answer("200 OK", "9.9|plain|1|1|t|u");

    const QByteArray securePort = QByteArray::number(secure.port());
    FetchRun fetch;
    QVERIFY(fetch.run(fetchRequest("https://update.test:" + securePort + "/rename/v.txt",
        { "update.test:" + securePort + ":127.0.0.1", "https:" + plainPort + ":127.0.0.1" })));
    QCOMPARE(fetch.result.outcome, completes ? httpfetch::Outcome::Completed : httpfetch::Outcome::Failed);
    QCOMPARE(fetch.result.body, completes ? "1.3|moved|1|1|t|u"_ba : QByteArray());
    QCOMPARE(plain.requests.size(), 0); // nothing ever went out unencrypted
}

void TestUpdateChecker::addressFallback_data()
{
    QTest::addColumn<QString>("silent"); // the name's first address, which does not answer a connection
    QTest::addColumn<QString>("serving"); // the address that follows it, with a server; empty: none
    QTest::addColumn<int>("wakeAfterMs"); // when a server takes the silent address over; negative: never
    QTest::addColumn<int>("limitMs");
    QTest::addColumn<int>("stopAfterMs"); // negative: not stopped
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("fromMs");
    QTest::addColumn<int>("toMs");

    // clang-format off
    const int completed = int(httpfetch::Outcome::Completed);
    QTest::newRow("IPv6 loopback silent, then IPv4") << u"::1"_s << u"127.0.0.1"_s << -1 << 10'000 << -1 << completed << 0 << 2000;
    QTest::newRow("127.0.0.1 silent, then 127.0.0.2") << u"127.0.0.1"_s << u"127.0.0.2"_s << -1 << 10'000 << -1 << completed << 0 << 2000;
    // The system sends its second SYN after about a second, which a server taking over then answers.
    QTest::newRow("one address, slow to answer") << u"127.0.0.1"_s << QString() << 400 << 10'000 << -1 << completed << 400 << 4000;
    QTest::newRow("one address, silent") << u"127.0.0.1"_s << QString() << -1 << 1000 << -1 << int(httpfetch::Outcome::TimedOut) << 980 << 3000;
    QTest::newRow("one address, silent, stopped") << u"127.0.0.1"_s << QString() << -1 << 10'000 << 300 << int(httpfetch::Outcome::Cancelled) << 280 << 800;
    // clang-format on
}

// A host name whose first address does not answer: the fetch goes on to the next one in time.
void TestUpdateChecker::addressFallback()
{
    QFETCH(QString, silent);
    QFETCH(QString, serving);
    QFETCH(int, wakeAfterMs);
    QFETCH(int, limitMs);
    QFETCH(int, stopAfterMs);
    QFETCH(int, outcome);
    QFETCH(int, fromMs);
    QFETCH(int, toMs);

    // All on one port: a name lists addresses, not ports.
    std::unique_ptr<SilentPort> quiet;
    std::unique_ptr<TestHttpServer> server;
    for (int attempt = 0; attempt < 20 && !(server && server->isListening()); ++attempt) {
        quiet = std::make_unique<SilentPort>(QHostAddress(silent), 0);
        if (!quiet->isSilent() && QHostAddress(silent).protocol() == QAbstractSocket::IPv6Protocol)
            QSKIP("this machine has no IPv6 loopback address");
        QVERIFY(quiet->isSilent());
        server
            = std::make_unique<TestHttpServer>(QHostAddress(serving.isEmpty() ? u"127.0.0.2"_s : serving), quiet->port);
    }
    QVERIFY(server->isListening());
    const quint16 port = quiet->port;
    const TestHttpServer::Responder versionFile = TestHttpServer::answer("200 OK", "1.1|fallback|1|1|t|u");
    server->responder = versionFile;
    if (wakeAfterMs >= 0) {
        QTimer::singleShot(wakeAfterMs, this, [&] {
            quiet.reset();
            server = std::make_unique<TestHttpServer>(QHostAddress(silent), port);
            server->responder = versionFile;
        });
    }
    QByteArray addresses = "fallback.test:" + QByteArray::number(port) + ":";
    if (QHostAddress(silent).protocol() == QAbstractSocket::IPv6Protocol)
        addresses += "[" + silent.toLatin1() + "]";
    else
        addresses += silent.toLatin1();
    if (!serving.isEmpty())
        addresses += "," + serving.toLatin1();

    FetchRun fetch;
    QVERIFY(fetch.run(
        fetchRequest("http://fallback.test:" + QByteArray::number(port) + "/rename/v.txt", { addresses }, limitMs),
        stopAfterMs));
    QCOMPARE(int(fetch.result.outcome), outcome);
    QVERIFY2(fetch.elapsedMs >= fromMs && fetch.elapsedMs < toMs, QByteArray::number(fetch.elapsedMs).constData());
    if (outcome == int(httpfetch::Outcome::Completed)) {
        QCOMPARE(fetch.result.body, "1.1|fallback|1|1|t|u"_ba);
        QCOMPARE(server->requests.size(), 1);
        QVERIFY(server->isListening());
    }
}

void TestUpdateChecker::localSocket_data()
{
    QTest::addColumn<bool>("intruder"); // another process connects to the relay's socket before libcurl
    QTest::addColumn<bool>("squatter"); // another process holds the names the relay's socket would get next

    // clang-format off
    QTest::newRow("another process connects first") << true << false;
    QTest::newRow("the next names are taken") << false << true;
    // clang-format on
}

// libcurl reaches the server through a local socket of the fetch's own; other local processes can neither
// take its place nor keep it from being made.
void TestUpdateChecker::localSocket()
{
    QFETCH(bool, intruder);
    QFETCH(bool, squatter);

    TestHttpServer server;
    QVERIFY(server.isListening());
    server.responder = TestHttpServer::answer("200 OK", "1.1|local|1|1|t|u");
    httpfetch::Request request = fetchRequest(server.base().toLatin1() + "/rename/v.txt", {}, 3000);

    std::vector<int> held;
    if (squatter) {
        // Learn a name the relay used, then take the names that follow it by counting on.
        QByteArray used;
        request.relayListening = [&used](const QByteArray& address) { used = address; };
        FetchRun first;
        QVERIFY(first.run(request));
        QCOMPARE(first.result.outcome, httpfetch::Outcome::Completed);
        qsizetype digits = used.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(used.at(digits - 1))))
            --digits;
        const qulonglong last = used.mid(digits).toULongLong();
        for (qulonglong next = last + 1; next <= last + 64; ++next) {
            const QByteArray name = used.left(digits) + QByteArray::number(next);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (::bind(fd, reinterpret_cast<const sockaddr*>(name.constData()), socklen_t(name.size())) == 0)
                held.push_back(fd);
            else
                ::close(fd);
        }
        QCOMPARE(held.size(), size_t(64));
        request.relayListening = {};
    }
    bool intruded = false;
    if (intruder) {
        request.relayListening = [&intruded](const QByteArray& address) {
            const pid_t child = ::fork();
            if (child == 0) {
                const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                ::_exit(
                    ::connect(fd, reinterpret_cast<const sockaddr*>(address.constData()), socklen_t(address.size())));
            }
            int status = -1;
            intruded
                = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        };
    }

    FetchRun fetch;
    QVERIFY(fetch.run(request));
    for (int fd : held)
        ::close(fd);
    QCOMPARE(intruded, intruder);
    QCOMPARE(fetch.result.outcome, httpfetch::Outcome::Completed);
    QCOMPARE(fetch.result.body, "1.1|local|1|1|t|u"_ba);
    QVERIFY2(fetch.elapsedMs < 2000, QByteArray::number(fetch.elapsedMs).constData());
}

void TestUpdateChecker::baseThatIsNotWeb_data()
{
    QTest::addColumn<QString>("base");

    // clang-format off
    QTest::newRow("local folder") << u"file:///etc"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("no scheme") << u"qinghe.example.org"_s;
    // clang-format on
}

void TestUpdateChecker::baseThatIsNotWeb()
{
    QFETCH(QString, base);

    UpdateChecker checker;
    QSignalSpy completed(&checker, &UpdateChecker::completed);
    QSignalSpy notCompleted(&checker, &UpdateChecker::notCompleted);
    checker.start(UpdateDefaults::forServer(base, u"http://home.test/"_s));
    QCOMPARE(notCompleted.count(), 0); // answered later, like every other check
    QVERIFY(checker.isRunning());
    QVERIFY(notCompleted.wait(2000));
    QCOMPARE(completed.count(), 0);
    QVERIFY(!checker.isRunning());
}

void TestUpdateChecker::windowKeepsWorking()
{
    TestHttpServer server;
    QVERIFY(server.isListening());
    UpdateChecker checker;
    checker.setTimeLimit(1s);
    QSignalSpy notCompleted(&checker, &UpdateChecker::notCompleted);

    QElapsedTimer clock;
    clock.start();
    checker.start(defaults(server));
    QVERIFY2(clock.elapsed() < 200, "start() waited for the server");
    QVERIFY(checker.isRunning());

    // Other work of the event loop goes on while the server keeps silent.
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
    ticker.start(20);
    QVERIFY(notCompleted.wait(5000));
    QVERIFY2(ticks >= 10, QByteArray::number(ticks).constData());
}

void TestUpdateChecker::secondStartWhileRunning()
{
    TestHttpServer server;
    QVERIFY(server.isListening());
    bool answerNow = false;
    server.responder = [&answerNow](QTcpSocket* socket) {
        if (answerNow)
            TestHttpServer::answer("200 OK", "1.1|x")(socket);
    };
    UpdateChecker checker;
    QSignalSpy completed(&checker, &UpdateChecker::completed);
    QSignalSpy notCompleted(&checker, &UpdateChecker::notCompleted);
    checker.setTimeLimit(500ms);
    checker.start(defaults(server));
    QTRY_COMPARE(server.requests.size(), 1);
    answerNow = true;
    checker.start(defaults(server)); // ignored: the first check is still waiting
    QVERIFY(notCompleted.wait(3000));
    QTest::qWait(100);
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(notCompleted.count(), 1);
    QCOMPARE(completed.count(), 0);

    // Once done, the checker can ask again.
    checker.start(defaults(server));
    QVERIFY(completed.wait(3000));
    QCOMPARE(server.requests.size(), 2);
    QCOMPARE(completed.at(0).at(0).value<VersionInfo>().softUrl, u"x"_s);
}

void TestUpdateChecker::destroyedWhileRunning_data()
{
    QTest::addColumn<bool>("connects");

    // clang-format off
    QTest::newRow("server silent after the request") << true;
    QTest::newRow("server silent while connecting") << false;
    // clang-format on
}

void TestUpdateChecker::destroyedWhileRunning()
{
    QFETCH(bool, connects);

    TestHttpServer server;
    QVERIFY(server.isListening());
    SilentPort silent(QHostAddress::LocalHost, 0);
    QVERIFY(silent.isSilent());
    int emitted = 0;
    auto checker = std::make_unique<UpdateChecker>();
    connect(checker.get(), &UpdateChecker::completed, this, [&emitted] { ++emitted; });
    connect(checker.get(), &UpdateChecker::notCompleted, this, [&emitted] { ++emitted; });
    if (connects) {
        checker->start(defaults(server));
        QTRY_COMPARE(server.requests.size(), 1);
    } else {
        checker->start(UpdateDefaults::forServer(u"http://127.0.0.1:%1"_s.arg(silent.port), u"http://home.test/"_s));
        QTest::qWait(300); // well into the wait for the server's answer to the connection
    }
    QElapsedTimer clock;
    clock.start();
    checker.reset();
    QVERIFY2(clock.elapsed() < 500, QByteArray::number(clock.elapsed()).constData());
    if (connects)
        QTRY_COMPARE(server.closedByPeer, 1);
    QTest::qWait(50);
    QCOMPARE(emitted, 0);
}

static int entries(const QString& folder)
{
    return int(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// Every check's thread and descriptors end with it: a hundred checks leave as many of them as there were.
void TestUpdateChecker::manyChecksLeaveNothing()
{
    TestHttpServer server;
    QVERIFY(server.isListening());
    server.responder = TestHttpServer::answer("200 OK", "1.0|x");
    CheckRun first; // loads what all checks share once
    QVERIFY(first.run(defaults(server)));
    const int threads = entries(u"/proc/self/task"_s);
    const int descriptors = entries(u"/proc/self/fd"_s);
    for (int i = 0; i < 100; ++i) {
        UpdateChecker checker;
        QSignalSpy completed(&checker, &UpdateChecker::completed);
        checker.start(defaults(server));
        QVERIFY(completed.wait(5000));
    }
    QCOMPARE(server.requests.size(), 101);
    QTRY_COMPARE(entries(u"/proc/self/task"_s), threads);
    QTRY_COMPARE(entries(u"/proc/self/fd"_s), descriptors);
}

// More checks waiting on a silent server than this machine has cores: another check is answered all the same.
void TestUpdateChecker::checksDoNotWaitForEachOther()
{
    TestHttpServer silent;
    TestHttpServer answering;
    QVERIFY(silent.isListening() && answering.isListening());
    answering.responder = TestHttpServer::answer("200 OK", "1.0|x");
    std::vector<std::unique_ptr<UpdateChecker>> waiting;
    for (int i = 0; i <= QThread::idealThreadCount(); ++i) {
        waiting.push_back(std::make_unique<UpdateChecker>());
        waiting.back()->start(defaults(silent));
    }
    QTRY_COMPARE(silent.requests.size(), qsizetype(waiting.size()));
    CheckRun check;
    QVERIFY(check.run(defaults(answering)));
    QCOMPARE(check.completed.count(), 1);
    QVERIFY2(check.elapsedMs < 2000, QByteArray::number(check.elapsedMs).constData());
}

QTEST_GUILESS_MAIN(TestUpdateChecker)
#include "tst_updatechecker.moc"
