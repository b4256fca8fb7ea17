// Tests of the update check over real HTTP against a small server on 127.0.0.1.
#include <algorithm>
#include <functional>
#include <memory>

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "update/httpfetch.h"
#include "update/updatechecker.h"
#include "update/weblink.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// A one-purpose HTTP server: records each request's head and answers it with the current responder.
class TestServer : public QObject {
    Q_OBJECT

public:
    using Responder = std::function<void(QTcpSocket*)>;

    TestServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &TestServer::accept);
    }

    bool isListening() const { return m_server.isListening(); }
    QString base() const { return u"http://127.0.0.1:%1"_s.arg(m_server.serverPort()); }
    UpdateDefaults defaults(const QString& path = QString()) const
    {
        return UpdateDefaults::forServer(base() + path, u"http://home.test/"_s);
    }

    Responder responder;
    QList<QByteArray> requests; // each request up to and including its blank line
    int closedByPeer = 0; // connections the client closed while the server still meant to talk
    qint64 bytesSent = 0; // body and head bytes handed to the network so far

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            auto head = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
                if (head->endsWith("\r\n\r\n"))
                    return; // already answered; later bytes are not looked at
                *head += socket->readAll();
                const qsizetype end = head->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                head->truncate(end + 4);
                requests << *head;
                if (responder)
                    responder(socket);
            });
            connect(socket, &QTcpSocket::bytesWritten, this, [this](qint64 n) { bytesSent += n; });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                if (!socket->property("closing").toBool())
                    ++closedByPeer;
                socket->deleteLater();
            });
        }
    }

    QTcpServer m_server;
};

// Writes a whole answer and closes the connection.
static void send(QTcpSocket* socket, const QByteArray& bytes)
{
    socket->setProperty("closing", true);
    socket->write(bytes);
    socket->disconnectFromHost();
}

static TestServer::Responder answer(const QByteArray& status, const QByteArray& body, const QByteArray& headers = {})
{
    return [=](QTcpSocket* socket) {
        send(socket,
            "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size())
                + "\r\nConnection: close\r\n" + headers + "\r\n" + body);
    };
}

// An answer whose end is told by closing the connection.
static TestServer::Responder answerUntilClose(const QByteArray& body)
{
    return [=](QTcpSocket* socket) { send(socket, "HTTP/1.0 200 OK\r\n\r\n" + body); };
}

static TestServer::Responder answerChunked(const QByteArray& body)
{
    return [=](QTcpSocket* socket) {
        QByteArray bytes = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
        // Small chunks for a short answer; for a long one, chunks whose framing stays within the allowance.
        const qsizetype piece = body.size() < 1024 ? 7 : 4096;
        for (qsizetype at = 0; at < body.size(); at += piece) {
            const QByteArray chunk = body.mid(at, piece);
            bytes += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
        }
        send(socket, bytes + "0\r\n\r\n");
    };
}

// Streams `total` bytes (negative: without end) as fast as the client takes them, keeping little queued.
static TestServer::Responder stream(qint64 total, bool announceLength)
{
    return [=](QTcpSocket* socket) {
        QByteArray head = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
        if (announceLength)
            head += "Content-Length: " + QByteArray::number(total) + "\r\n";
        socket->write(head + "\r\n");
        auto left = std::make_shared<qint64>(total);
        auto refill = [socket, left] {
            while (socket->bytesToWrite() < 64 * 1024 && *left != 0) {
                const qint64 n = *left < 0 ? 16 * 1024 : std::min<qint64>(*left, 16 * 1024);
                socket->write(QByteArray(n, 'a'));
                if (*left > 0)
                    *left -= n;
            }
        };
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, refill);
        refill();
    };
}

