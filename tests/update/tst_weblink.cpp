// Tests of which received addresses the window may open in the browser.
#include <QTest>

#include "update/weblink.h"

using namespace Qt::StringLiterals;

class TestWebLink : public QObject {
    Q_OBJECT

private slots:
    void webAddress_data();
    void webAddress();
};

void TestWebLink::webAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("opens"); // empty: nothing is opened

    // clang-format off
    QTest::newRow("http") << u"http://qinghe.example.org/"_s << u"http://qinghe.example.org/"_s;
    QTest::newRow("https with port, path and query") << u"https://qinghe.example.org:8443/rename/rename.rar?x=1"_s << u"https://qinghe.example.org:8443/rename/rename.rar?x=1"_s;
    QTest::newRow("upper-case scheme") << u"HTTP://qinghe.example.org/a"_s << u"http://qinghe.example.org/a"_s;
    QTest::newRow("line end left by the file") << u"http://qinghe.example.org/a\r\n"_s << u"http://qinghe.example.org/a"_s;
    QTest::newRow("chinese path") << u"http://qinghe.example.org/青禾.rar"_s << u"http://qinghe.example.org/青禾.rar"_s;

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("spaces") << u"   "_s << QString();
    QTest::newRow("bare word") << u"x"_s << QString();
    QTest::newRow("host without scheme") << u"www.example.com"_s << QString();
    QTest::newRow("local file") << u"file:///etc/passwd"_s << QString();
    QTest::newRow("file on a share") << u"file://server/share/setup.exe"_s << QString();
    QTest::newRow("windows program path") << u"C:\\Windows\\System32\\calc.exe"_s << QString();
    QTest::newRow("windows path with slashes") << u"C:/Windows/System32/calc.exe"_s << QString();
    QTest::newRow("unc path") << u"\\\\server\\share\\run.exe"_s << QString();
    QTest::newRow("unix program path") << u"/usr/bin/xterm"_s << QString();
    QTest::newRow("script") << u"javascript:alert(1)"_s << QString();
    QTest::newRow("mail") << u"mailto:someone@example.org"_s << QString();
    QTest::newRow("ftp") << u"ftp://example.org/file"_s << QString();
    QTest::newRow("data") << u"data:text/html,<script>alert(1)</script>"_s << QString();
    QTest::newRow("http without host") << u"http:/rename/rename.rar"_s << QString();
    QTest::newRow("http with empty host") << u"http://"_s << QString();
    QTest::newRow("space inside host") << u"http://exa mple.org/"_s << QString();
    // clang-format on
}

void TestWebLink::webAddress()
{
    QFETCH(QString, text);
    QFETCH(QString, opens);

    const std::optional<QUrl> url = weblink::webAddress(text);
    QCOMPARE(weblink::isWebAddress(text), !opens.isEmpty());
    QCOMPARE(url.has_value(), !opens.isEmpty());
    if (url)
        QCOMPARE(url->toString(), opens);
}

QTEST_GUILESS_MAIN(TestWebLink)
#include "tst_weblink.moc"
