// Tests of drag-and-drop reordering: where a dropped row lands, which drops are ignored, and the highlight.
#include <algorithm>
#include <limits>

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "intake/dragdrop.h"
#include "rename/namegenerator.h"
#include "rename/renamelist.h"

using namespace Qt::StringLiterals;

class TestDragDrop : public QObject {
    Q_OBJECT

private slots:
    void drop_data();
    void drop();
    void dropMimeData_data();
    void dropMimeData();
    void numberingFollowsDrop();
    void highlightedRow_data();
    void highlightedRow();
    void dragOverMovesHighlight();
    void staleHighlightNumber();
};

namespace {

const QStringList kNames { u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s };

// The first `rows` of A..E after a rename pass: every row "成功", each with its own icon and folder.
void fill(RenameList& list, int rows)
{
    QList<RenameList::Entry> entries;
    for (int r = 0; r < rows; ++r)
        entries.append({ kNames.at(r), u"/"_s + kNames.at(r).toLower(), static_cast<RowIcon>(r + 1) });
    list.append(entries);
    for (int r = 0; r < rows; ++r)
        list.setOutcome(r, outcome::succeeded(), static_cast<RowIcon>(r + 1));
}

std::optional<int> row(int value)
{
    return value < 0 ? std::nullopt : std::optional<int>(value);
}

// Checks that every row still carries its own folder and icon, and which rows kept their outcome.
void verifyCarried(const RenameList& list, std::optional<int> moved)
{
    for (int r = 0; r < list.count(); ++r) {
        const qsizetype original = kNames.indexOf(list.oldName(r));
        QVERIFY(original >= 0);
        QCOMPARE(list.folder(r), u"/"_s + list.oldName(r).toLower() + u"/"_s);
        QCOMPARE(list.icon(r), static_cast<RowIcon>(original + 1));
        QCOMPARE(list.outcome(r), moved == r ? QString() : outcome::succeeded());
    }
}

} // namespace

void TestDragDrop::drop_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<int>("target"); // -1: over no row
    QTest::addColumn<bool>("hasFiles");
    QTest::addColumn<bool>("hasText");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("selection"); // -1: none
    QTest::addColumn<bool>("refresh");

    // clang-format off
    const QStringList unchanged = kNames;
    QTest::newRow("downward: B onto D") << 5 << 1 << 3 << false << true << u"B"_s << QStringList { u"A"_s, u"C"_s, u"D"_s, u"B"_s, u"E"_s } << 3 << true;
    QTest::newRow("upward: D onto B") << 5 << 3 << 1 << false << true << u"D"_s << QStringList { u"A"_s, u"D"_s, u"B"_s, u"C"_s, u"E"_s } << 1 << true;
    QTest::newRow("onto the last row") << 5 << 0 << 4 << false << true << u"A"_s << QStringList { u"B"_s, u"C"_s, u"D"_s, u"E"_s, u"A"_s } << 4 << true;
    QTest::newRow("onto the first row") << 5 << 4 << 0 << false << true << u"E"_s << QStringList { u"E"_s, u"A"_s, u"B"_s, u"C"_s, u"D"_s } << 0 << true;
    QTest::newRow("onto itself keeps its place") << 5 << 2 << 2 << false << true << u"C"_s << unchanged << 2 << true;
    QTest::newRow("below the last row goes to the end") << 5 << 1 << -1 << false << true << u"B"_s << QStringList { u"A"_s, u"C"_s, u"D"_s, u"E"_s, u"B"_s } << 4 << true;
    QTest::newRow("last row below the last row stays last") << 5 << 4 << -1 << false << true << u"E"_s << unchanged << 4 << true;
    QTest::newRow("two rows, swapped") << 2 << 1 << 0 << false << true << u"B"_s << QStringList { u"B"_s, u"A"_s } << 0 << true;

    QTest::newRow("file list ignored even with matching text") << 5 << 1 << 3 << true << true << u"B"_s << unchanged << 1 << false;
    QTest::newRow("no text ignored") << 5 << 1 << 3 << false << false << QString() << unchanged << 1 << false;
    QTest::newRow("foreign text equal to the selected row moves it") << 5 << 0 << 2 << false << true << u"A"_s << QStringList { u"B"_s, u"C"_s, u"A"_s, u"D"_s, u"E"_s } << 2 << true;
    QTest::newRow("text of another row ignored") << 5 << 0 << 2 << false << true << u"C"_s << unchanged << 0 << false;
    QTest::newRow("text differing in case ignored") << 5 << 0 << 2 << false << true << u"a"_s << unchanged << 0 << false;
    QTest::newRow("empty text ignored") << 5 << 0 << 2 << false << true << QString() << unchanged << 0 << false;
    QTest::newRow("no selection ignored") << 5 << -1 << 2 << false << true << u"A"_s << unchanged << -1 << false;
    QTest::newRow("one row ignored") << 1 << 0 << 0 << false << true << u"A"_s << QStringList { u"A"_s } << 0 << false;
    QTest::newRow("empty list ignored") << 0 << -1 << -1 << false << true << u"A"_s << QStringList {} << -1 << false;
    // clang-format on
}

void TestDragDrop::drop()
{
    QFETCH(int, rows);
    QFETCH(int, selected);
    QFETCH(int, target);
    QFETCH(bool, hasFiles);
    QFETCH(bool, hasText);
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    QFETCH(int, selection);
    QFETCH(bool, refresh);

    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(list, rows);

    const intake::OrderResult result = intake::dropRow(
        list, row(selected), row(target), hasFiles, hasText ? std::optional<QString>(text) : std::nullopt);
    QCOMPARE(list.oldNames(), names);
    QCOMPARE(result.selection, row(selection));
    QCOMPARE(result.refreshNames, refresh);
    verifyCarried(list, refresh ? result.selection : std::nullopt);
}

