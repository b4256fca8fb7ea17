// Tests of the rename list model: columns, row operations, carried cells and the one-pass refresh.
#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

#include "rename/namegenerator.h"
#include "rename/renamelist.h"

class TestRenameList : public QObject {
    Q_OBJECT

private slots:
    void headers();
    void appendAddsClosingSeparator_data();
    void appendAddsClosingSeparator();
    void paths();
    void insertRemoveClear();
    void exchangeCarriesOnlyCarriedCells();
    void refreshWritesAllNamesWithOneSignal();
    void refreshOnEmptyListDoesNothing();
    void outcomeAndIcon();
    void bulkOutcomesAndReasons();
    void dragDataIsOldName();
    void sameFileTwice();

private:
    static QStringList column(const RenameList& list, int col);
};

QStringList TestRenameList::column(const RenameList& list, int col)
{
    QStringList out;
    for (int r = 0; r < list.rowCount(); ++r)
        out << list.index(r, col).data().toString();
    return out;
}

void TestRenameList::headers()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(list.columnCount(), 4);
    const QStringList expected { QStringLiteral("原文件名"), QStringLiteral("URL"), QStringLiteral("新文件名"),
        QStringLiteral("处理结果") };
    for (int c = 0; c < 4; ++c)
        QCOMPARE(list.headerData(c, Qt::Horizontal).toString(), expected.at(c));
}

void TestRenameList::appendAddsClosingSeparator_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("stored");
    // clang-format off
    QTest::newRow("without") << "/home/u/pics" << "/home/u/pics/";
    QTest::newRow("with") << "/home/u/pics/" << "/home/u/pics/";
    QTest::newRow("root") << "/" << "/";
    QTest::newRow("empty stays empty") << "" << "";
    // clang-format on
}

void TestRenameList::appendAddsClosingSeparator()
{
    QFETCH(QString, folder);
    QFETCH(QString, stored);
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append(QStringLiteral("a.jpg"), folder);
    QCOMPARE(list.folder(0), stored);
    QCOMPARE(list.index(0, RenameList::FolderColumn).data().toString(), stored);
    QCOMPARE(list.icon(0), RowIcon::Added);
    QCOMPARE(list.index(0, 0).data(RenameList::IconRole).toInt(), 1);
    QCOMPARE(list.outcome(0), QString());
}

void TestRenameList::paths()
{
    RenameList list;
    list.append(QStringLiteral("a.jpg"), QStringLiteral("/p"));
    list.setNewNames({ QStringLiteral("b.jpg") });
    QCOMPARE(list.oldPath(0), QStringLiteral("/p/a.jpg"));
    QCOMPARE(list.newPath(0), QStringLiteral("/p/b.jpg"));
}

void TestRenameList::insertRemoveClear()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append({ { QStringLiteral("A"), QStringLiteral("/f/") }, { QStringLiteral("C"), QStringLiteral("/f/") } });
    list.insert(1, { QStringLiteral("B"), QStringLiteral("/g"), RowIcon::Renamed });
    QCOMPARE(column(list, 0), (QStringList { u"A"_s, u"B"_s, u"C"_s }));
    QCOMPARE(list.folder(1), QStringLiteral("/g/"));
    QCOMPARE(list.icon(1), RowIcon::Renamed);
    list.insert(3, { QStringLiteral("D"), QStringLiteral("/f/") });
    list.remove(0);
    QCOMPARE(column(list, 0), (QStringList { u"B"_s, u"C"_s, u"D"_s }));
    list.clear();
    QCOMPARE(list.rowCount(), 0);
}

void TestRenameList::exchangeCarriesOnlyCarriedCells()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append({ { QStringLiteral("A"), QStringLiteral("/a/") }, { QStringLiteral("B"), QStringLiteral("/b/") } });
    list.setNewNames({ QStringLiteral("n1"), QStringLiteral("n2") });
    list.setOutcome(0, outcome::succeeded(), RowIcon::Renamed);
    list.setOutcome(1, outcome::failed(), RowIcon::RenameFailed);

    list.exchangeCarried(0, 1);
    QCOMPARE(column(list, 0), (QStringList { u"B"_s, u"A"_s }));
    QCOMPARE(column(list, 1), (QStringList { u"/b/"_s, u"/a/"_s }));
    QCOMPARE(list.icon(0), RowIcon::RenameFailed); // icons travel with their files
    QCOMPARE(list.icon(1), RowIcon::Renamed);
    QCOMPARE(column(list, 2), (QStringList { u"n1"_s, u"n2"_s })); // new names and outcomes stay put
    QCOMPARE(column(list, 3), (QStringList { outcome::succeeded(), outcome::failed() }));
}

