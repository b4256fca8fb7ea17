// Tests of the file-system layer: refused names, the no-replace rename, temporary names, the file test.
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "disk/diskfs.h"
#include "folderstate.h"

using namespace Qt::StringLiterals;

class TestDiskFs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void acceptableNames_data();
    void acceptableNames();
    void renameInFolder_data();
    void renameInFolder();
    void temporaryName();
    void temporaryNameOfMissingFile();
    void isFileOrLink_data();
    void isFileOrLink();
};

// Every test runs with renameat2, and as on a file system without its flags (link, then unlink).
void TestDiskFs::initTestCase_data()
{
    QTest::addColumn<bool>("flagsMissing");
    // clang-format off
    QTest::newRow("renameat2") << false;
    QTest::newRow("link and unlink") << true;
    // clang-format on
}

void TestDiskFs::init()
{
    QFETCH_GLOBAL(bool, flagsMissing);
    diskfs::setMissingFeaturesForTesting(flagsMissing, flagsMissing);
}

void TestDiskFs::cleanup()
{
    diskfs::setMissingFeaturesForTesting(false, false);
}

void TestDiskFs::acceptableNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("acceptable");
    // clang-format off
    QTest::newRow("plain") << u"a.txt"_s << true;
    QTest::newRow("chinese with spaces") << u"青禾 001.jpg"_s << true;
    QTest::newRow("hidden") << u".profile"_s << true;
    QTest::newRow("three dots") << u"..."_s << true;
    QTest::newRow("backslash is an ordinary character here") << u"a\\b"_s << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("dot") << u"."_s << false;
    QTest::newRow("dot dot") << u".."_s << false;
    QTest::newRow("separator") << u"sub/a.txt"_s << false;
    QTest::newRow("parent path") << u"../a.txt"_s << false;
    QTest::newRow("trailing separator") << u"a/"_s << false;
    QTest::newRow("NUL") << (u"a"_s + QChar(0) + u"b"_s) << false;
    // clang-format on
}

void TestDiskFs::acceptableNames()
{
    QFETCH(QString, name);
    QFETCH(bool, acceptable);
    QCOMPARE(diskfs::isAcceptableName(name), acceptable);
}

void TestDiskFs::renameInFolder_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("error");
    QTest::addColumn<QStringList>("after");

    // clang-format off
    QTest::newRow("free name") << QStringList { u"a"_s } << u"a"_s << u"b"_s << 0 << QStringList { u"b=a"_s };
    QTest::newRow("chinese names") << QStringList { u"旧.txt"_s } << u"旧.txt"_s << u"青禾1.txt"_s << 0 << QStringList { u"青禾1.txt=旧.txt"_s };
    QTest::newRow("name taken") << QStringList { u"a"_s, u"b"_s } << u"a"_s << u"b"_s << EEXIST << QStringList { u"a"_s, u"b"_s };
    QTest::newRow("name taken by a folder") << QStringList { u"a"_s, u"d/"_s } << u"a"_s << u"d"_s << EEXIST << QStringList { u"a"_s, u"d/"_s };
    QTest::newRow("name taken by a broken link") << QStringList { u"a"_s, u"l@nowhere"_s } << u"a"_s << u"l"_s << EEXIST << QStringList { u"a"_s, u"l@nowhere"_s };
    QTest::newRow("missing file") << QStringList { u"b"_s } << u"a"_s << u"c"_s << ENOENT << QStringList { u"b"_s };
    QTest::newRow("same name") << QStringList { u"a"_s } << u"a"_s << u"a"_s << EEXIST << QStringList { u"a"_s };
    QTest::newRow("letter case only") << QStringList { u"A.txt"_s } << u"A.txt"_s << u"a.txt"_s << 0 << QStringList { u"a.txt=A.txt"_s };
    QTest::newRow("letter case only, other file there") << QStringList { u"A.txt"_s, u"a.txt"_s } << u"A.txt"_s << u"a.txt"_s << EEXIST << QStringList { u"A.txt"_s, u"a.txt"_s };
    QTest::newRow("name too long") << QStringList { u"a"_s } << u"a"_s << QString(300, u'n') << ENAMETOOLONG << QStringList { u"a"_s };
    QTest::newRow("separator refused") << QStringList { u"a"_s, u"d/"_s } << u"a"_s << u"d/a"_s << EINVAL << QStringList { u"a"_s, u"d/"_s };
    QTest::newRow("parent refused") << QStringList { u"a"_s } << u"a"_s << u"../a"_s << EINVAL << QStringList { u"a"_s };
    QTest::newRow("empty refused") << QStringList { u"a"_s } << u"a"_s << QString() << EINVAL << QStringList { u"a"_s };
    QTest::newRow("dot dot refused") << QStringList { u"a"_s } << u"a"_s << u".."_s << EINVAL << QStringList { u"a"_s };
    QTest::newRow("old name with separator refused") << QStringList { u"d/"_s } << u"d/x"_s << u"x"_s << EINVAL << QStringList { u"d/"_s };
    // clang-format on
}

