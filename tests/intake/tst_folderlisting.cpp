// Tests of listing a folder's visible files and adding them as rows.
#include <algorithm>

#include <QAbstractItemModelTester>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "intake/folderlisting.h"
#include "rename/namegenerator.h"
#include "rename/renamelist.h"

using namespace Qt::StringLiterals;

// The kinds of directory entry a folder can hold.
enum class Kind {
    File,
    DotFile,
    Folder,
    LinkToFile,
    LinkToFolder,
    BrokenLink,
    Fifo,
    Socket,
    InvalidUtf8Name,
    ByteOrderMarkName
};

class TestFolderListing : public QObject {
    Q_OBJECT

private slots:
    void entryKinds_data();
    void entryKinds();
    void order_data();
    void order();
    void mixedFolder();
    void folderCell_data();
    void folderCell();
    void relativePath();
    void unlistable_data();
    void unlistable();
    void appendsInOneInsertion();

private:
    static bool touch(const QString& path);
    static bool create(const QDir& dir, const QString& name, Kind kind);
    static QByteArray rawPath(const QDir& dir, Kind kind);
};

bool TestFolderListing::touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

QByteArray TestFolderListing::rawPath(const QDir& dir, Kind kind)
{
    // Names whose bytes do not decode to the same name again.
    return QFile::encodeName(dir.path())
        + (kind == Kind::InvalidUtf8Name ? QByteArray("/bad\xff\xfe.txt")
                                         : QByteArray("/\xef\xbb\xbf"
                                                      "bom.txt"));
}

bool TestFolderListing::create(const QDir& dir, const QString& name, Kind kind)
{
    const QByteArray path = QFile::encodeName(dir.filePath(name));
    switch (kind) {
    case Kind::File:
    case Kind::DotFile:
        return touch(dir.filePath(name));
    case Kind::Folder:
        return dir.mkdir(name);
    case Kind::LinkToFile:
        return touch(dir.filePath(u"target.bin"_s)) && QFile::link(u"target.bin"_s, dir.filePath(name));
    case Kind::LinkToFolder:
        return dir.mkdir(u"targetdir"_s) && QFile::link(u"targetdir"_s, dir.filePath(name));
    case Kind::BrokenLink:
        return QFile::link(u"missing.bin"_s, dir.filePath(name));
    case Kind::Fifo:
        return mkfifo(path.constData(), 0644) == 0;
    case Kind::Socket: {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (size_t(path.size()) >= sizeof(address.sun_path))
            return false;
        qstrcpy(address.sun_path, path.constData());
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        const bool bound = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        if (fd >= 0)
            close(fd);
        return bound;
    }
    case Kind::InvalidUtf8Name:
    case Kind::ByteOrderMarkName: {
        const int fd = open(rawPath(dir, kind).constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            close(fd);
        return fd >= 0;
    }
    }
    return false;
}

void TestFolderListing::entryKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("fact"); // what the same listing tells the check: "file", "other" or "" (nothing)

    // clang-format off
    QTest::newRow("regular file") << u"photo.jpg"_s << Kind::File << true << u"file"_s;
    QTest::newRow("CJK name") << u"青禾 木舟.jpg"_s << Kind::File << true << u"file"_s;
    QTest::newRow("name with spaces around is kept untrimmed") << u" x.txt "_s << Kind::File << true << u"file"_s;
    QTest::newRow("name of spaces only") << u"   "_s << Kind::File << false << u"file"_s;
    QTest::newRow("dot file") << u".hidden"_s << Kind::DotFile << false << u"file"_s;
    QTest::newRow("subfolder") << u"sub"_s << Kind::Folder << false << u"other"_s;
    QTest::newRow("link to a file") << u"link.jpg"_s << Kind::LinkToFile << true << u"file"_s;
    QTest::newRow("link to a folder") << u"linkdir"_s << Kind::LinkToFolder << false << u"other"_s;
    QTest::newRow("broken link") << u"broken.jpg"_s << Kind::BrokenLink << false << u"file"_s;
    QTest::newRow("fifo") << u"pipe"_s << Kind::Fifo << false << u"other"_s;
    QTest::newRow("socket") << u"sock"_s << Kind::Socket << false << u"other"_s;
    QTest::newRow("name that is not UTF-8") << QString() << Kind::InvalidUtf8Name << false << QString();
    QTest::newRow("name starting with a byte-order mark") << QString() << Kind::ByteOrderMarkName << false << QString();
    // clang-format on
}

