// Tests of the batch rename and the restore over a rename list: files on disk and row outcomes.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "disk/batchcheck.h"
#include "disk/batchrename.h"
#include "disk/diskfs.h"
#include "folderstate.h"
#include "rename/listrequests.h"
#include "rename/reasontexts.h"
#include "rename/namegenerator.h"
#include "rename/renamelist.h"
#include "rename/renamerow.h"

using namespace Qt::StringLiterals;

namespace {

// Row descriptions "old>new"; "<NUL>" stands for a NUL character, "<LONG>" for a 300-character name,
// "<CJK85>" and "<CJK86>" for names of 85 and 86 CJK characters (255 and 258 bytes of UTF-8), "<BOM>" for
// U+FEFF and "<LONE>" for a lone surrogate.
QString expand(QString name)
{
    name.replace(u"<NUL>"_s, QString(QChar(0)));
    name.replace(u"<BOM>"_s, QString(QChar(0xFEFF)));
    name.replace(u"<LONE>"_s, QString(QChar(0xD800)));
    name.replace(u"<LONG>"_s, QString(300, u'n'));
    name.replace(u"<CJK85>"_s, QString(85, u'青'));
    name.replace(u"<CJK86>"_s, QString(86, u'青'));
    return name;
}

// A temporary name as "<临时>-<old name>", whatever its number.
QString withoutNumbers(QString text)
{
    static const QRegularExpression temporary(QString::fromUtf8(diskfs::kTemporaryPrefix) + u"\\d+-\\d+-[0-9a-f]+-"_s);
    return text.replace(temporary, u"<临时>-"_s);
}

// The code of a result as the tables spell it: ok, empty, unusable, long, missing, dup, same<N>, taken, ...;
// a failure that left its file under other names reads as its whole text.
QString code(const batchrename::Result& r)
{
    using batchrename::Reason;
    if (!r.names.isEmpty())
        return withoutNumbers(batchrename::reasonText(r));
    if (r.done)
        return r.reason == Reason::None ? u"ok"_s : u"ok with a reason"_s;
    switch (r.reason) {
    case Reason::EmptyName:
        return u"empty"_s;
    case Reason::UnusableName:
        return u"unusable"_s;
    case Reason::NameTooLong:
        return u"long"_s;
    case Reason::SourceMissing:
        return u"missing"_s;
    case Reason::DuplicateFile:
        return u"dup"_s;
    case Reason::SameNewName:
        return u"same"_s + QString::number(r.otherRequest + 1);
    case Reason::NameTaken:
        return u"taken"_s;
    case Reason::PermissionDenied:
        return u"denied"_s;
    case Reason::NotReached:
        return u"unreached"_s;
    default:
        return u"reason "_s + batchrename::reasonText(r);
    }
}

QStringList codes(const QList<batchrename::Result>& results)
{
    QStringList out;
    for (const batchrename::Result& r : results)
        out << code(r);
    return out;
}

void fill(RenameList& list, const QString& folder, const QStringList& rows)
{
    QList<RenameList::Entry> entries;
    QStringList newNames;
    for (const QString& row : rows) {
        const qsizetype arrow = row.indexOf(u'>');
        entries.append({ expand(row.left(arrow)), folder });
        newNames << expand(row.mid(arrow + 1));
    }
    list.append(entries);
    list.setNewNames(newNames);
}

// "ok", "fail" or "" (untouched: the text the row had before) into the outcome text and icon.
struct Expected {
    QString text;
    RowIcon icon;
};

QList<Expected> passOutcomes(const QStringList& codes)
{
    QList<Expected> out;
    for (const QString& code : codes)
        out.append(code == u"ok"_s ? Expected { outcome::succeeded(), RowIcon::Renamed }
                                   : Expected { outcome::failed(), RowIcon::RenameFailed });
    return out;
}

QList<Expected> restoreOutcomes(const QStringList& codes, const QList<Expected>& before)
{
    QList<Expected> out;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        if (codes[i] == u"ok"_s)
            out.append({ outcome::restored(), RowIcon::Restored });
        else if (codes[i] == u"fail"_s)
            out.append({ outcome::restoreFailed(), RowIcon::RestoreFailed });
        else
            out.append(before.at(i));
    }
    return out;
}

QStringList cells(const RenameList& list)
{
    QStringList out;
    for (int row = 0; row < list.count(); ++row)
        out << list.oldName(row) + u'|' + list.folder(row) + u'|' + list.newName(row);
    return out;
}

} // namespace

class TestBatchRename : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void renameThenRestore_data();
    void renameThenRestore();
    void emptyListDoesNothing();
    void restoreTwiceChangesNothing();
    void restoreOnlyRowsReadingSuccess();
    void sameNamesInTwoFolders();
    void numberingPlanRenumbersFromTwo();
    void readOnlyFolder_data();
    void readOnlyFolder();
    void fileThatCannotMove_data();
    void fileThatCannotMove();
    void checkAgreesWithPass_data();
    void checkAgreesWithPass();
    void cancelLeavesUnreachedRowsAlone();
    void longChainTellsProgressAndStops();
    void failingCallTellsTheTruth_data();
    void failingCallTellsTheTruth();
    void folderSwappedDuringPass();
    void appendOnlyFolderTellsTheTruth();

private:
    static bool outcomesAre(const RenameList& list, const QList<Expected>& expected);
};

bool TestBatchRename::outcomesAre(const RenameList& list, const QList<Expected>& expected)
{
    bool same = list.count() == expected.size();
    for (int row = 0; same && row < list.count(); ++row) {
        same = list.outcome(row) == expected[row].text && list.icon(row) == expected[row].icon;
        if (!same)
            qWarning("row %d: got %s/%d, expected %s/%d", row, qPrintable(list.outcome(row)), int(list.icon(row)),
                qPrintable(expected[row].text), int(expected[row].icon));
    }
    return same;
}

// Every test runs on the file system as it is, and as one without an atomic exchange (cycles through a
// visible temporary name) or without any no-replace rename (link, then unlink), as network and FUSE file
// systems are.
void TestBatchRename::initTestCase_data()
{
    QTest::addColumn<bool>("noReplaceMissing");
    QTest::addColumn<bool>("exchangeMissing");
    // clang-format off
    QTest::newRow("renameat2") << false << false;
    QTest::newRow("no exchange") << false << true;
    QTest::newRow("link and unlink") << true << true;
    // clang-format on
}

void TestBatchRename::init()
{
    QFETCH_GLOBAL(bool, noReplaceMissing);
    QFETCH_GLOBAL(bool, exchangeMissing);
    diskfs::setMissingFeaturesForTesting(noReplaceMissing, exchangeMissing);
}

void TestBatchRename::cleanup()
{
    diskfs::setMissingFeaturesForTesting(false, false);
    diskfs::clearFailuresForTesting();
}

