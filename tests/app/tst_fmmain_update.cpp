// Tests of the window's update check against a real HTTP server on the loopback address.
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include "app/clickablelabel.h"
#include "app/fmmain.h"
#include "app/textbox.h"
#include "fakeservices.h"
#include "rename/renamelist.h"

using namespace Qt::StringLiterals;

namespace {

// Answers every request with one fixed body, or stays silent; counts the requests.
class VersionServer : public QObject {
public:
    QByteArray body;
    bool silent = false;
    int requests = 0;

    bool listen()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_received += socket->readAll();
                    if (!m_received.contains("\r\n\r\n"))
                        return;
                    m_received.clear();
                    ++requests;
                    if (silent)
                        return;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
                        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
        return m_server.listen(QHostAddress::LocalHost);
    }
    QString address() const { return u"http://127.0.0.1:%1"_s.arg(m_server.serverPort()); }

private:
    QTcpServer m_server;
    QByteArray m_received;
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

private:
    std::unique_ptr<fmMain> makeWindow(const QString& server, int timeoutMs = 10000);
    FakeServices m_services;
};

std::unique_ptr<fmMain> TestFmMainUpdate::makeWindow(const QString& server, int timeoutMs)
{
    m_services = FakeServices();
    WindowOptions options;
    options.services = &m_services;
    options.addresses = UpdateDefaults::forServer(server, u"https://home.example.org/"_s);
    options.updateTimeoutMs = timeoutMs;
    auto window = std::make_unique<fmMain>(options);
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

    const QString dl = u"http://dl.example.org/rename/rename.rar"_s;
    QTest::newRow("same version, blank switches") << QByteArray("1.0|http://x.example.org/a|||t|u") << ""
                                                  << "http://x.example.org/a"
                                                  << "By 青禾木舟"
                                                  << "https://home.example.org/";
    QTest::newRow("new version, credit replaced")
        << QByteArray("1.1|http://x.example.org/a|1|1|t|https://u.example.org/") << "发现新版本1.1 点此下载"
        << "http://x.example.org/a"
        << "t"
        << "https://u.example.org/";
    QTest::newRow("older version still announced")
        << QByteArray("0.9|http://x.example.org/a") << "发现新版本0.9 点此下载"
        << "http://x.example.org/a"
        << "By 青禾木舟"
        << "";
    QTest::newRow("spaces around 1.0") << QByteArray(" 1.0 |http://x.example.org/a") << ""
                                       << "http://x.example.org/a"
                                       << "By 青禾木舟"
                                       << "";
    QTest::newRow("1.00 is another text") << QByteArray("1.00|x") << "发现新版本1.00 点此下载"
                                          << "x"
                                          << "By 青禾木舟"
                                          << "";
    QTest::newRow("error page takes defaults")
        << QByteArray("<html><body>404</body></html>") << "" << dl << "By 青禾木舟"
        << "https://home.example.org/";
}

void TestFmMainUpdate::answers()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, newVersion);
    QFETCH(QString, softUrl);
    QFETCH(QString, credit);
    QFETCH(QString, creditUrl);

    VersionServer server;
    server.body = body;
    QVERIFY(server.listen());
    const QString address = server.address();
    auto window = makeWindow(address);
    const QString defaultDownload = address + u"/rename/rename.rar"_s;
    if (softUrl == u"http://dl.example.org/rename/rename.rar"_s)
        softUrl = defaultDownload;

    QTRY_COMPARE(window->lbSoftUrl->text(), softUrl);
    QCOMPARE(server.requests, 1);
    QCOMPARE(window->lbADR->text(), credit);
    QCOMPARE(window->lbADUR->text(), creditUrl);
    QCOMPARE(window->lbNewVersion->text(), newVersion);
    QCOMPARE(window->lbNewVersion->isVisible(), !newVersion.isEmpty());
    if (!newVersion.isEmpty()) {
        QCOMPARE(window->lbNewVersion->palette().color(QPalette::WindowText), QColor(192, 0, 0));
        QVERIFY(window->lbNewVersion->font().underline());
    }
    QTest::qWait(100);
    QCOMPARE(server.requests, 1); // once per start
}

void TestFmMainUpdate::unsafeAddressesOpenNothing()
{
    VersionServer server;
    server.body = "2.0|file:///etc/passwd|1|1|点我|/usr/bin/xterm";
    QVERIFY(server.listen());
    auto window = makeWindow(server.address());
    QTRY_VERIFY(window->lbNewVersion->isVisible());
    QTest::mouseClick(window->lbNewVersion, Qt::LeftButton);
    QTest::mouseClick(window->lbADR, Qt::LeftButton);
    QVERIFY(m_services.opened.isEmpty());

    server.body = "2.0|https://dl.example.org/new.rar|1|1|点我|http://credit.example.org/";
    auto second = makeWindow(server.address());
    QTRY_COMPARE(second->lbADUR->text(), u"http://credit.example.org/"_s);
    QTest::mouseClick(second->lbNewVersion, Qt::LeftButton);
    QTest::mouseClick(second->lbADR, Qt::LeftButton);
    QCOMPARE(m_services.opened,
        (QList<QUrl> { QUrl(u"https://dl.example.org/new.rar"_s), QUrl(u"http://credit.example.org/"_s) }));
}

void TestFmMainUpdate::blankLinkOpensNothing()
{
    auto window = makeWindow(QString());
    window->lbSoftUrl->setText(u"https://dl.example.org/"_s);
    window->lbNewVersion_Click();
    window->lbNewVersion->setText(u"   "_s);
    window->lbNewVersion_Click();
    window->lbADR_Click(); // lbADUR still empty
    QVERIFY(m_services.opened.isEmpty());
}

void TestFmMainUpdate::logoOpensHomePage()
{
    auto window = makeWindow(QString());
    QTest::mouseClick(window->picLogo, Qt::LeftButton);
    QCOMPARE(m_services.opened, QList<QUrl> { QUrl(u"https://home.example.org/"_s) });
}

void TestFmMainUpdate::noServerChangesNothing()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString address = u"http://127.0.0.1:%1"_s.arg(closed.serverPort());
    closed.close(); // nobody listens there any more
    auto window = makeWindow(address, 2000);
    QTRY_VERIFY(!window->Timer1->isActive());
    QTest::qWait(300);
    QVERIFY(window->lbSoftUrl->text().isEmpty());
    QVERIFY(window->lbADUR->text().isEmpty());
    QCOMPARE(window->lbADR->text(), u"By 青禾木舟"_s);
    QVERIFY(window->lbNewVersion->text().isEmpty());
}

void TestFmMainUpdate::silentServerKeepsWindowWorking()
{
    VersionServer server;
    server.silent = true;
    QVERIFY(server.listen());
    auto window = makeWindow(server.address(), 400);
    QTRY_COMPARE(server.requests, 1);
    // While the server says nothing, the window goes on working.
    window->model()->append(u"a.txt"_s, u"/tmp/"_s);
    window->txtNewName1->setFocus();
    QTest::keyClicks(window->txtNewName1, u"x"_s);
    QCOMPARE(window->model()->newName(0), u"x1.txt"_s);
    QElapsedTimer waited;
    waited.start();
    QTest::qWait(700); // past the check's time limit
    QVERIFY(window->lbSoftUrl->text().isEmpty());
    QCOMPARE(window->lbADR->text(), u"By 青禾木舟"_s);
    QVERIFY(window->lbNewVersion->text().isEmpty());
}

QTEST_MAIN(TestFmMainUpdate)
#include "tst_fmmain_update.moc"
