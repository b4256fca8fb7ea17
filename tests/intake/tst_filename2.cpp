// Tests of FileName2 and of the open-file dialog's outcome turned into split results and rows.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include "intake/addfiles.h"
#include "intake/filename2.h"
#include "rename/renamelist.h"

using namespace Qt::StringLiterals;

class TestFileName2 : public QObject {
    Q_OBJECT

private slots:
    void split_data();
    void split();
    void dialogText_data();
    void dialogText();
    void dialogResult_data();
    void dialogResult();
    void appendRows_data();
    void appendRows();
    void appendKeepsExistingRows();
};

// Test texts spell NUL as "|", which no case below uses otherwise.
static QString withNuls(QString text)
{
    return text.replace(u'|', QChar(0));
}

void TestFileName2::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    // clang-format off
    QTest::newRow("one file") << withNuls(u"/photos/a.jpg|"_s) << QStringList { u"/photos/"_s, u"a.jpg"_s };
    QTest::newRow("three files") << withNuls(u"/photos|a.jpg|b.jpg|c.jpg|"_s) << QStringList { u"/photos/"_s, u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s };
    QTest::newRow("folder already closed") << withNuls(u"/photos/|a.jpg|b.jpg|"_s) << QStringList { u"/photos/"_s, u"a.jpg"_s, u"b.jpg"_s };
    QTest::newRow("one file at the root") << withNuls(u"/a.jpg|"_s) << QStringList { u"/"_s, u"a.jpg"_s };
    QTest::newRow("files at the root keep one separator") << withNuls(u"/|a.jpg|b.jpg|"_s) << QStringList { u"/"_s, u"a.jpg"_s, u"b.jpg"_s };
    QTest::newRow("full path without NUL") << u"/photos/2024/a b.jpg"_s << QStringList { u"/photos/2024/"_s, u"a b.jpg"_s };
    QTest::newRow("no separator") << withNuls(u"a.jpg|"_s) << QStringList { QString(), u"a.jpg"_s };
    QTest::newRow("no separator, no NUL") << u"a.jpg"_s << QStringList { QString(), u"a.jpg"_s };
    QTest::newRow("backslash is part of the name") << withNuls(u"/p/a\\b.jpg|"_s) << QStringList { u"/p/"_s, u"a\\b.jpg"_s };
    QTest::newRow("only NULs") << withNuls(u"|||"_s) << QStringList { QString() };
    QTest::newRow("only spaces") << withNuls(u"   |  |"_s) << QStringList { QString() };
    QTest::newRow("empty text") << QString() << QStringList { QString() };
    QTest::newRow("space pieces dropped, kept pieces untrimmed") << withNuls(u"/p|  |a.jpg|| b.jpg |   |"_s) << QStringList { u"/p/"_s, u"a.jpg"_s, u" b.jpg "_s };
    QTest::newRow("one piece among space pieces is a full path") << withNuls(u"  |/p/q/a.jpg|  |"_s) << QStringList { u"/p/q/"_s, u"a.jpg"_s };
    QTest::newRow("CJK names") << withNuls(u"/家/照片|青禾.jpg|木舟.png|"_s) << QStringList { u"/家/照片/"_s, u"青禾.jpg"_s, u"木舟.png"_s };
    // clang-format on
}

void TestFileName2::split()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(FileName2(text), expected);
}

void TestFileName2::dialogText_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("text");

    // clang-format off
    QTest::newRow("one file is its full path") << QStringList { u"/photos/a.jpg"_s } << withNuls(u"/photos/a.jpg|"_s);
    QTest::newRow("several files: folder then names") << QStringList { u"/photos/a.jpg"_s, u"/photos/b.jpg"_s } << withNuls(u"/photos|a.jpg|b.jpg|"_s);
    QTest::newRow("root folder") << QStringList { u"/a"_s, u"/b"_s } << withNuls(u"/|a|b|"_s);
    QTest::newRow("blank name left out, one left is a full path") << QStringList { u"/p/  "_s, u"/p/a.jpg"_s } << withNuls(u"/p/a.jpg|"_s);
    QTest::newRow("nothing") << QStringList {} << QString();
    // clang-format on
}

void TestFileName2::dialogText()
{
    QFETCH(QStringList, paths);
    QFETCH(QString, text);
    QCOMPARE(intake::openFileDialogText(paths), text);
}