void TestBatchRename::renameThenRestore_data()
{
    QTest::addColumn<QStringList>("entries"); // folder contents before (see folderstate::layOut)
    QTest::addColumn<QStringList>("rows"); // "old>new"
    QTest::addColumn<QStringList>("passed"); // per row: ok / fail
    QTest::addColumn<QStringList>("afterPass"); // folder contents (see folderstate::describe)
    QTest::addColumn<QStringList>("between"); // "-name" deletes, "+name" creates a file
    QTest::addColumn<QStringList>("restored"); // per row: ok / fail / "" untouched
    QTest::addColumn<QStringList>("afterRestore");

    // clang-format off
    using L = QStringList;
    QTest::newRow("plain rename") << L { u"a"_s } << L { u"a>b"_s } << L { u"ok"_s } << L { u"b=a"_s } << L {} << L { u"ok"_s } << L { u"a"_s };
    QTest::newRow("equal names") << L { u"a"_s } << L { u"a>a"_s } << L { u"ok"_s } << L { u"a"_s } << L {} << L { u"ok"_s } << L { u"a"_s };
    QTest::newRow("name taken outside the batch") << L { u"a"_s, u"b"_s } << L { u"a>b"_s } << L { u"fail"_s } << L { u"a"_s, u"b"_s } << L {} << L { u""_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("name taken by a folder") << L { u"a"_s, u"d/"_s } << L { u"a>d"_s } << L { u"fail"_s } << L { u"a"_s, u"d/"_s } << L {} << L { u""_s } << L { u"a"_s, u"d/"_s };
    QTest::newRow("vanished file") << L { u"c"_s } << L { u"a>b"_s } << L { u"fail"_s } << L { u"c"_s } << L {} << L { u""_s } << L { u"c"_s };
    QTest::newRow("vanished file, equal names") << L {} << L { u"a>a"_s } << L { u"fail"_s } << L {} << L {} << L { u""_s } << L {};
    QTest::newRow("folder listed as a file") << L { u"d/"_s } << L { u"d>e"_s } << L { u"fail"_s } << L { u"d/"_s } << L {} << L { u""_s } << L { u"d/"_s };
    QTest::newRow("hidden file") << L { u".h"_s } << L { u".h>v"_s } << L { u"ok"_s } << L { u"v=.h"_s } << L {} << L { u"ok"_s } << L { u".h"_s };
    QTest::newRow("hidden new name") << L { u"v"_s } << L { u"v>.h"_s } << L { u"ok"_s } << L { u".h=v"_s } << L {} << L { u"ok"_s } << L { u"v"_s };
    QTest::newRow("hidden file, equal names") << L { u".h"_s } << L { u".h>.h"_s } << L { u"ok"_s } << L { u".h"_s } << L {} << L { u"ok"_s } << L { u".h"_s };
    QTest::newRow("link to a file") << L { u"t"_s, u"l@t"_s } << L { u"l>m"_s } << L { u"ok"_s } << L { u"m@t"_s, u"t"_s } << L {} << L { u"ok"_s } << L { u"l@t"_s, u"t"_s };
    QTest::newRow("broken link") << L { u"l@none"_s } << L { u"l>m"_s } << L { u"ok"_s } << L { u"m@none"_s } << L {} << L { u"ok"_s } << L { u"l@none"_s };
    QTest::newRow("link to a folder") << L { u"d/"_s, u"l@d"_s } << L { u"l>m"_s } << L { u"fail"_s } << L { u"d/"_s, u"l@d"_s } << L {} << L { u""_s } << L { u"d/"_s, u"l@d"_s };
    QTest::newRow("link whose target moves in the batch") << L { u"a"_s, u"l@a"_s } << L { u"l>c"_s, u"a>l"_s } << L { u"ok"_s, u"ok"_s } << L { u"c@a"_s, u"l=a"_s } << L {} << L { u"ok"_s, u"ok"_s } << L { u"a"_s, u"l@a"_s };
    QTest::newRow("swap") << L { u"a"_s, u"b"_s } << L { u"a>b"_s, u"b>a"_s } << L { u"ok"_s, u"ok"_s } << L { u"a=b"_s, u"b=a"_s } << L {} << L { u"ok"_s, u"ok"_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("three-cycle") << L { u"a"_s, u"b"_s, u"c"_s } << L { u"a>b"_s, u"b>c"_s, u"c>a"_s } << L { u"ok"_s, u"ok"_s, u"ok"_s } << L { u"a=c"_s, u"b=a"_s, u"c=b"_s } << L {} << L { u"ok"_s, u"ok"_s, u"ok"_s } << L { u"a"_s, u"b"_s, u"c"_s };
    QTest::newRow("cycle listed backwards") << L { u"a"_s, u"b"_s, u"c"_s } << L { u"c>a"_s, u"b>c"_s, u"a>b"_s } << L { u"ok"_s, u"ok"_s, u"ok"_s } << L { u"a=c"_s, u"b=a"_s, u"c=b"_s } << L {} << L { u"ok"_s, u"ok"_s, u"ok"_s } << L { u"a"_s, u"b"_s, u"c"_s };
    {
        L files, rows, ok, after, back;
        for (int i = 1; i <= 10; ++i) {
            files << u"%1.txt"_s.arg(i);
            rows << u"%1.txt>%2.txt"_s.arg(i).arg(i + 1);
            ok << u"ok"_s;
            after << u"%1.txt=%2.txt"_s.arg(i + 1).arg(i);
        }
        QTest::newRow("chain 1..10 to 2..11") << files << rows << ok << after << L {} << ok << files;
        L reversed(rows.rbegin(), rows.rend());
        QTest::newRow("chain listed backwards") << files << reversed << ok << after << L {} << ok << files;
    }
    QTest::newRow("chain blocked by a file outside the batch") << L { u"a"_s, u"b"_s, u"c"_s } << L { u"a>b"_s, u"b>c"_s } << L { u"fail"_s, u"fail"_s } << L { u"a"_s, u"b"_s, u"c"_s } << L {} << L { u""_s, u""_s } << L { u"a"_s, u"b"_s, u"c"_s };
    QTest::newRow("chain through a vanished file") << L { u"a"_s } << L { u"a>b"_s, u"b>c"_s } << L { u"ok"_s, u"fail"_s } << L { u"b=a"_s } << L {} << L { u"ok"_s, u""_s } << L { u"a"_s };
    QTest::newRow("move onto a file that keeps its name") << L { u"a"_s, u"b"_s } << L { u"a>b"_s, u"b>b"_s } << L { u"fail"_s, u"ok"_s } << L { u"a"_s, u"b"_s } << L {} << L { u""_s, u"ok"_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("cycle with a third row wanting a taken name") << L { u"a"_s, u"b"_s, u"c"_s } << L { u"a>b"_s, u"b>a"_s, u"c>a"_s } << L { u"ok"_s, u"ok"_s, u"fail"_s } << L { u"a=b"_s, u"b=a"_s, u"c"_s } << L {} << L { u"ok"_s, u"ok"_s, u""_s } << L { u"a"_s, u"b"_s, u"c"_s };
    QTest::newRow("duplicate new names") << L { u"a"_s, u"b"_s } << L { u"a>x"_s, u"b>x"_s } << L { u"ok"_s, u"fail"_s } << L { u"b"_s, u"x=a"_s } << L {} << L { u"ok"_s, u""_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("duplicate new names, first file missing") << L { u"b"_s } << L { u"a>x"_s, u"b>x"_s } << L { u"fail"_s, u"fail"_s } << L { u"b"_s } << L {} << L { u""_s, u""_s } << L { u"b"_s };
    QTest::newRow("cycle through a vanished file") << L { u"a"_s } << L { u"a>b"_s, u"b>a"_s } << L { u"ok"_s, u"fail"_s } << L { u"b=a"_s } << L {} << L { u"ok"_s, u""_s } << L { u"a"_s };
    QTest::newRow("cycle whose first file vanished") << L { u"a"_s } << L { u"b>a"_s, u"a>b"_s } << L { u"fail"_s, u"ok"_s } << L { u"b=a"_s } << L {} << L { u""_s, u"ok"_s } << L { u"a"_s };
    QTest::newRow("cycle through a folder") << L { u"a"_s, u"d/"_s } << L { u"a>d"_s, u"d>a"_s } << L { u"fail"_s, u"fail"_s } << L { u"a"_s, u"d/"_s } << L {} << L { u""_s, u""_s } << L { u"a"_s, u"d/"_s };
    QTest::newRow("chain through a folder") << L { u"a"_s, u"d/"_s } << L { u"a>d"_s, u"d>e"_s } << L { u"fail"_s, u"fail"_s } << L { u"a"_s, u"d/"_s } << L {} << L { u""_s, u""_s } << L { u"a"_s, u"d/"_s };
    QTest::newRow("same file twice, same new name") << L { u"a"_s } << L { u"a>x"_s, u"a>x"_s } << L { u"ok"_s, u"ok"_s } << L { u"x=a"_s } << L {} << L { u"ok"_s, u"ok"_s } << L { u"a"_s };
    QTest::newRow("same file twice, two new names") << L { u"a"_s } << L { u"a>x"_s, u"a>y"_s } << L { u"ok"_s, u"fail"_s } << L { u"x=a"_s } << L {} << L { u"ok"_s, u""_s } << L { u"a"_s };
    QTest::newRow("same file twice, second keeps its name") << L { u"a"_s } << L { u"a>x"_s, u"a>a"_s } << L { u"ok"_s, u"fail"_s } << L { u"x=a"_s } << L {} << L { u"ok"_s, u""_s } << L { u"a"_s };
    QTest::newRow("same file twice, first keeps its name") << L { u"a"_s } << L { u"a>a"_s, u"a>x"_s } << L { u"ok"_s, u"fail"_s } << L { u"a"_s } << L {} << L { u"ok"_s, u""_s } << L { u"a"_s };
    QTest::newRow("same file twice, first blocked") << L { u"a"_s, u"x"_s } << L { u"a>x"_s, u"a>a"_s } << L { u"fail"_s, u"ok"_s } << L { u"a"_s, u"x"_s } << L {} << L { u""_s, u"ok"_s } << L { u"a"_s, u"x"_s };
    QTest::newRow("new name into a subfolder") << L { u"a"_s, u"d/"_s } << L { u"a>d/a"_s } << L { u"fail"_s } << L { u"a"_s, u"d/"_s } << L {} << L { u""_s } << L { u"a"_s, u"d/"_s };
    QTest::newRow("new name into the parent") << L { u"a"_s } << L { u"a>../a"_s } << L { u"fail"_s } << L { u"a"_s } << L {} << L { u""_s } << L { u"a"_s };
    QTest::newRow("empty new name") << L { u"a"_s, u"b"_s } << L { u"a>"_s, u"b>"_s } << L { u"fail"_s, u"fail"_s } << L { u"a"_s, u"b"_s } << L {} << L { u""_s, u""_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("dot and dot dot") << L { u"a"_s, u"b"_s } << L { u"a>."_s, u"b>.."_s } << L { u"fail"_s, u"fail"_s } << L { u"a"_s, u"b"_s } << L {} << L { u""_s, u""_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("NUL in the new name") << L { u"a"_s } << L { u"a>x<NUL>y"_s } << L { u"fail"_s } << L { u"a"_s } << L {} << L { u""_s } << L { u"a"_s };
    QTest::newRow("new name too long") << L { u"a"_s, u"b"_s } << L { u"a><LONG>"_s, u"b>c"_s } << L { u"fail"_s, u"ok"_s } << L { u"a"_s, u"c=b"_s } << L {} << L { u""_s, u"ok"_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("letter case only") << L { u"A.txt"_s } << L { u"A.txt>a.txt"_s } << L { u"ok"_s } << L { u"a.txt=A.txt"_s } << L {} << L { u"ok"_s } << L { u"A.txt"_s };
    QTest::newRow("letter case only, both files there") << L { u"A.txt"_s, u"a.txt"_s } << L { u"A.txt>a.txt"_s } << L { u"fail"_s } << L { u"A.txt"_s, u"a.txt"_s } << L {} << L { u""_s } << L { u"A.txt"_s, u"a.txt"_s };
    QTest::newRow("restore after the renamed file vanished") << L { u"a"_s, u"b"_s } << L { u"a>x"_s, u"b>y"_s } << L { u"ok"_s, u"ok"_s } << L { u"x=a"_s, u"y=b"_s } << L { u"-x"_s } << L { u"fail"_s, u"ok"_s } << L { u"b"_s };
    QTest::newRow("restore when the old name was taken meanwhile") << L { u"a"_s } << L { u"a>x"_s } << L { u"ok"_s } << L { u"x=a"_s } << L { u"+a"_s } << L { u"fail"_s } << L { u"a=+a"_s, u"x=a"_s };
    QTest::newRow("restore a chain with a vanished link") << L { u"1"_s, u"2"_s, u"3"_s } << L { u"1>2"_s, u"2>3"_s, u"3>4"_s } << L { u"ok"_s, u"ok"_s, u"ok"_s } << L { u"2=1"_s, u"3=2"_s, u"4=3"_s } << L { u"-3"_s } << L { u"ok"_s, u"fail"_s, u"ok"_s } << L { u"1"_s, u"3"_s };
    QTest::newRow("restore a chain whose end was taken") << L { u"a"_s, u"b"_s } << L { u"a>b"_s, u"b>c"_s, u"c>a"_s } << L { u"ok"_s, u"ok"_s, u"fail"_s } << L { u"b=a"_s, u"c=b"_s } << L { u"+a"_s } << L { u"fail"_s, u"fail"_s, u""_s } << L { u"a=+a"_s, u"b=a"_s, u"c=b"_s };
    // clang-format on
}

void TestBatchRename::renameThenRestore()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, passed);
    QFETCH(QStringList, afterPass);
    QFETCH(QStringList, between);
    QFETCH(QStringList, restored);
    QFETCH(QStringList, afterRestore);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString top = dir.path() + u"/top"_s;
    QVERIFY(QDir().mkdir(top));
    QVERIFY(folderstate::layOut(top, entries));

    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(list, top, rows);
    const QStringList cellsBefore = cells(list);

    batchrename::renameAll(list);
    const QList<Expected> afterPassOutcomes = passOutcomes(passed);
    QVERIFY(outcomesAre(list, afterPassOutcomes));
    QCOMPARE(folderstate::describe(top), folderstate::sorted(afterPass));
    QCOMPARE(cells(list), cellsBefore);

    for (const QString& step : between) {
        const QString path = top + u'/' + step.mid(1);
        if (step.startsWith(u'-'))
            QVERIFY(QFile::remove(path));
        else
            QVERIFY(folderstate::addIntruder(path, step));
    }

    batchrename::restoreAll(list);
    QVERIFY(outcomesAre(list, restoreOutcomes(restored, afterPassOutcomes)));
    QCOMPARE(folderstate::describe(top), folderstate::sorted(afterRestore));
    QCOMPARE(cells(list), cellsBefore);
    QCOMPARE(folderstate::describe(dir.path()), QStringList { u"top/"_s }); // nothing left the folder
}

void TestBatchRename::emptyListDoesNothing()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy changes(&list, &RenameList::dataChanged);
    batchrename::renameAll(list);
    batchrename::restoreAll(list);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(list.count(), 0);
}

void TestBatchRename::restoreTwiceChangesNothing()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QVERIFY(folderstate::layOut(dir.path(), { u"a"_s, u"b"_s, u"c"_s }));
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(list, dir.path(), { u"a>b"_s, u"b>a"_s, u"c>d"_s, u"e>f"_s });
    batchrename::renameAll(list);
    QVERIFY(QFile::remove(dir.filePath(u"d"_s)));
    batchrename::restoreAll(list);
    const QList<Expected> once { { outcome::restored(), RowIcon::Restored }, { outcome::restored(), RowIcon::Restored },
        { outcome::restoreFailed(), RowIcon::RestoreFailed }, { outcome::failed(), RowIcon::RenameFailed } };
    QVERIFY(outcomesAre(list, once));
    const QStringList filesOnce = folderstate::describe(dir.path());
    QCOMPARE(filesOnce, folderstate::sorted({ u"a"_s, u"b"_s }));

    // Someone recreates the file under the renamed name: the second press must still leave it alone.
    QVERIFY(folderstate::addIntruder(dir.filePath(u"d"_s), u"+d"_s));
    QSignalSpy changes(&list, &RenameList::dataChanged);
    batchrename::restoreAll(list);
    QCOMPARE(changes.count(), 0);
    QVERIFY(outcomesAre(list, once));
    QCOMPARE(folderstate::describe(dir.path()), folderstate::sorted({ u"a"_s, u"b"_s, u"d=+d"_s }));
}

// Only the exact text "成功" with the name its pass gave marks a row for the restore, which renames from that
// name, never from the new name the row reads now; a 成功 whose restore has closed is never restored.
void TestBatchRename::restoreOnlyRowsReadingSuccess()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QVERIFY(folderstate::layOut(dir.path(), { u"x"_s, u"y"_s, u"z"_s, u"w"_s, u"v"_s, u"n"_s }));
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(list, dir.path(), { u"a>n"_s, u"b>y"_s, u"c>z"_s, u"d>w"_s, u"e>v"_s });
    list.setOutcomes({ 0, 1, 2, 3, 4 },
        { { outcome::succeeded(), RowIcon::Renamed, {}, u"x"_s }, { outcome::failed(), RowIcon::RenameFailed, {}, {} },
            { outcome::succeeded() + u' ', RowIcon::Renamed, {}, u"z"_s },
            { outcome::restored(), RowIcon::Restored, {}, {} }, { outcome::succeeded(), RowIcon::Renamed, {}, {} } });
    QCOMPARE(list.restorableCount(), 2);
    batchrename::restoreAll(list);
    QCOMPARE(
        folderstate::describe(dir.path()), folderstate::sorted({ u"a=x"_s, u"y"_s, u"z"_s, u"w"_s, u"v"_s, u"n"_s }));
    QVERIFY(outcomesAre(list,
        { { outcome::restored(), RowIcon::Restored }, { outcome::failed(), RowIcon::RenameFailed },
            { outcome::succeeded() + u' ', RowIcon::Renamed }, { outcome::restored(), RowIcon::Restored },
            { outcome::succeeded(), RowIcon::Renamed } }));
    QCOMPARE(list.restorableCount(), 1); // the row whose text is not exactly 成功 keeps its name, unused

    list.closeRestore();
    QCOMPARE(list.restorableCount(), 0);
    QCOMPARE(list.givenName(2), QString());
}

// Paths are planned per folder: equal names in two folders neither block nor cycle with each other.
void TestBatchRename::sameNamesInTwoFolders()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString one = dir.path() + u"/one"_s;
    const QString two = dir.path() + u"/two"_s;
    QVERIFY(QDir().mkdir(one) && QDir().mkdir(two));
    QVERIFY(folderstate::layOut(one, { u"a"_s, u"b"_s }));
    QVERIFY(folderstate::layOut(two, { u"b"_s }));
    RenameList list;
    fill(list, one, { u"a>b"_s, u"b>a"_s });
    RenameList other;
    fill(other, two, { u"b>c"_s });
    list.append(other.oldName(0), other.folder(0));
    list.setNewNames({ u"b"_s, u"a"_s, u"c"_s });
    batchrename::renameAll(list);
    QVERIFY(outcomesAre(list, passOutcomes({ u"ok"_s, u"ok"_s, u"ok"_s })));
    QCOMPARE(folderstate::describe(one), folderstate::sorted({ u"a=b"_s, u"b=a"_s }));
    QCOMPARE(folderstate::describe(two), QStringList { u"c=b"_s });
}

// The commonest use: numbered files renumbered one up by the numbering plan.
void TestBatchRename::numberingPlanRenumbersFromTwo()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QList<RenameList::Entry> entries;
    QStringList files;
    for (int i = 1; i <= 12; ++i) {
        files << u"%1.txt"_s.arg(i);
        entries.append({ files.last(), dir.path() });
    }
    QVERIFY(folderstate::layOut(dir.path(), files));
    RenameList list;
    list.append(entries);
    PlanSettings settings;
    settings.startText = u"2"_s;
    list.refreshNewNames(settings);
    batchrename::renameAll(list);
    QStringList expected;
    for (int i = 1; i <= 12; ++i) {
        QCOMPARE(list.outcome(i - 1), outcome::succeeded());
        expected << u"%1.txt=%2.txt"_s.arg(i + 1).arg(i);
    }
    QCOMPARE(folderstate::describe(dir.path()), folderstate::sorted(expected));
    // Every row is done: pressed again, the pass moves nothing and every row still reads 成功.
    batchrename::renameAll(list);
    for (int row = 0; row < list.count(); ++row)
        QCOMPARE(list.outcome(row), outcome::succeeded());
    QCOMPARE(folderstate::describe(dir.path()), folderstate::sorted(expected));

    // A start number that cannot be read leaves every new name empty: every row fails, nothing moves.
    settings.startText = u"abc"_s;
    list.refreshNewNames(settings);
    list.closeRestore(); // as the window does on every change
    QCOMPARE(list.newName(0), QString());
    batchrename::renameAll(list);
    for (int row = 0; row < list.count(); ++row)
        QCOMPARE(list.outcome(row), outcome::failed());
    QCOMPARE(folderstate::describe(dir.path()), folderstate::sorted(expected));
}