// Sends 16 bytes every 50 ms, without end.
static TestServer::Responder trickle()
{
    return [](QTcpSocket* socket) {
        socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n1.1|x|1|1|t|u|");
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write(QByteArray(16, 'a')); });
        timer->start(50);
    };
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
    void bodyCutShort();
    void unsafeAddresses();
    void redirect_data();
    void redirect();
    void redirectRule_data();
    void redirectRule();
    void baseThatIsNotWeb_data();
    void baseThatIsNotWeb();
    void windowKeepsWorking();
    void secondStartWhileRunning();
    void destroyedWhileRunning();
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

    const QByteArray ok = "200 OK";
    const QString credit = u"By 青禾木舟"_s;
    const QString home = u"http://home.test/"_s;

    QTest::newRow("same version, switches blank") << ok << "1.0|x|||t|u"_ba << u"x"_s << credit << home << QString();
    QTest::newRow("new version, switches set")
        << ok << "1.1|x|1|1|t|u"_ba << u"x"_s << u"t"_s << u"u"_s << u"发现新版本1.1 点此下载"_s;
    QTest::newRow("older version") << ok << "0.9|x"_ba << u"x"_s << keeps << keeps << u"发现新版本0.9 点此下载"_s;
    QTest::newRow("own version in spaces") << ok << " 1.0 |x"_ba << u"x"_s << keeps << keeps << QString();
    QTest::newRow("1.00") << ok << "1.00|x"_ba << u"x"_s << keeps << keeps << u"发现新版本1.00 点此下载"_s;
    QTest::newRow("empty file") << ok << QByteArray() << u"/rename/rename.rar"_s << credit << home << QString();
    QTest::newRow("html error page") << "404 Not Found"_ba
                                     << "<!DOCTYPE html><html><body><h1>Not Found</h1></body></html>"_ba
                                     << u"/rename/rename.rar"_s << credit << home << QString();
    QTest::newRow("status 500 with a version file")
        << "500 Internal Server Error"_ba
        << "1.1|x|1|1|t|u"_ba << u"x"_s << u"t"_s << u"u"_s << u"发现新版本1.1 点此下载"_s;
    QTest::newRow("status 407 with a version file") << "407 Proxy Authentication Required"_ba
                                                    << "1.0|x"_ba << u"x"_s << keeps << keeps << QString();
    QTest::newRow("status 503 with a version file") << "503 Service Unavailable"_ba
                                                    << "1.0|x"_ba << u"x"_s << keeps << keeps << QString();
    QTest::newRow("gbk credit text") << ok << "1.0|x|1|1|"_ba + gbk(u"青禾木舟 新作"_s) + "|u"_ba << u"x"_s
                                     << u"青禾木舟 新作"_s << u"u"_s << QString();
    // 億 is 0x83 0x7C in GBK: its second byte is "|", so the text must be decoded before it is split.
    QTest::newRow("gbk byte that looks like a bar")
        << ok << "1.0|x|1|1|"_ba + gbk(u"億萬"_s) + "|u"_ba << u"x"_s << u"億萬"_s << u"u"_s << QString();
}

void TestUpdateChecker::answers()
{
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, softUrl);
    QFETCH(QString, creditText);
    QFETCH(QString, creditUrl);
    QFETCH(QString, caption);

    TestServer server;
    QVERIFY(server.isListening());
    server.responder = answer(status, body);
    if (softUrl.startsWith(u'/'))
        softUrl.prepend(server.base()); // the default download address lies on the server asked

    CheckRun check;
    QVERIFY(check.run(server.defaults()));
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
    QTest::addColumn<bool>("completes");

    for (const QString& how : { u"length"_s, u"close"_s, u"chunked"_s }) {
        QTest::addRow("%s, short", qPrintable(how)) << how << 40 << true;
        QTest::addRow("%s, exactly 64 KiB", qPrintable(how)) << how << 64 * 1024 << true;
        QTest::addRow("%s, one byte over 64 KiB", qPrintable(how)) << how << 64 * 1024 + 1 << false;
    }
}

void TestUpdateChecker::framing()
{
    QFETCH(QString, how);
    QFETCH(int, size);
    QFETCH(bool, completes);

    // A version file padded with ignored fields to the size wanted.
    QByteArray body = "2.5|http://dl.test/r.rar|1|1|t|u|";
    body += QByteArray(size - body.size(), 'p');
    QCOMPARE(body.size(), size);

    TestServer server;
    QVERIFY(server.isListening());
    server.responder = how == u"length"_s ? answer("200 OK", body)
        : how == u"close"_s               ? answerUntilClose(body)
                                          : answerChunked(body);
    CheckRun check;
    QVERIFY(check.run(server.defaults()));
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

    QTest::newRow("server root") << QString() << "GET /rename/v.txt HTTP/1.1"_ba;
    QTest::newRow("root with slash") << u"/"_s << "GET /rename/v.txt HTTP/1.1"_ba;
    QTest::newRow("server sub folder") << u"/mirror/"_s << "GET /mirror/rename/v.txt HTTP/1.1"_ba;
}