void TestRenameList::refreshWritesAllNamesWithOneSignal()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append({ { QStringLiteral("x.txt"), QStringLiteral("/f/") }, { QStringLiteral("y"), QStringLiteral("/f/") },
        { QStringLiteral("z.tar.gz"), QStringLiteral("/f/") } });
    QSignalSpy changed(&list, &RenameList::dataChanged);
    PlanSettings s;
    s.prefix = QStringLiteral("青禾");
    s.digitsText = QStringLiteral("2");
    list.refreshNewNames(s);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), list.index(0, RenameList::NewNameColumn));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), list.index(2, RenameList::NewNameColumn));
    QCOMPARE(column(list, 2), (QStringList { u"青禾01.txt"_s, u"青禾02"_s, u"青禾03.gz"_s }));
}

void TestRenameList::refreshOnEmptyListDoesNothing()
{
    RenameList list;
    QSignalSpy changed(&list, &RenameList::dataChanged);
    list.refreshNewNames(PlanSettings {});
    QCOMPARE(changed.count(), 0);
}

void TestRenameList::outcomeAndIcon()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append(QStringLiteral("a"), QStringLiteral("/f/"));
    QSignalSpy changed(&list, &RenameList::dataChanged);
    list.setOutcome(0, outcome::restoreFailed(), RowIcon::RestoreFailed);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(list.index(0, RenameList::OutcomeColumn).data().toString(), QStringLiteral("还原失败"));
    QCOMPARE(list.index(0, 0).data(RenameList::IconRole).toInt(), 5);
}

// Outcomes written in bulk raise one change signal; reasons stay with their rows through row operations.
void TestRenameList::bulkOutcomesAndReasons()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const char* name : { "A", "B", "C", "D" })
        list.append(QString::fromLatin1(name), QStringLiteral("/f/"));
    QSignalSpy changed(&list, &RenameList::dataChanged);
    list.setOutcomes({ 1, 3 },
        { { outcome::succeeded(), RowIcon::Renamed, {}, {} },
            { outcome::failed(), RowIcon::RenameFailed, u"没有权限"_s, {} } });
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 1);
    QCOMPARE(changed.at(0).at(1).toModelIndex().row(), 3);
    QCOMPARE(column(list, 3), (QStringList { QString(), outcome::succeeded(), QString(), outcome::failed() }));
    QCOMPARE(list.icon(3), RowIcon::RenameFailed);
    QCOMPARE(list.index(3, RenameList::OutcomeColumn).data(RenameList::OutcomeReasonRole).toString(), u"没有权限"_s);

    list.setCheckReasons({ u"x"_s, QString(), u"y"_s, QString() });
    QCOMPARE(changed.count(), 2);
    QCOMPARE(list.failingCount(), 2);
    list.setCheckReasons({ u"x"_s, QString(), u"y"_s, QString() }); // unchanged: no signal
    QCOMPARE(changed.count(), 2);
    list.remove(0);
    QCOMPARE(list.failingCount(), 1);
    QCOMPARE(list.checkReason(1), u"y"_s);
    QCOMPARE(list.outcomeReason(2), u"没有权限"_s);
    list.insert(0, { u"E"_s, u"/f/"_s });
    QCOMPARE(list.checkReason(0), QString());
    QCOMPARE(list.index(2, RenameList::NewNameColumn).data(RenameList::CheckReasonRole).toString(), u"y"_s);
    list.setCheckReasons({});
    QCOMPARE(list.failingCount(), 0);
    QCOMPARE(list.checkReason(2), QString());
    list.setCheckReasons({ u"z"_s, QString(), QString(), QString() });
    list.clear();
    QCOMPARE(list.failingCount(), 0);
}

void TestRenameList::dragDataIsOldName()
{
    RenameList list;
    list.append({ { QStringLiteral("A.jpg"), QStringLiteral("/") }, { QStringLiteral("B.jpg"), QStringLiteral("/") } });
    std::unique_ptr<QMimeData> data(list.mimeData({ list.index(1, 0), list.index(1, 2) }));
    QVERIFY(data);
    QCOMPARE(data->text(), QStringLiteral("B.jpg"));
    QVERIFY(!data->hasUrls());
}

void TestRenameList::sameFileTwice()
{
    RenameList list;
    list.append(QStringLiteral("a.txt"), QStringLiteral("/f"));
    list.append(QStringLiteral("a.txt"), QStringLiteral("/f"));
    QCOMPARE(list.rowCount(), 2);
    list.refreshNewNames(PlanSettings {});
    QCOMPARE(column(list, 2), (QStringList { u"1.txt"_s, u"2.txt"_s }));
}

QTEST_GUILESS_MAIN(TestRenameList)
#include "tst_renamelist.moc"