void TestFileName2::dialogResult_data()
{
    QTest::addColumn<intake::DialogOutcome>("outcome");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QList<QStringList>>("expected");
    // clang-format off
    using intake::DialogOutcome;

    QTest::newRow("one file") << DialogOutcome::Chosen << QStringList { u"/photos/a.jpg"_s } << QList<QStringList> { { u"/photos/"_s, u"a.jpg"_s } };
    QTest::newRow("three files keep the dialog's order") << DialogOutcome::Chosen << QStringList { u"/photos/c.jpg"_s, u"/photos/a.jpg"_s, u"/photos/b.jpg"_s } << QList<QStringList> { { u"/photos/"_s, u"c.jpg"_s, u"a.jpg"_s, u"b.jpg"_s } };
    QTest::newRow("files at the root") << DialogOutcome::Chosen << QStringList { u"/a.jpg"_s, u"/b.jpg"_s } << QList<QStringList> { { u"/"_s, u"a.jpg"_s, u"b.jpg"_s } };
    QTest::newRow("two files, one with a blank name") << DialogOutcome::Chosen << QStringList { u"/p/a.jpg"_s, u"/p/ "_s } << QList<QStringList> { { u"/p/"_s, u"a.jpg"_s } };
    QTest::newRow("a name typed with a subfolder stays in its folder") << DialogOutcome::Chosen << QStringList { u"/p/a.jpg"_s, u"/p/sub/b.jpg"_s, u"/p/c.jpg"_s } << QList<QStringList> { { u"/p/"_s, u"a.jpg"_s, u"c.jpg"_s }, { u"/p/sub/"_s, u"b.jpg"_s } };
    QTest::newRow("cancelled") << DialogOutcome::Cancelled << QStringList {} << QList<QStringList> { { QString() } };
    QTest::newRow("confirmed without files is a cancel") << DialogOutcome::Chosen << QStringList {} << QList<QStringList> { { QString() } };
    QTest::newRow("error gives an empty array") << DialogOutcome::Failed << QStringList { u"/p/a.jpg"_s } << QList<QStringList> { QStringList() };
    // clang-format on
}

void TestFileName2::dialogResult()
{
    QFETCH(intake::DialogOutcome, outcome);
    QFETCH(QStringList, paths);
    QFETCH(QList<QStringList>, expected);
    QCOMPARE(intake::openFileDialogResult(outcome, paths), expected);
}

void TestFileName2::appendRows_data()
{
    QTest::addColumn<QStringList>("split");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("folder");

    // clang-format off
    QTest::newRow("three files") << QStringList { u"/photos/"_s, u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s } << QStringList { u"a.jpg"_s, u"b.jpg"_s, u"c.jpg"_s } << u"/photos/"_s;
    QTest::newRow("root") << QStringList { u"/"_s, u"a"_s } << QStringList { u"a"_s } << u"/"_s;
    QTest::newRow("cancelled adds nothing") << QStringList { QString() } << QStringList {} << QString();
    QTest::newRow("error adds nothing") << QStringList {} << QStringList {} << QString();
    // clang-format on
}

void TestFileName2::appendRows()
{
    QFETCH(QStringList, split);
    QFETCH(QStringList, names);
    QFETCH(QString, folder);

    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&list, &RenameList::rowsInserted);
    QCOMPARE(intake::appendSplitFiles(list, split), names.size());
    QCOMPARE(list.oldNames(), names);
    QCOMPARE(inserted.count(), names.isEmpty() ? 0 : 1);
    for (int row = 0; row < list.count(); ++row) {
        QCOMPARE(list.folder(row), folder);
        QCOMPARE(list.icon(row), RowIcon::Added);
        QCOMPARE(list.outcome(row), QString());
    }
}

void TestFileName2::appendKeepsExistingRows()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append(u"old.txt"_s, u"/p/"_s);
    list.setOutcome(0, outcome::succeeded(), RowIcon::Renamed);

    // The same file chosen again becomes a second row after the existing one.
    const QList<QStringList> results
        = intake::openFileDialogResult(intake::DialogOutcome::Chosen, { u"/p/old.txt"_s, u"/p/new.txt"_s });
    QCOMPARE(results.size(), 1);
    QCOMPARE(intake::appendSplitFiles(list, results.at(0)), 2);

    QCOMPARE(list.oldNames(), (QStringList { u"old.txt"_s, u"old.txt"_s, u"new.txt"_s }));
    QCOMPARE(list.outcome(0), outcome::succeeded());
    QCOMPARE(list.icon(0), RowIcon::Renamed);
    QCOMPARE(list.oldPath(2), u"/p/new.txt"_s);
    QCOMPARE(list.icon(2), RowIcon::Added);
}

QTEST_GUILESS_MAIN(TestFileName2)
#include "tst_filename2.moc"