void TestUpdateChecker::request()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, requestLine);

    TestServer server;
    QVERIFY(server.isListening());
    server.responder = answer("200 OK", "1.0|x");
    CheckRun check;
    QVERIFY(check.run(server.defaults(path)));
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
    TestServer server;
    QVERIFY(server.isListening());
    CheckRun check;
    QVERIFY(check.run(server.defaults(), 400ms));
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

    QTest::newRow("10 MB with its length") << qint64(10'000'000) << true;
    QTest::newRow("10 MB until close") << qint64(10'000'000) << false;
    QTest::newRow("endless fast stream") << qint64(-1) << false;
}

void TestUpdateChecker::tooLong()
{
    QFETCH(qint64, total);
    QFETCH(bool, announceLength);

    TestServer server;
    QVERIFY(server.isListening());
    server.responder = stream(total, announceLength);
    CheckRun check; // with the full time limit: the size alone must end it
    QVERIFY(check.run(server.defaults()));
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
    TestServer server;
    QVERIFY(server.isListening());
    server.responder = trickle();
    CheckRun check;
    QVERIFY(check.run(server.defaults(), 600ms));
    QCOMPARE(check.completed.count(), 0);
    QCOMPARE(check.notCompleted.count(), 1);
    QVERIFY2(check.elapsedMs >= 580 && check.elapsedMs < 3000, QByteArray::number(check.elapsedMs).constData());
    QTRY_COMPARE(server.closedByPeer, 1);
}

void TestUpdateChecker::bodyCutShort()
{
    TestServer server;
    QVERIFY(server.isListening());
    server.responder
        = [](QTcpSocket* socket) { send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n1.1|x|1|1|t|u"); };
    CheckRun check;
    QVERIFY(check.run(server.defaults()));
    QCOMPARE(check.completed.count(), 0);
    QCOMPARE(check.notCompleted.count(), 1);
}

void TestUpdateChecker::unsafeAddresses()
{
    TestServer server;
    QVERIFY(server.isListening());
    server.responder = answer("200 OK", "1.1|file:///etc/passwd|1|1|t|C:\\Windows\\System32\\calc.exe");
    CheckRun check;
    QVERIFY(check.run(server.defaults()));
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

    QTest::newRow("to another path of the server") << u"%1/moved/v.txt"_s << true;
    QTest::newRow("to a local version file") << u"%2"_s << false;
    QTest::newRow("to a server that is not there") << u"http://127.0.0.1:1/v.txt"_s << false;
    // /hop/N/ redirects to /hop/N-1/, and /hop/1/ to /moved/: 1 + N redirects in all.
    QTest::newRow("10 redirects, the most followed") << u"%1/hop/9/v.txt"_s << true;
    QTest::newRow("11 redirects") << u"%1/hop/10/v.txt"_s << false;
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

    TestServer server;
    QVERIFY(server.isListening());
    const QByteArray target = QString(location)
                                  .replace(u"%1"_s, server.base())
                                  .replace(u"%2"_s, QUrl::fromLocalFile(local.fileName()).toString())
                                  .toUtf8();
    server.responder = [&server, target](QTcpSocket* socket) {
        const QByteArray& request = server.requests.last();
        if (request.startsWith("GET /moved/")) {
            answer("200 OK", "1.3|moved|1|1|t|u")(socket);
        } else if (request.startsWith("GET /hop/")) {
            const int hop = request.split('/').at(2).toInt();
            const QByteArray next = hop > 1 ? "/hop/" + QByteArray::number(hop - 1) + "/v.txt" : "/moved/v.txt";
            answer("302 Found", "see elsewhere", "Location: " + next + "\r\n")(socket);
        } else {
            answer("302 Found", "see elsewhere", "Location: " + target + "\r\n")(socket);
        }
    };
    CheckRun check;
    QVERIFY(check.run(server.defaults(), 3s));
    QCOMPARE(check.completed.count(), completes ? 1 : 0);
    QCOMPARE(check.notCompleted.count(), completes ? 0 : 1);
    // The last address asked is the version file only when every redirect was followed.
    QCOMPARE(server.requests.last().startsWith("GET /moved/"), completes);
    if (completes)
        QCOMPARE(check.info().softUrl, u"moved"_s);
}

// The rule for the redirects no loopback server can send: those that leave https.
void TestUpdateChecker::redirectRule_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<bool>("followed");

    QTest::newRow("http to http") << "http://a.test/v.txt"_ba
                                  << "http://b.test/v.txt"_ba << true;
    QTest::newRow("http to https") << "http://a.test/v.txt"_ba
                                   << "https://b.test/v.txt"_ba << true;
    QTest::newRow("https to https") << "https://a.test/v.txt"_ba
                                    << "https://b.test/v.txt"_ba << true;
    QTest::newRow("https down to http") << "https://a.test/v.txt"_ba
                                        << "http://a.test/v.txt"_ba << false;
    QTest::newRow("https down to HTTP") << "HTTPS://a.test/v.txt"_ba
                                        << "HTTP://a.test/v.txt"_ba << false;
    QTest::newRow("http to ftp") << "http://a.test/v.txt"_ba
                                 << "ftp://a.test/v.txt"_ba << false;
    QTest::newRow("http to a local file") << "http://a.test/v.txt"_ba
                                          << "file:///etc/passwd"_ba << false;
}

