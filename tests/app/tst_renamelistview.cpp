// The rename list's view: the drop-target mark it keeps for the window.
#include <QAbstractItemModelTester>
#include <QTest>

#include "app/renamelistview.h"
#include "rename/renamelist.h"

class TestRenameListView : public QObject {
    Q_OBJECT

private slots:
    void dropMarkMovesWithItsRow();
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

QTEST_MAIN(TestRenameListView)
#include "tst_renamelistview.moc"
