// Tests of the version-file parser and of the built-in update defaults.
#include <QTest>

#include "update/versionfile.h"

using namespace Qt::StringLiterals;

class TestVersionFile : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void builtInDefaults();
    void forServer_data();
    void forServer();
};

// Marks a label that the answer leaves as it was.
static const QString keeps = u"<keeps>"_s;

static QString shown(const std::optional<QString>& label)
{
    return label ? *label : keeps;
}

static UpdateDefaults testDefaults()
{
    return UpdateDefaults::forServer(u"http://upd.test"_s, u"http://home.test/"_s);
}

void TestVersionFile::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("softUrl");
    QTest::addColumn<QString>("creditText");
    QTest::addColumn<QString>("creditUrl");
    QTest::addColumn<QString>("caption"); // empty: the new-version link is hidden

    // clang-format off
    const QString download = u"http://upd.test/rename/rename.rar"_s;
    const QString home = u"http://home.test/"_s;
    const QString credit = u"By 青禾木舟"_s;

    // The answers a user meets.
    QTest::newRow("same version, both switches blank") << u"1.0|x|||t|u"_s << u"x"_s << credit << home << QString();
    QTest::newRow("new version, both switches set") << u"1.1|x|1|1|t|u"_s << u"x"_s << u"t"_s << u"u"_s << u"发现新版本1.1 点此下载"_s;
    QTest::newRow("older version is announced too") << u"0.9|x"_s << u"x"_s << keeps << keeps << u"发现新版本0.9 点此下载"_s;
    QTest::newRow("own version in spaces") << u" 1.0 |x"_s << u"x"_s << keeps << keeps << QString();
    QTest::newRow("1.00 is not the text 1.0") << u"1.00|x"_s << u"x"_s << keeps << keeps << u"发现新版本1.00 点此下载"_s;
    QTest::newRow("version text shown as received") << u"  2.0 |x"_s << u"x"_s << keeps << keeps << u"发现新版本  2.0  点此下载"_s;
    QTest::newRow("negative number is a version") << u"-1|x"_s << u"x"_s << keeps << keeps << u"发现新版本-1 点此下载"_s;
    QTest::newRow("exponent reads as a number") << u"1e3|x"_s << u"x"_s << keeps << keeps << u"发现新版本1e3 点此下载"_s;

    // Field 0 that is not a number: every label takes its default, the link is hidden.
    QTest::newRow("empty text") << QString() << download << credit << home << QString();
    QTest::newRow("html error page") << u"<html><body><h1>404 Not Found</h1></body></html>"_s << download << credit << home << QString();
    QTest::newRow("two decimal points") << u"1.0.1|x|1|1|t|u"_s << download << credit << home << QString();
    QTest::newRow("letter before the number") << u"v1.1|x|1|1|t|u"_s << download << credit << home << QString();
    QTest::newRow("blank version") << u"  |x|1|1|t|u"_s << download << credit << home << QString();
    QTest::newRow("line end after the version") << u"1.1\r\n"_s << download << credit << home << QString();

    // Missing fields: a label keeps its caption unless every field its rule reads is there.
    QTest::newRow("version only") << u"1.1"_s << keeps << keeps << keeps << u"发现新版本1.1 点此下载"_s;
    QTest::newRow("empty download address is written") << u"1.1|"_s << QString() << keeps << keeps << u"发现新版本1.1 点此下载"_s;
    QTest::newRow("switches without texts") << u"1.0|x|1|1"_s << u"x"_s << keeps << keeps << QString();
    QTest::newRow("blank switches without texts") << u"1.0|x||"_s << u"x"_s << keeps << keeps << QString();
    QTest::newRow("credit text but no credit address") << u"1.0|x|1|1|t"_s << u"x"_s << u"t"_s << keeps << QString();
    QTest::newRow("blank text switch, no credit address") << u"1.0|x||1|t"_s << u"x"_s << credit << keeps << QString();

    // The switches.
    QTest::newRow("switches of spaces are blank") << u"1.0|x|   |  |t|u"_s << u"x"_s << credit << home << QString();
    QTest::newRow("switch 0 is not blank") << u"1.0|x|0|0|t|u"_s << u"x"_s << u"t"_s << u"u"_s << QString();
    QTest::newRow("tab switch is not blank") << u"1.0|x|\t|\t|t|u"_s << u"x"_s << u"t"_s << u"u"_s << QString();
    QTest::newRow("only the text switch set") << u"1.0|x|1||t|u"_s << u"x"_s << u"t"_s << home << QString();
    QTest::newRow("only the address switch set") << u"1.0|x||1|t|u"_s << u"x"_s << credit << u"u"_s << QString();
    QTest::newRow("empty credit text is written") << u"1.0|x|1|1||"_s << u"x"_s << QString() << QString() << QString();

    // Extra fields and field contents.
    QTest::newRow("fields after the sixth ignored") << u"1.0|x|1|1|t|u|extra|more"_s << u"x"_s << u"t"_s << u"u"_s << QString();
    QTest::newRow("fields kept as received") << u"1.0| x |1|1| t |u\r\n"_s << u" x "_s << u" t "_s << u"u\r\n"_s << QString();
    QTest::newRow("chinese credit text") << u"1.0|x|1|1|億萬青禾|u"_s << u"x"_s << u"億萬青禾"_s << u"u"_s << QString();
    // clang-format on
}

void TestVersionFile::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, softUrl);
    QFETCH(QString, creditText);
    QFETCH(QString, creditUrl);
    QFETCH(QString, caption);

    const VersionInfo info = parseVersionFile(text, testDefaults());
    QCOMPARE(shown(info.softUrl), softUrl);
    QCOMPARE(shown(info.creditText), creditText);
    QCOMPARE(shown(info.creditUrl), creditUrl);
    QCOMPARE(info.showNewVersion, !caption.isEmpty());
    QCOMPARE(info.newVersionCaption, caption);
}

void TestVersionFile::builtInDefaults()
{
    const UpdateDefaults d = UpdateDefaults::builtIn();
    QCOMPARE(d.ownVersion, u"1.0"_s);
    QCOMPARE(d.creditText, u"By 青禾木舟"_s);
    // The build options reach the program unchanged.
    QCOMPARE(d.baseAddress, QStringLiteral(EXPECTED_BASE_URL));
    QCOMPARE(d.homePage, QStringLiteral(EXPECTED_HOME_PAGE));
    QCOMPARE(d.downloadAddress, d.baseAddress + u"/rename/rename.rar"_s);
}

void TestVersionFile::forServer_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("expectedBase");

    // clang-format off
    QTest::newRow("bare host") << u"http://upd.test"_s << u"http://upd.test"_s;
    QTest::newRow("trailing slash") << u"http://upd.test/"_s << u"http://upd.test"_s;
    QTest::newRow("sub folder") << u"https://upd.test:8443/mirror/"_s << u"https://upd.test:8443/mirror"_s;
    // clang-format on
}

void TestVersionFile::forServer()
{
    QFETCH(QString, base);
    QFETCH(QString, expectedBase);

    const UpdateDefaults d = UpdateDefaults::forServer(base, u"http://home.test/"_s);
    QCOMPARE(d.baseAddress, expectedBase);
    QCOMPARE(d.downloadAddress, expectedBase + u"/rename/rename.rar"_s);
    QCOMPARE(d.homePage, u"http://home.test/"_s);
    QCOMPARE(d.ownVersion, u"1.0"_s);
    QCOMPARE(d.creditText, u"By 青禾木舟"_s);
}

QTEST_GUILESS_MAIN(TestVersionFile)
#include "tst_versionfile.moc"