void TestFolderListing::entryKinds()
{
    QFETCH(QString, name);
    QFETCH(Kind, kind);
    QFETCH(bool, listed);

    QTemporaryDir tmp;
    QVERIFY2(tmp.isValid(), qPrintable(tmp.errorString()));
    const QDir dir(tmp.path());
    QVERIFY(touch(dir.filePath(u"plain.txt"_s)));
    // QTemporaryDir cannot remove a file whose name does not decode; this test removes it itself.
    const auto removeRaw = qScopeGuard([&] {
        if (kind == Kind::InvalidUtf8Name || kind == Kind::ByteOrderMarkName)
            unlink(rawPath(dir, kind).constData());
    });
    QVERIFY2(create(dir, name, kind), "could not create the entry");

    QStringList expected { u"plain.txt"_s };
    if (kind == Kind::LinkToFile)
        expected << u"target.bin"_s; // the link's target is a file of the folder too
    if (listed)
        expected << name;
    QStringList listedNames = intake::visibleFiles(tmp.path());
    listedNames.sort(); // the order has a table of its own
    expected.sort();
    QCOMPARE(listedNames, expected);

    QFETCH(QString, fact);
    const intake::ListedFolder both = intake::listFolder(tmp.path());
    QCOMPARE(both.names.size(), expected.size());
    QVERIFY(both.facts.listed);
    // Every entry whose name decodes: plain.txt, a link's target, the entry itself.
    const qsizetype targets = kind == Kind::LinkToFile || kind == Kind::LinkToFolder ? 1 : 0;
    QCOMPARE(both.facts.entries.size(), 1 + targets + (fact.isEmpty() ? 0 : 1));
    if (!fact.isEmpty()) {
        using Entry = batchrename::FolderFacts::Entry;
        QCOMPARE(both.facts.entries.value(name, Entry::Other) == Entry::File ? u"file"_s : u"other"_s, fact);
        QVERIFY(both.facts.entries.contains(name));
    }
}