void TestUpdateChecker::redirectRule()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(bool, followed);
    QCOMPARE(httpfetch::mayFollow(from, to), followed);
}

void TestUpdateChecker::baseThatIsNotWeb_data()
{
    QTest::addColumn<QString>("base");

    QTest::newRow("local folder") << u"file:///etc"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("no scheme") << u"qinghe.example.org"_s;
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
    TestServer server;
    QVERIFY(server.isListening());
    UpdateChecker checker;
    checker.setTimeLimit(1s);
    QSignalSpy notCompleted(&checker, &UpdateChecker::notCompleted);

    QElapsedTimer clock;
    clock.start();
    checker.start(server.defaults());
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
    TestServer server;
    QVERIFY(server.isListening());
    bool answerNow = false;
    server.responder = [&answerNow](QTcpSocket* socket) {
        if (answerNow)
            answer("200 OK", "1.1|x")(socket);
    };
    UpdateChecker checker;
    QSignalSpy completed(&checker, &UpdateChecker::completed);
    QSignalSpy notCompleted(&checker, &UpdateChecker::notCompleted);
    checker.setTimeLimit(500ms);
    checker.start(server.defaults());
    QTRY_COMPARE(server.requests.size(), 1);
    answerNow = true;
    checker.start(server.defaults()); // ignored: the first check is still waiting
    QVERIFY(notCompleted.wait(3000));
    QTest::qWait(100);
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(notCompleted.count(), 1);
    QCOMPARE(completed.count(), 0);

    // Once done, the checker can ask again.
    checker.start(server.defaults());
    QVERIFY(completed.wait(3000));
    QCOMPARE(server.requests.size(), 2);
    QCOMPARE(completed.at(0).at(0).value<VersionInfo>().softUrl, u"x"_s);
}

void TestUpdateChecker::destroyedWhileRunning()
{
    TestServer server;
    QVERIFY(server.isListening());
    int emitted = 0;
    {
        UpdateChecker checker;
        connect(&checker, &UpdateChecker::completed, this, [&emitted] { ++emitted; });
        connect(&checker, &UpdateChecker::notCompleted, this, [&emitted] { ++emitted; });
        checker.start(server.defaults());
        QTRY_COMPARE(server.requests.size(), 1);
    }
    QTRY_COMPARE(server.closedByPeer, 1);
    QCOMPARE(emitted, 0);
}

QTEST_GUILESS_MAIN(TestUpdateChecker)
#include "tst_updatechecker.moc"