void TestBatchRename::readOnlyFolder_data()
{
    QTest::addColumn<bool>("duringRestore");
    // clang-format off
    QTest::newRow("pass") << false;
    QTest::newRow("restore") << true;
    // clang-format on
}

void TestBatchRename::readOnlyFolder()
{
    QFETCH(bool, duringRestore);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    if (folderstate::writesIntoReadOnlyFolders(dir.path()))
        QSKIP("this user (root) can write into a read-only folder, so there is no read-only folder to test");
    const QString top = dir.path() + u"/top"_s;
    QVERIFY(QDir().mkdir(top));
    QVERIFY(folderstate::layOut(top, { u"a"_s, u"b"_s, u"c"_s }));
    RenameList list;
    fill(list, top, { u"a>b"_s, u"b>a"_s, u"c>d"_s, u"c>c"_s });
    const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (duringRestore) {
        batchrename::renameAll(list);
        QVERIFY(outcomesAre(list, passOutcomes({ u"ok"_s, u"ok"_s, u"ok"_s, u"fail"_s })));
    }
    const QStringList before = folderstate::describe(top);
    QVERIFY(QFile::setPermissions(top, QFile::ReadOwner | QFile::ExeOwner));
    if (duringRestore)
        batchrename::restoreAll(list);
    else
        batchrename::renameAll(list);
    const QStringList after = folderstate::describe(top);
    QVERIFY(QFile::setPermissions(top, writable));
    QCOMPARE(after, before);
    if (duringRestore) {
        QVERIFY(outcomesAre(list,
            { { outcome::restoreFailed(), RowIcon::RestoreFailed },
                { outcome::restoreFailed(), RowIcon::RestoreFailed },
                { outcome::restoreFailed(), RowIcon::RestoreFailed }, { outcome::failed(), RowIcon::RenameFailed } }));
    } else {
        // Only the row whose name stays can succeed.
        QVERIFY(outcomesAre(list, passOutcomes({ u"fail"_s, u"fail"_s, u"fail"_s, u"ok"_s })));
    }
}