void TestFolderListing::order_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("expected");

    // clang-format off
    QTest::newRow("case is ignored") << QStringList { u"b.txt"_s, u"C.txt"_s, u"a.txt"_s } << QStringList { u"a.txt"_s, u"b.txt"_s, u"C.txt"_s };
    QTest::newRow("names equal but for case: capitals first") << QStringList { u"photo.jpg"_s, u"PHOTO.jpg"_s, u"Photo.jpg"_s } << QStringList { u"PHOTO.jpg"_s, u"Photo.jpg"_s, u"photo.jpg"_s };
    QTest::newRow("digits before letters, text not numbers") << QStringList { u"img10.jpg"_s, u"img2.jpg"_s, u"IMG1.jpg"_s, u"a.jpg"_s, u"1.jpg"_s } << QStringList { u"1.jpg"_s, u"a.jpg"_s, u"IMG1.jpg"_s, u"img10.jpg"_s, u"img2.jpg"_s };
    QTest::newRow("prefix before longer name") << QStringList { u"ab"_s, u"AB.txt"_s, u"a"_s } << QStringList { u"a"_s, u"ab"_s, u"AB.txt"_s };
    QTest::newRow("Chinese by pinyin, before Latin") << QStringList { u"合同草稿.docx"_s, u"Zebra.jpg"_s, u"婚礼.jpg"_s, u"报销单.xlsx"_s } << QStringList { u"报销单.xlsx"_s, u"合同草稿.docx"_s, u"婚礼.jpg"_s, u"Zebra.jpg"_s };
    QTest::newRow("long shared beginnings") << QStringList { u"IMG_20240101_0002.jpg"_s, u"img_20240101_0001.JPG"_s, u"IMG_20240101_.jpg"_s, u"IMG_2024010"_s } << QStringList { u"IMG_2024010"_s, u"IMG_20240101_.jpg"_s, u"img_20240101_0001.JPG"_s, u"IMG_20240101_0002.jpg"_s };
    QTest::newRow("twelve letters, then more or a capital") << QStringList { u"abcdefghijklm"_s, u"abcdefghijkl"_s, u"ABCDEFGHIJKL"_s, u"abcdefghijkm"_s } << QStringList { u"ABCDEFGHIJKL"_s, u"abcdefghijkl"_s, u"abcdefghijklm"_s, u"abcdefghijkm"_s };
    QTest::newRow("leading space first") << QStringList { u"a"_s, u" b"_s } << QStringList { u" b"_s, u"a"_s };
    // Enough names to be keyed and sorted in parts on several threads, then merged.
    QStringList many;
    for (int i = 41999; i >= 0; --i)
        many << u"f%1"_s.arg(i, 5, 10, QLatin1Char('0'));
    QStringList manySorted = many;
    std::reverse(manySorted.begin(), manySorted.end());
    QTest::newRow("more names than one thread sorts") << many << manySorted;
    // Every two printable ASCII characters, and some with Chinese among and after them, ordered as the
    // collation orders them (letter case, then the exact text, breaking ties).
    QStringList pairs;
    for (char16_t a = 0x20; a <= 0x7e; ++a) {
        for (char16_t b = 0x20; b <= 0x7e; ++b) {
            const QString name = QString(QChar(a)) + QChar(b);
            if (!name.contains(u'/') && !name.startsWith(u'.') && name != u"  "_s)
                pairs << name;
        }
        if (a != u'/' && a != u'.')
            pairs << QString(QChar(a)) + u"中"_s << QString(QChar(a)) + u"a中"_s << u"中"_s + QChar(a);
    }
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setIgnorePunctuation(false);
    const auto collated = [&](QStringList names) {
        std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
            int c = collator.compare(a, b);
            if (c == 0)
                c = a.compare(b, Qt::CaseInsensitive);
            if (c == 0)
                c = a.compare(b, Qt::CaseSensitive);
            return c < 0;
        });
        return names;
    };
    const QStringList pairsSorted = collated(pairs);
    std::reverse(pairs.begin(), pairs.end());
    QTest::newRow("pairs of ASCII characters, Chinese among them") << pairs << pairsSorted;
    // Enough Chinese names for the quick order to learn their most frequent characters, more of them than it
    // learns; then with letters the collation tells apart by their accents only, which it must not learn.
    const auto mixed = [&](const QString& pool) {
        QStringList names;
        for (int i = 0; i < 21000; ++i) {
            names << pool.mid(i % pool.size(), 1) + pool.mid(i * 7 % pool.size(), 1) + QChar(i % 3 ? u'a' : u'A')
                    + QString::number(i % 5000) + pool.mid(i * 13 % pool.size(), 1);
        }
        return std::pair { names, collated(names) };
    };
    const auto [chinese, chineseSorted] = mixed(u"张章长常陈晨成程重中钟周州朱猪安按暗爱艾吧八把白百北被本比笔变表别宾冰病波博不部才彩草曹"
                                                u"层茶查差产常场车彻尘称城吃池迟尺冲虫抽出初除楚川传窗床吹春纯词此次"_s);
    QTest::newRow("many Chinese names") << chinese << chineseSorted;
    const auto [accented, accentedSorted] = mixed(u"āáǎàaēéěèe中钟周"_s);
    QTest::newRow("many names with accented letters") << accented << accentedSorted;
    // clang-format on
}

void TestFolderListing::order()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, expected);

    QTemporaryDir tmp;
    QVERIFY2(tmp.isValid(), qPrintable(tmp.errorString()));
    for (const QString& name : std::as_const(files))
        QVERIFY2(touch(tmp.path() + u'/' + name), qPrintable(name)); // QDir takes ":a" for a resource
    QCOMPARE(intake::visibleFiles(tmp.path()), expected);
}

void TestFolderListing::mixedFolder()
{
    // Every kind at once, in a folder added after an existing row.
    QTemporaryDir tmp;
    QVERIFY2(tmp.isValid(), qPrintable(tmp.errorString()));
    const QDir dir(tmp.path());
    for (const QString& name : { u"b.txt"_s, u"A.txt"_s, u"a.txt"_s, u"青禾.jpg"_s, u".hidden"_s })
        QVERIFY(touch(dir.filePath(name)));
    QVERIFY(dir.mkdir(u"sub"_s) && touch(dir.filePath(u"sub/inner.txt"_s)));
    QVERIFY(create(dir, u"link"_s, Kind::LinkToFile));
    QVERIFY(create(dir, u"linkdir"_s, Kind::LinkToFolder));
    QVERIFY(create(dir, u"broken"_s, Kind::BrokenLink));
    QVERIFY(create(dir, u"pipe"_s, Kind::Fifo));

    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append(u"earlier.txt"_s, u"/elsewhere/"_s);
    list.setOutcome(0, outcome::failed(), RowIcon::RenameFailed);

    QCOMPARE(intake::addFolder(list, tmp.path()), 6);
    QCOMPARE(list.oldNames(),
        (QStringList {
            u"earlier.txt"_s, u"青禾.jpg"_s, u"A.txt"_s, u"a.txt"_s, u"b.txt"_s, u"link"_s, u"target.bin"_s }));
    QCOMPARE(list.outcome(0), outcome::failed());
    QCOMPARE(list.icon(0), RowIcon::RenameFailed);
    for (int row = 1; row < list.count(); ++row) {
        QCOMPARE(list.folder(row), tmp.path() + u'/');
        QCOMPARE(list.icon(row), RowIcon::Added);
        QVERIFY2(QFileInfo(list.oldPath(row)).isFile(), qPrintable(list.oldPath(row)));
    }

    // The numbering follows the listed order.
    PlanSettings settings;
    list.refreshNewNames(settings);
    QCOMPARE(list.newNames().mid(1, 3), (QStringList { u"2.jpg"_s, u"3.txt"_s, u"4.txt"_s }));
}