void TestDiskFs::renameInFolder()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, error);
    QFETCH(QStringList, after);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString top = dir.path() + u"/top"_s;
    QVERIFY(QDir().mkdir(top));
    QVERIFY(folderstate::layOut(top, entries));
    QCOMPARE(diskfs::renameInFolder(top + u'/', from, to), error);
    QCOMPARE(folderstate::describe(top), folderstate::sorted(after));
    QCOMPARE(folderstate::describe(dir.path()), QStringList { u"top/"_s }); // nothing left the folder
}

// Two names of one file: the path taken where a file system ignores case. The detour through a temporary
// name must end with the file back under its name and nothing replaced.
void TestDiskFs::temporaryName()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QVERIFY(folderstate::layOut(dir.path(), { u"a"_s, u"b"_s }));
    const QByteArray a = diskfs::encode(dir.filePath(u"a"_s));
    const QByteArray b = diskfs::encode(dir.filePath(u"b"_s));

    int error = -1;
    const QByteArray first = diskfs::moveToTemporary(a, &error);
    QVERIFY(!first.isEmpty());
    const QString firstName = QFileInfo(QString::fromUtf8(first)).fileName();
    // Visible, this program's, unique, and telling which file it is: prefix, process, counter, random, old name.
    const QRegularExpression pattern(u"^%1%2-\\d+-[0-9a-f]+-a$"_s.arg(
        QRegularExpression::escape(QString::fromUtf8(diskfs::kTemporaryPrefix)), QString::number(::getpid())));
    QVERIFY2(pattern.match(firstName).hasMatch(), qPrintable(firstName));
    QCOMPARE(folderstate::describe(dir.path()), folderstate::sorted({ firstName + u"=a"_s, u"b"_s }));
    const QByteArray second = diskfs::moveToTemporary(b, &error);
    QVERIFY(!second.isEmpty());
    QVERIFY(first != second);
    QCOMPARE(diskfs::renameNoReplace(first, a), 0);
    QCOMPARE(diskfs::renameNoReplace(second, b), 0);

    // Hard links: both names lead to one file, as a differently cased name does where case is ignored.
    QVERIFY(QFile::remove(QString::fromUtf8(b)));
    QCOMPARE(::link(a.constData(), b.constData()), 0);
    QCOMPARE(diskfs::renameNoReplace(a, b), EEXIST);
    QCOMPARE(folderstate::describe(dir.path()), folderstate::sorted({ u"a"_s, u"b=a"_s }));
}

void TestDiskFs::temporaryNameOfMissingFile()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    int error = 0;
    QVERIFY(diskfs::moveToTemporary(diskfs::encode(dir.filePath(u"gone"_s)), &error).isEmpty());
    QCOMPARE(error, ENOENT);
    QVERIFY(folderstate::describe(dir.path()).isEmpty());
}

void TestDiskFs::isFileOrLink_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("file");
    // clang-format off
    QTest::newRow("regular") << u"f"_s << true;
    QTest::newRow("hidden regular") << u".h"_s << true;
    QTest::newRow("folder") << u"d"_s << false;
    QTest::newRow("link to a file") << u"lf"_s << true;
    QTest::newRow("link to a folder") << u"ld"_s << false;
    QTest::newRow("broken link") << u"lb"_s << true;
    QTest::newRow("fifo") << u"p"_s << false;
    QTest::newRow("missing") << u"m"_s << false;
    // clang-format on
}

void TestDiskFs::isFileOrLink()
{
    QFETCH(QString, name);
    QFETCH(bool, file);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QVERIFY(folderstate::layOut(dir.path(), { u"f"_s, u".h"_s, u"d/"_s, u"lf@f"_s, u"ld@d"_s, u"lb@none"_s }));
    QCOMPARE(::mkfifo(dir.filePath(u"p"_s).toUtf8().constData(), 0600), 0);
    QCOMPARE(diskfs::isFileOrLink(diskfs::encode(dir.filePath(name))), file);
}

QTEST_GUILESS_MAIN(TestDiskFs)
#include "tst_diskfs.moc"