namespace {

// Sets or clears the immutable flag of a file, which stops even root from renaming it (or the
// append-only flag of a folder, where names can be added but not removed).
bool setImmutable(const QString& path, bool on, int flag = FS_IMMUTABLE_FL)
{
    const int fd = ::open(path.toUtf8().constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | flag : flags & ~flag;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

} // namespace

void TestBatchRename::fileThatCannotMove_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("locked");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("passed");
    QTest::addColumn<QStringList>("afterPass");

    // clang-format off
    using L = QStringList;
    QTest::newRow("swap") << L { u"a"_s, u"b"_s } << u"b"_s << L { u"a>b"_s, u"b>a"_s } << L { u"fail"_s, u"fail"_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("swap, first locked") << L { u"a"_s, u"b"_s } << u"a"_s << L { u"a>b"_s, u"b>a"_s } << L { u"fail"_s, u"fail"_s } << L { u"a"_s, u"b"_s };
    // The last file of the cycle has taken the first one's name before the middle one refuses: the moves
    // are undone so that the first file can leave its temporary name.
    QTest::newRow("three-cycle, middle locked") << L { u"a"_s, u"b"_s, u"c"_s } << u"b"_s << L { u"a>b"_s, u"b>c"_s, u"c>a"_s } << L { u"fail"_s, u"fail"_s, u"fail"_s } << L { u"a"_s, u"b"_s, u"c"_s };
    QTest::newRow("four-cycle, third locked") << L { u"a"_s, u"b"_s, u"c"_s, u"d"_s } << u"c"_s << L { u"a>b"_s, u"b>c"_s, u"c>d"_s, u"d>a"_s } << L { u"fail"_s, u"fail"_s, u"fail"_s, u"fail"_s } << L { u"a"_s, u"b"_s, u"c"_s, u"d"_s };
    QTest::newRow("chain, middle locked") << L { u"a"_s, u"b"_s } << u"b"_s << L { u"a>b"_s, u"b>c"_s, u"x>y"_s } << L { u"fail"_s, u"fail"_s, u"fail"_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("chain, first locked") << L { u"a"_s, u"b"_s } << u"a"_s << L { u"a>b"_s, u"b>c"_s } << L { u"fail"_s, u"ok"_s } << L { u"a"_s, u"c=b"_s };
    // clang-format on
}

void TestBatchRename::fileThatCannotMove()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, locked);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, passed);
    QFETCH(QStringList, afterPass);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QVERIFY(folderstate::layOut(dir.path(), entries));
    const QString lockedPath = dir.filePath(locked);
    if (!setImmutable(lockedPath, true))
        QSKIP("this user or file system cannot make a file immutable");
    RenameList list;
    fill(list, dir.path(), rows);
    batchrename::renameAll(list);
    const QStringList after = folderstate::describe(dir.path());
    QVERIFY(setImmutable(lockedPath, false));
    QVERIFY(outcomesAre(list, passOutcomes(passed)));
    QCOMPARE(after, folderstate::sorted(afterPass));
}