void TestDragDrop::dropMimeData_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<bool>("hasText");
    QTest::addColumn<bool>("moved");

    // clang-format off
    QTest::newRow("the list's own drag data") << QList<QUrl> {} << true << true;
    QTest::newRow("files from a file manager") << QList<QUrl> { QUrl::fromLocalFile(u"/tmp/B"_s) } << true << false;
    QTest::newRow("a web link with the row's text") << QList<QUrl> { QUrl(u"https://example.com/B"_s) } << true << true;
    QTest::newRow("a web link without text") << QList<QUrl> { QUrl(u"https://example.com/B"_s) } << false << false;
    // clang-format on
}

void TestDragDrop::dropMimeData()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(bool, hasText);
    QFETCH(bool, moved);

    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(list, 5);
    QMimeData data;
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (hasText)
        data.setText(u"B"_s);

    const intake::OrderResult result = intake::dropRow(list, 1, 3, data);
    QCOMPARE(result.refreshNames, moved);
    QCOMPARE(list.oldName(3), moved ? u"B"_s : u"D"_s);
}

void TestDragDrop::numberingFollowsDrop()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append({ { u"A.jpg"_s, u"/p/"_s }, { u"B.jpg"_s, u"/p/"_s }, { u"C.jpg"_s, u"/p/"_s } });
    PlanSettings settings;
    list.refreshNewNames(settings);

    // The third row dropped onto the first, as a user reorders before renaming.
    const intake::OrderResult result = intake::dropRow(list, 2, 0, false, u"C.jpg"_s);
    QCOMPARE(result.selection, 0);
    QCOMPARE(list.newName(0), QString()); // the moved row waits for the refresh
    QVERIFY(result.refreshNames);
    list.refreshNewNames(settings);
    QCOMPARE(list.oldNames(), (QStringList { u"C.jpg"_s, u"A.jpg"_s, u"B.jpg"_s }));
    QCOMPARE(list.newNames(), (QStringList { u"1.jpg"_s, u"2.jpg"_s, u"3.jpg"_s }));
}

void TestDragDrop::highlightedRow_data()
{
    QTest::addColumn<int>("marked"); // -1: none
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<int>("expected"); // -1: none

    // clang-format off
    QTest::newRow("none before the first highlight") << -1 << 5 << -1;
    QTest::newRow("first row") << 0 << 5 << 0;
    QTest::newRow("last row") << 4 << 5 << 4;
    QTest::newRow("beyond the rows left") << 5 << 5 << -1;
    QTest::newRow("no rows left") << 0 << 0 << -1;
    QTest::newRow("negative") << -2 << 5 << -1;
    QTest::newRow("far beyond") << std::numeric_limits<int>::max() << 5 << -1;
    // clang-format on
}

void TestDragDrop::highlightedRow()
{
    QFETCH(int, marked);
    QFETCH(int, rowCount);
    QFETCH(int, expected);
    const std::optional<int> stored = marked == -1 ? std::nullopt : std::optional<int>(marked);
    QCOMPARE(intake::highlightedRow(stored, rowCount), row(expected));
}

namespace {

// The rows a view shows as marked, as the window changes them from the drag-over's decisions.
struct Marks {
    QList<int> rows;
    std::optional<int> remembered;

    void set(int row, bool on)
    {
        rows.removeAll(row);
        if (on)
            rows.append(row);
        std::sort(rows.begin(), rows.end());
    }
    void dragOver(std::optional<int> hitRow, int rowCount)
    {
        const intake::MarkChange change = intake::dragOverRow(remembered, hitRow, rowCount);
        if (change.unmark)
            set(*change.unmark, false);
        if (change.mark)
            set(*change.mark, true);
        remembered = change.remembered;
    }
    void reset(int rowCount)
    {
        if (const std::optional<int> row = intake::highlightedRow(remembered, rowCount))
            set(*row, false);
    }
};

} // namespace

void TestDragDrop::dragOverMovesHighlight()
{
    Marks marks;
    marks.dragOver(1, 5);
    QCOMPARE(marks.remembered, std::optional<int>(1));
    QCOMPARE(marks.rows, QList<int> { 1 });
    marks.dragOver(3, 5);
    QCOMPARE(marks.remembered, std::optional<int>(3));
    QCOMPARE(marks.rows, QList<int> { 3 });
    marks.dragOver(std::nullopt, 5); // over the list, below the rows
    QCOMPARE(marks.remembered, std::optional<int>(3));
    QCOMPARE(marks.rows, QList<int> {});
    marks.dragOver(0, 5);
    marks.reset(5); // the drop
    QCOMPARE(marks.rows, QList<int> {});
}

void TestDragDrop::staleHighlightNumber()
{
    Marks marks;
    marks.set(0, true); // marked by something else; a stale number must not touch it
    marks.remembered = 4; // then rows 4 and 3 were removed: 3 rows are left
    marks.reset(3);
    QVERIFY(marks.rows.contains(0));
    marks.dragOver(2, 3);
    QCOMPARE(marks.remembered, std::optional<int>(2));
    QVERIFY(marks.rows.contains(0));
    QVERIFY(marks.rows.contains(2));
}

QTEST_GUILESS_MAIN(TestDragDrop)
#include "tst_dragdrop.moc"