void TestFolderListing::folderCell_data()
{
    QTest::addColumn<bool>("closingSeparator");
    // clang-format off
    QTest::newRow("path without closing separator") << false;
    QTest::newRow("path with closing separator") << true;
    // clang-format on
}

void TestFolderListing::folderCell()
{
    QFETCH(bool, closingSeparator);
    QTemporaryDir tmp;
    QVERIFY2(tmp.isValid(), qPrintable(tmp.errorString()));
    QVERIFY(touch(tmp.filePath(u"a.txt"_s)));

    RenameList list;
    QCOMPARE(intake::addFolder(list, closingSeparator ? tmp.path() + u'/' : tmp.path()), 1);
    QCOMPARE(list.folder(0), tmp.path() + u'/');
    QCOMPARE(list.oldPath(0), tmp.filePath(u"a.txt"_s));
}

void TestFolderListing::relativePath()
{
    QTemporaryDir tmp;
    QVERIFY2(tmp.isValid(), qPrintable(tmp.errorString()));
    QVERIFY(QDir(tmp.path()).mkdir(u"sub"_s));
    QVERIFY(touch(tmp.filePath(u"sub/a.txt"_s)));

    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(tmp.path()));
    RenameList list;
    const int added = intake::addFolder(list, u"sub"_s);
    QVERIFY(QDir::setCurrent(previous));

    QCOMPARE(added, 1);
    QCOMPARE(list.folder(0), QDir(tmp.path()).filePath(u"sub/"_s)); // a full path, not one relative to the process
}

void TestFolderListing::unlistable_data()
{
    QTest::addColumn<QString>("relative"); // below the temporary folder; "<empty>" for the empty path
    // clang-format off
    QTest::newRow("missing folder") << u"gone"_s;
    QTest::newRow("a file, not a folder") << u"plain.txt"_s;
    QTest::newRow("empty path") << u"<empty>"_s;
    QTest::newRow("folder of only hidden files and folders") << u"quiet"_s;
    // clang-format on
}

void TestFolderListing::unlistable()
{
    QFETCH(QString, relative);
    QTemporaryDir tmp;
    QVERIFY2(tmp.isValid(), qPrintable(tmp.errorString()));
    const QDir dir(tmp.path());
    QVERIFY(touch(dir.filePath(u"plain.txt"_s)));
    QVERIFY(dir.mkpath(u"quiet/inner"_s) && touch(dir.filePath(u"quiet/.dot"_s)));

    // The empty path must not fall back on the current folder, which here holds a file.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(tmp.path()));
    RenameList list;
    QSignalSpy inserted(&list, &RenameList::rowsInserted);
    const QString path = relative == u"<empty>"_s ? QString() : dir.filePath(relative);
    const int added = intake::addFolder(list, path);
    const QStringList listed = intake::visibleFiles(path);
    QVERIFY(QDir::setCurrent(previous));

    QCOMPARE(added, 0);
    QCOMPARE(list.count(), 0);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(listed, QStringList());
}

void TestFolderListing::appendsInOneInsertion()
{
    QTemporaryDir tmp;
    QVERIFY2(tmp.isValid(), qPrintable(tmp.errorString()));
    for (int i = 0; i < 50; ++i)
        QVERIFY(touch(tmp.filePath(u"f%1.txt"_s.arg(i, 2, 10, QLatin1Char('0')))));

    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&list, &RenameList::rowsInserted);
    QCOMPARE(intake::addFolder(list, tmp.path()), 50);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(list.oldName(0), u"f00.txt"_s);
    QCOMPARE(list.oldName(49), u"f49.txt"_s);
}

QTEST_GUILESS_MAIN(TestFolderListing)
#include "tst_folderlisting.moc"