namespace {

// A row "old>new" names the folder as "top/"; with a leading "~" as "top/./", "%" as "top//" and "@"
// through the link "link -> top": other spellings of the same folder.
batchrename::Request request(const QString& base, const QString& row)
{
    QString folder = base + u"/top/"_s;
    QString text = row;
    if (row.startsWith(u'~'))
        folder = base + u"/top/./"_s;
    else if (row.startsWith(u'%'))
        folder = base + u"/top//"_s;
    else if (row.startsWith(u'@'))
        folder = base + u"/link/"_s;
    if (folder != base + u"/top/"_s)
        text = row.mid(1);
    const qsizetype arrow = text.indexOf(u'>');
    return { folder, expand(text.left(arrow)), expand(text.mid(arrow + 1)) };
}

} // namespace

void TestBatchRename::checkAgreesWithPass_data()
{
    QTest::addColumn<QStringList>("entries"); // folder contents before (see folderstate::layOut)
    QTest::addColumn<QStringList>("rows"); // "old>new", maybe with a folder spelling mark (see request())
    QTest::addColumn<QStringList>("expected"); // per row: the check's and the pass's code (see code())
    QTest::addColumn<QStringList>("afterPass"); // folder contents (see folderstate::describe)

    // clang-format off
    using L = QStringList;
    QTest::newRow("free name") << L { u"a"_s } << L { u"a>b"_s } << L { u"ok"_s } << L { u"b=a"_s };
    QTest::newRow("name held outside the list") << L { u"a"_s, u"b"_s } << L { u"a>b"_s } << L { u"taken"_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("name held by a hidden file") << L { u"a"_s, u".h"_s } << L { u"a>.h"_s } << L { u"taken"_s } << L { u"a"_s, u".h"_s };
    QTest::newRow("name held by a folder") << L { u"a"_s, u"d/"_s } << L { u"a>d"_s } << L { u"taken"_s } << L { u"a"_s, u"d/"_s };
    QTest::newRow("two rows want one name") << L { u"a"_s, u"b"_s } << L { u"a>x"_s, u"b>x"_s } << L { u"ok"_s, u"same1"_s } << L { u"b"_s, u"x=a"_s };
    QTest::newRow("third row wants the first row's name") << L { u"a"_s, u"b"_s, u"c"_s } << L { u"a>x"_s, u"b>y"_s, u"c>x"_s } << L { u"ok"_s, u"ok"_s, u"same1"_s } << L { u"c"_s, u"x=a"_s, u"y=b"_s };
    QTest::newRow("a claim by a row without a file still counts") << L { u"b"_s } << L { u"a>x"_s, u"b>x"_s } << L { u"missing"_s, u"same1"_s } << L { u"b"_s };
    QTest::newRow("empty, unusable and too long names") << L { u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s } << L { u"a>"_s, u"b>."_s, u"c>.."_s, u"d>s/x"_s, u"e>x<NUL>"_s, u"f><LONG>"_s } << L { u"empty"_s, u"unusable"_s, u"unusable"_s, u"unusable"_s, u"unusable"_s, u"long"_s } << L { u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s };
    QTest::newRow("names the disk would not give back as themselves") << L { u"a"_s, u"b"_s, u"c"_s } << L { u"a><BOM>x"_s, u"b>y<LONE>"_s, u"c>x<BOM>"_s } << L { u"unusable"_s, u"unusable"_s, u"ok"_s } << L { u"a"_s, u"b"_s, u"x\uFEFF=c"_s };
    QTest::newRow("length counts bytes, not characters") << L { u"a"_s, u"b"_s } << L { u"a><CJK85>"_s, u"b><CJK86>"_s } << L { u"ok"_s, u"long"_s } << L { QString(85, u'青') + u"=a"_s, u"b"_s };
    QTest::newRow("an empty name before a missing file") << L {} << L { u"a>"_s, u"b>."_s, u"c>x"_s } << L { u"empty"_s, u"unusable"_s, u"missing"_s } << L {};
    QTest::newRow("old names gone: a second pass after a rename") << L { u"x"_s, u"y"_s } << L { u"a>x"_s, u"b>y"_s } << L { u"missing"_s, u"missing"_s } << L { u"x"_s, u"y"_s };
    QTest::newRow("a folder listed as a file") << L { u"d/"_s, u"l@d"_s } << L { u"d>e"_s, u"l>m"_s } << L { u"missing"_s, u"missing"_s } << L { u"d/"_s, u"l@d"_s };
    QTest::newRow("the same file twice") << L { u"a"_s } << L { u"a>x"_s, u"a>y"_s } << L { u"ok"_s, u"dup"_s } << L { u"x=a"_s };
    QTest::newRow("the same file twice, same new name") << L { u"a"_s } << L { u"a>x"_s, u"a>x"_s } << L { u"ok"_s, u"ok"_s } << L { u"x=a"_s };
    QTest::newRow("a repeat is told before a claimed name") << L { u"a"_s, u"b"_s } << L { u"b>y"_s, u"a>x"_s, u"a>y"_s } << L { u"ok"_s, u"ok"_s, u"dup"_s } << L { u"x=a"_s, u"y=b"_s };
    QTest::newRow("a claimed name is told before a held one") << L { u"a"_s, u"b"_s, u"x"_s } << L { u"a>x"_s, u"b>x"_s } << L { u"taken"_s, u"same1"_s } << L { u"a"_s, u"b"_s, u"x"_s };
    QTest::newRow("keeps its name") << L { u"a"_s } << L { u"a>a"_s } << L { u"ok"_s } << L { u"a"_s };
    QTest::newRow("keeps its name, but no file") << L {} << L { u"a>a"_s } << L { u"missing"_s } << L {};
    QTest::newRow("onto a file that keeps its name") << L { u"a"_s, u"b"_s } << L { u"a>b"_s, u"b>b"_s } << L { u"taken"_s, u"ok"_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("chain") << L { u"1"_s, u"2"_s, u"3"_s } << L { u"1>2"_s, u"2>3"_s, u"3>4"_s } << L { u"ok"_s, u"ok"_s, u"ok"_s } << L { u"2=1"_s, u"3=2"_s, u"4=3"_s };
    QTest::newRow("chain blocked at its end") << L { u"a"_s, u"b"_s, u"c"_s } << L { u"a>b"_s, u"b>c"_s } << L { u"taken"_s, u"taken"_s } << L { u"a"_s, u"b"_s, u"c"_s };
    QTest::newRow("chain through a row that failed") << L { u"a"_s, u"b"_s, u"c"_s } << L { u"a>b"_s, u"b>x"_s, u"c>x"_s } << L { u"ok"_s, u"ok"_s, u"same2"_s } << L { u"b=a"_s, u"c"_s, u"x=b"_s };
    QTest::newRow("swap") << L { u"a"_s, u"b"_s } << L { u"a>b"_s, u"b>a"_s } << L { u"ok"_s, u"ok"_s } << L { u"a=b"_s, u"b=a"_s };
    QTest::newRow("three-cycle and a four-cycle") << L { u"a"_s, u"b"_s, u"c"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s } << L { u"a>b"_s, u"b>c"_s, u"c>a"_s, u"1>2"_s, u"2>3"_s, u"3>4"_s, u"4>1"_s } << L { u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s } << L { u"a=c"_s, u"b=a"_s, u"c=b"_s, u"1=4"_s, u"2=1"_s, u"3=2"_s, u"4=3"_s };
    // One folder under several spellings: the same files, whatever the spelling.
    QTest::newRow("same file through two spellings") << L { u"a"_s } << L { u"a>x"_s, u"~a>y"_s } << L { u"ok"_s, u"dup"_s } << L { u"x=a"_s };
    QTest::newRow("same file through a link to its folder") << L { u"a"_s } << L { u"@a>x"_s, u"a>x"_s } << L { u"ok"_s, u"ok"_s } << L { u"x=a"_s };
    QTest::newRow("numbering the same folder twice") << L { u"1"_s, u"2"_s } << L { u"1>2"_s, u"2>3"_s, u"@1>4"_s, u"@2>5"_s } << L { u"ok"_s, u"ok"_s, u"dup"_s, u"dup"_s } << L { u"2=1"_s, u"3=2"_s };
    QTest::newRow("a name claimed through another spelling") << L { u"a"_s, u"b"_s } << L { u"a>x"_s, u"%b>x"_s } << L { u"ok"_s, u"same1"_s } << L { u"b"_s, u"x=a"_s };
    QTest::newRow("a cycle across spellings") << L { u"a"_s, u"b"_s, u"c"_s } << L { u"a>b"_s, u"~b>c"_s, u"@c>a"_s } << L { u"ok"_s, u"ok"_s, u"ok"_s } << L { u"a=c"_s, u"b=a"_s, u"c=b"_s };
    QTest::newRow("a chain across spellings") << L { u"a"_s, u"b"_s } << L { u"%a>b"_s, u"b>c"_s } << L { u"ok"_s, u"ok"_s } << L { u"b=a"_s, u"c=b"_s };
    // clang-format on
}

// The check (against the listed folder) and the pass (on the disk) judge every row alike.
void TestBatchRename::checkAgreesWithPass()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, afterPass);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString top = dir.path() + u"/top"_s;
    QVERIFY(QDir().mkdir(top));
    QVERIFY(QFile::link(top, dir.path() + u"/link"_s));
    QVERIFY(folderstate::layOut(top, entries));
    QList<batchrename::Request> requests;
    QStringList folders;
    for (const QString& row : rows) {
        requests.append(request(dir.path(), row));
        folders << requests.last().folder;
    }

    const QList<batchrename::Result> checked = batchrename::checkBatch(requests, batchrename::readFolderFacts(folders));
    QCOMPARE(folderstate::describe(top), folderstate::sorted(entries)); // the check touched nothing
    QCOMPARE(codes(checked), expected);
    QCOMPARE(codes(batchrename::renameBatch(requests)), expected);
    QCOMPARE(folderstate::describe(top), folderstate::sorted(afterPass));
    QCOMPARE(folderstate::describe(dir.path()), folderstate::sorted({ u"link@"_s + top, u"top/"_s }));
}

