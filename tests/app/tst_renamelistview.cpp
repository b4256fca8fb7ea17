// The rename list's view: the drop-target mark it keeps for the window, and what a screen reader reads of its cells.
#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QTest>

#include "app/renamelistview.h"
#include "rename/renamelist.h"

class TestRenameListView : public QObject {
    Q_OBJECT

private slots:
    void dropMarkMovesWithItsRow();
    void cellsDescribeFailures_data();
    void cellsDescribeFailures();
    void keysMoveThroughRows_data();
    void keysMoveThroughRows();
};

void TestRenameListView::dropMarkMovesWithItsRow()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    RenameListView view;
    view.setModel(&list);
    list.append({ { QStringLiteral("A"), QStringLiteral("/") }, { QStringLiteral("B"), QStringLiteral("/") } });
    view.setDropMark(1, true);
    QVERIFY(view.isDropMarked(1));
    QVERIFY(!view.isDropMarked(0));
    list.insert(0, { QStringLiteral("C"), QStringLiteral("/") }); // a new row starts plain
    QVERIFY(!view.isDropMarked(0));
    QVERIFY(view.isDropMarked(2));
    list.remove(2); // the mark goes with its row
    QVERIFY(!view.isDropMarked(2));
    QVERIFY(!view.isDropMarked(1));
}

void TestRenameListView::keysMoveThroughRows_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("row"); // selected after the key, from row 1 of 3

    QTest::newRow("End") << int(Qt::Key_End) << 2;
    QTest::newRow("Home") << int(Qt::Key_Home) << 0;
    QTest::newRow("Right") << int(Qt::Key_Right) << 1;
    QTest::newRow("Down") << int(Qt::Key_Down) << 2;
}

void TestRenameListView::keysMoveThroughRows()
{
    QFETCH(int, key);
    QFETCH(int, row);
    RenameList list;
    RenameListView view;
    view.setModel(&list);
    list.append({ { QStringLiteral("A"), QStringLiteral("/") }, { QStringLiteral("B"), QStringLiteral("/") },
        { QStringLiteral("C"), QStringLiteral("/") } });
    view.selectRow(1);
    QTest::keyClick(&view, Qt::Key(key));
    QCOMPARE(view.selectedRow(), std::optional<int>(row));
    QCOMPARE(view.currentIndex().column(), 0);
}

// The red of a failing new name and the icon of a failed row are not their only signs: the cell's description says
// why, and the columns carry their captions.
void TestRenameListView::cellsDescribeFailures_data()
{
    QTest::addColumn<QString>("checkReason");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("outcomeReason");
    QTest::addColumn<QString>("newNameDescription");
    QTest::addColumn<QString>("outcomeDescription");

    // clang-format off
    QTest::newRow("would be renamed") << "" << "" << "" << "" << "";
    QTest::newRow("name taken") << "文件夹中已有同名文件" << "" << "" << "无法更名：文件夹中已有同名文件" << "";
    QTest::newRow("same new name as row 1") << "与第 1 行的新文件名相同" << "" << "" << "无法更名：与第 1 行的新文件名相同" << "";
    QTest::newRow("failed") << "" << "失败" << "没有权限" << "" << "没有权限";
    QTest::newRow("renamed") << "" << "成功" << "" << "" << "";
    // clang-format on
}

void TestRenameListView::cellsDescribeFailures()
{
    QFETCH(QString, checkReason);
    QFETCH(QString, outcome);
    QFETCH(QString, outcomeReason);
    QFETCH(QString, newNameDescription);
    QFETCH(QString, outcomeDescription);

    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    RenameListView view;
    view.setModel(&list);
    list.append(
        { { QStringLiteral("a.txt"), QStringLiteral("/d/") }, { QStringLiteral("b.txt"), QStringLiteral("/d/") } });
    list.setNewNames({ QStringLiteral("1.txt"), QStringLiteral("1.txt") });
    list.setCheckReasons({ QString(), checkReason });
    list.setOutcome(1, outcome, outcome == u"失败" ? RowIcon::RenameFailed : RowIcon::Renamed, outcomeReason);
    view.show(); // the tree lays out its rows, which a screen reader reads, when it is shown
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(seen && seen->tableInterface());
    QAccessibleTableInterface* table = seen->tableInterface();
    QCOMPARE(table->columnDescription(RenameList::NewNameColumn), QStringLiteral("新文件名"));
    QAccessibleInterface* newName = table->cellAt(1, RenameList::NewNameColumn);
    QVERIFY(newName);
    QCOMPARE(newName->text(QAccessible::Name), QStringLiteral("1.txt"));
    QCOMPARE(newName->text(QAccessible::Description), newNameDescription);
    QCOMPARE(table->cellAt(1, RenameList::OutcomeColumn)->text(QAccessible::Description), outcomeDescription);
    QCOMPARE(table->cellAt(0, RenameList::NewNameColumn)->text(QAccessible::Description), QString());
}

QTEST_MAIN(TestRenameListView)
#include "tst_renamelistview.moc"