// A pass cancelled between two steps (a move, also inside a chain, or a whole cycle): the moves made are
// reported, the others are not reached and their rows keep what they had; nothing is left half done, and
// the restore undoes what was done.
void TestBatchRename::cancelLeavesUnreachedRowsAlone()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QStringList files { u"a"_s, u"b"_s, u"c"_s, u"1"_s, u"2"_s, u"p"_s, u"q"_s };
    QVERIFY(folderstate::layOut(dir.path(), files));
    RenameList list;
    // Steps: 0 and 1 the chain 2 -> 3, 1 -> 2; 2 p -> r; 3 q -> s; 4 the cycle a -> b -> c -> a (cycles
    // come last).
    fill(list, dir.path(), { u"1>2"_s, u"2>3"_s, u"p>r"_s, u"a>b"_s, u"b>c"_s, u"c>a"_s, u"q>s"_s, u"x>"_s });
    for (int row = 0; row < list.count(); ++row)
        list.setOutcome(row, u"before"_s, RowIcon::Added);

    for (const int stopAt : { 0, 1, 3, 4 }) {
        std::atomic<bool> cancel { false };
        batchrename::PassControl control;
        control.cancel = &cancel;
        QList<int> stepsSeen;
        control.beforeStep = [&](int step) {
            stepsSeen << step;
            if (stopAt > 0 && step == stopAt)
                cancel = true; // read right after the hook: step `stopAt` is not made
        };
        int lastDone = -1;
        int lastTotal = -1;
        control.progress = [&](int done, int total) {
            lastDone = done;
            lastTotal = total;
        };
        const QList<batchrename::Result> results = batchrename::renameBatch(batchrename::renameRequests(list), control);
        QCOMPARE(lastTotal, 7);
        const QStringList got = codes(results);
        const int steps = stepsSeen.size();
        QCOMPARE(steps, stopAt == 0 ? 5 : stopAt + 1);
        // Each row is either fully judged or not reached; no temporary name is left.
        const QStringList after = folderstate::describe(dir.path());
        for (const QString& entry : after)
            QVERIFY2(!entry.startsWith(QString::fromUtf8(diskfs::kTemporaryPrefix)), qPrintable(entry));
        QCOMPARE(after.size(), files.size());
        QCOMPARE(lastDone, static_cast<int>(got.count(u"ok"_s)));
        const QString no = u"unreached"_s;
        if (stopAt == 1)
            QCOMPARE(got, (QStringList { no, u"ok"_s, no, no, no, no, no, no }));
        if (stopAt == 3)
            QCOMPARE(got, (QStringList { u"ok"_s, u"ok"_s, u"ok"_s, no, no, no, no, no }));
        if (stopAt == 4)
            QCOMPARE(got, (QStringList { u"ok"_s, u"ok"_s, u"ok"_s, no, no, no, u"ok"_s, no }));
        if (stopAt == 0)
            QCOMPARE(got.last(), u"empty"_s);
        batchrename::applyRenameResults(list, results);
        for (int row = 0; row < list.count(); ++row) {
            const QString expected = got[row] == u"ok"_s ? outcome::succeeded()
                : got[row] == no                         ? u"before"_s
                                                         : outcome::failed();
            QCOMPARE(list.outcome(row), expected);
        }
        batchrename::restoreAll(list);
        QCOMPARE(folderstate::describe(dir.path()), folderstate::sorted(files));
        for (int row = 0; row < list.count(); ++row)
            list.setOutcome(row, u"before"_s, RowIcon::Added);
    }
}

// The commonest renumbering is one long chain: its progress is told every 256 moves, and a cancel stops it
// after the move under way. A long cycle is never cut, but tells its progress per exchange.
void TestBatchRename::longChainTellsProgressAndStops()
{
    // Hundreds of files: in memory where there is a memory file system, so that the test stays quick.
    const QFileInfo shm(u"/dev/shm"_s);
    QTemporaryDir dir(
        (shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath()) + u"/tst_batchrename-XXXXXX"_s);
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString folder = dir.path() + u'/';
    QStringList files;
    QStringList afterChain;
    QList<batchrename::Request> chain;
    QList<batchrename::Request> cycle;
    for (int i = 1; i <= 300; ++i) {
        files << u"c%1"_s.arg(i);
        chain.append({ folder, u"c%1"_s.arg(i), u"c%1"_s.arg(i + 1) });
        afterChain << (i <= 30 ? files.last() : u"c%1=c%2"_s.arg(i + 1).arg(i));
    }
    for (int i = 0; i < 260; ++i) {
        files << u"y%1"_s.arg(i);
        afterChain << files.last();
        cycle.append({ folder, u"y%1"_s.arg(i), u"y%1"_s.arg((i + 1) % 260) });
    }
    QVERIFY(folderstate::layOut(dir.path(), files));

    std::atomic<bool> cancel { false };
    batchrename::PassControl control;
    control.cancel = &cancel;
    control.beforeStep = [&](int step) {
        if (step == 270)
            cancel = true; // read right after the hook: 270 moves are made, then the pass stops
    };
    QList<QPair<int, int>> told;
    control.progress = [&](int done, int total) { told.append({ done, total }); };
    const QStringList got = codes(batchrename::renameBatch(chain, control));
    QCOMPARE(told, (QList<QPair<int, int>> { { 256, 300 }, { 270, 300 } }));
    // The chain is made from its free end: the last 270 files moved, the first 30 were not reached.
    QCOMPARE(got.mid(0, 30), QStringList(30, u"unreached"_s));
    QCOMPARE(got.mid(30), QStringList(270, u"ok"_s));
    QCOMPARE(folderstate::describe(dir.path()), folderstate::sorted(afterChain));

    told.clear();
    cancel = false;
    control.beforeStep = {};
    QCOMPARE(codes(batchrename::renameBatch(cycle, control)), QStringList(260, u"ok"_s));
    QCOMPARE(told, (QList<QPair<int, int>> { { 256, 260 }, { 260, 260 } }));
}

// In a folder where names can be added but not removed, the link-then-unlink rename gets as far as the
// link; the unlink and the undo are both refused. The row must read failed, with the reason and both names.
void TestBatchRename::appendOnlyFolderTellsTheTruth()
{
    QFETCH_GLOBAL(bool, noReplaceMissing);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString top = dir.path() + u"/top"_s;
    QVERIFY(QDir().mkdir(top));
    QVERIFY(folderstate::layOut(top, { u"a"_s, u"b"_s }));
    if (!setImmutable(top, true, FS_APPEND_FL))
        QSKIP("this user or file system cannot make a folder append-only");
    const QList<batchrename::Result> results
        = batchrename::renameBatch({ { top + u'/', u"a"_s, u"x"_s }, { top + u'/', u"b"_s, u"a"_s } });
    const QStringList after = folderstate::describe(top);
    QVERIFY(setImmutable(top, false, FS_APPEND_FL));
    const QString denied = noReplaceMissing ? u"文件现有两个名称：“a”、“x”（没有权限）"_s : u"denied"_s;
    QCOMPARE(codes(results), (QStringList { denied, u"taken"_s }));
    // Without a no-replace rename the file is left with its new name as well: the row still reads failed.
    const QStringList expected
        = noReplaceMissing ? QStringList { u"a"_s, u"b"_s, u"x=a"_s } : QStringList { u"a"_s, u"b"_s };
    QCOMPARE(after, expected);
}

namespace {

// "call errno skip times" (see diskfs::failCallForTesting): "lookup EACCES 0 -1".
void failCalls(const QStringList& faults)
{
    static const QHash<QString, diskfs::Call> calls { { u"lookup"_s, diskfs::Call::Lookup },
        { u"list"_s, diskfs::Call::ListFolder }, { u"exchange"_s, diskfs::Call::Exchange },
        { u"unlink"_s, diskfs::Call::Unlink } };
    static const QHash<QString, int> errors { { u"EACCES"_s, EACCES }, { u"EPERM"_s, EPERM }, { u"EBUSY"_s, EBUSY } };
    for (const QString& fault : faults) {
        const QStringList part = fault.split(u' ');
        QVERIFY2(part.size() == 4 && calls.contains(part[0]) && errors.contains(part[1]), qPrintable(fault));
        diskfs::failCallForTesting(calls[part[0]], errors[part[1]], part[2].toInt(), part[3].toInt());
    }
}

} // namespace

// A system call that fails (a folder that may be listed but not searched or the reverse, a removal or an
// exchange refused): the check and the pass tell what they can know, and every row tells where its file is.
void TestBatchRename::failingCallTellsTheTruth_data()
{
    QTest::addColumn<QString>("mode"); // the file system kind the row needs ("" any, see initTestCase_data)
    QTest::addColumn<QStringList>("entries"); // folder contents before (see folderstate::layOut)
    QTest::addColumn<QStringList>("failing"); // see failCalls
    QTest::addColumn<QStringList>("rows"); // "old>new"
    QTest::addColumn<QStringList>("checked"); // per row: the check's code (see code())
    QTest::addColumn<QStringList>("passed"); // per row: the pass's code
    QTest::addColumn<QStringList>("afterPass"); // folder contents (see folderstate::describe)

    // clang-format off
    using L = QStringList;
    const QString busy = u"reason 被其他程序占用"_s;
    QTest::newRow("folder that can be listed but not searched") << QString() << L { u"a"_s, u"b"_s } << L { u"lookup EACCES 0 -1"_s } << L { u"a>x"_s, u"b>b"_s } << L { u"denied"_s, u"denied"_s } << L { u"denied"_s, u"denied"_s } << L { u"a"_s, u"b"_s };
    QTest::newRow("folder that can be searched but not listed") << QString() << L { u"a"_s, u"b"_s, u"c"_s } << L { u"list EACCES 0 -1"_s } << L { u"a>x"_s, u"c>b"_s, u"z>y"_s } << L { u"ok"_s, u"taken"_s, u"missing"_s } << L { u"ok"_s, u"taken"_s, u"missing"_s } << L { u"b"_s, u"c"_s, u"x=a"_s };
    QTest::newRow("unlink refused once: the new link goes again") << u"link and unlink"_s << L { u"a"_s } << L { u"unlink EPERM 0 1"_s } << L { u"a>b"_s } << L { u"ok"_s } << L { u"denied"_s } << L { u"a"_s };
    QTest::newRow("both unlinks refused: the file bears two names") << u"link and unlink"_s << L { u"a"_s } << L { u"unlink EPERM 0 2"_s } << L { u"a>b"_s } << L { u"ok"_s } << L { u"文件现有两个名称：“a”、“b”（没有权限）"_s } << L { u"a"_s, u"b=a"_s };
    QTest::newRow("both unlinks refused in a swap: the temporary name is told") << u"link and unlink"_s << L { u"a"_s, u"b"_s } << L { u"unlink EPERM 0 2"_s } << L { u"a>b"_s, u"b>a"_s } << L { u"ok"_s, u"ok"_s } << L { u"文件现有两个名称：“a”、“<临时>-a”（没有权限）"_s, u"denied"_s } << L { u"<临时>-a=a"_s, u"a"_s, u"b"_s };
    QTest::newRow("an exchange and its undo refused") << u"renameat2"_s << L { u"a"_s, u"b"_s, u"c"_s } << L { u"exchange EBUSY 1 2"_s } << L { u"a>b"_s, u"b>c"_s, u"c>a"_s } << L { u"ok"_s, u"ok"_s, u"ok"_s } << L { u"ok"_s, u"文件现名为“a”（被其他程序占用）"_s, busy } << L { u"a=b"_s, u"b=a"_s, u"c"_s };
    QTest::newRow("undoing goes on past a refused undo") << u"renameat2"_s << L { u"a"_s, u"b"_s, u"c"_s, u"d"_s } << L { u"exchange EBUSY 2 2"_s } << L { u"a>b"_s, u"b>c"_s, u"c>d"_s, u"d>a"_s } << L { u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s } << L { busy, u"ok"_s, u"文件现名为“b”（被其他程序占用）"_s, busy } << L { u"a"_s, u"b=c"_s, u"c=b"_s, u"d"_s };
    // clang-format on
}

void TestBatchRename::failingCallTellsTheTruth()
{
    QFETCH(QString, mode);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, failing);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, checked);
    QFETCH(QStringList, passed);
    QFETCH(QStringList, afterPass);
    QFETCH_GLOBAL(bool, noReplaceMissing);
    QFETCH_GLOBAL(bool, exchangeMissing);
    const QString here = noReplaceMissing ? u"link and unlink"_s : exchangeMissing ? u"no exchange"_s : u"renameat2"_s;
    if (!mode.isEmpty() && mode != here)
        QSKIP("the row is about another kind of file system");
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QVERIFY(folderstate::layOut(dir.path(), entries));
    QList<batchrename::Request> requests;
    for (const QString& row : rows)
        requests.append({ dir.path() + u'/', row.section(u'>', 0, 0), row.section(u'>', 1) });
    failCalls(failing);
    const QStringList checkedNow
        = codes(batchrename::checkBatch(requests, batchrename::readFolderFacts({ dir.path() + u'/' })));
    const QStringList passedNow = codes(batchrename::renameBatch(requests));
    diskfs::clearFailuresForTesting();
    QCOMPARE(checkedNow, checked);
    QCOMPARE(passedNow, passed);
    QStringList after;
    for (const QString& entry : folderstate::describe(dir.path()))
        after << withoutNumbers(entry);
    QCOMPARE(folderstate::sorted(after), folderstate::sorted(afterPass));
}

// Another program puts a look-alike folder in place of a folder of the batch while the pass is in another
// folder: the pass must not rename the look-alike's files, nor say the listed files were renamed.
void TestBatchRename::folderSwappedDuringPass()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString d = dir.path() + u"/d"_s;
    const QString e = dir.path() + u"/e"_s;
    QVERIFY(QDir().mkdir(d) && QDir().mkdir(e));
    QVERIFY(folderstate::layOut(d, { u"a"_s, u"b"_s }));
    QVERIFY(folderstate::layOut(e, { u"p"_s }));
    batchrename::PassControl control;
    bool swapped = false;
    control.beforeStep = [&](int step) {
        if (step != 1)
            return;
        swapped
            = QDir().rename(d, dir.path() + u"/old"_s) && QDir().mkdir(d) && folderstate::layOut(d, { u"a"_s, u"b"_s });
    };
    // Steps: 0 a -> x in d, 1 p -> q in e, 2 b -> y in d (opened again).
    const QList<batchrename::Result> results = batchrename::renameBatch(
        { { d + u'/', u"a"_s, u"x"_s }, { e + u'/', u"p"_s, u"q"_s }, { d + u'/', u"b"_s, u"y"_s } }, control);
    QVERIFY(swapped);
    QCOMPARE(codes(results), (QStringList { u"ok"_s, u"ok"_s, u"missing"_s }));
    QCOMPARE(folderstate::describe(d), (QStringList { u"a"_s, u"b"_s }));
    QCOMPARE(folderstate::describe(dir.path() + u"/old"_s), (QStringList { u"b"_s, u"x=a"_s }));
}

QTEST_GUILESS_MAIN(TestBatchRename)
#include "tst_batchrename.moc"
