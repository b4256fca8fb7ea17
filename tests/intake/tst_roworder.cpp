// Tests of the row ordering commands: move up, move down, remove the selected row, clear the list, sort it.
#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "intake/roworder.h"
#include "rename/namegenerator.h"
#include "rename/renamelist.h"

using namespace Qt::StringLiterals;

enum class Command { Up, Down, Remove };

class TestRowOrder : public QObject {
    Q_OBJECT

private slots:
    void command_data();
    void command();
    void numberingFollowsMove();
    void clear();
    void naturalOrder_data();
    void naturalOrder();
    void sort_data();
    void sort();
};

namespace {

// Rows A, B, C (or the first `rows` of them) after a rename pass: A "成功", B "失败", C not reached.
void fill(RenameList& list, int rows)
{
    const QList<RenameList::Entry> all { { u"A"_s, u"/a/"_s, RowIcon::Renamed },
        { u"B"_s, u"/b/"_s, RowIcon::RenameFailed }, { u"C"_s, u"/c/"_s, RowIcon::Added } };
    list.append(all.mid(0, rows));
    if (rows > 0)
        list.setOutcome(0, outcome::succeeded(), RowIcon::Renamed);
    if (rows > 1)
        list.setOutcome(1, outcome::failed(), RowIcon::RenameFailed);
}

RowIcon iconOf(const QString& name)
{
    return name == u"A"_s ? RowIcon::Renamed : name == u"B"_s ? RowIcon::RenameFailed : RowIcon::Added;
}

std::optional<int> row(int value)
{
    return value < 0 ? std::nullopt : std::optional<int>(value);
}

} // namespace

void TestRowOrder::command_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("outcomes");
    QTest::addColumn<int>("selection"); // -1: none
    QTest::addColumn<bool>("refresh");

    // clang-format off
    const QString ok = outcome::succeeded();
    const QString bad = outcome::failed();
    const QStringList abc { u"A"_s, u"B"_s, u"C"_s };
    const QStringList afterRename { ok, bad, QString() };

    // Moves carry old name, folder and icon; the outcome texts stay where they were.
    QTest::newRow("up: middle row") << Command::Up << 3 << 1 << QStringList { u"B"_s, u"A"_s, u"C"_s } << afterRename << 0 << true;
    QTest::newRow("up: last row") << Command::Up << 3 << 2 << QStringList { u"A"_s, u"C"_s, u"B"_s } << afterRename << 1 << true;
    QTest::newRow("up: first row does nothing") << Command::Up << 3 << 0 << abc << afterRename << 0 << false;
    QTest::newRow("up: single row does nothing") << Command::Up << 1 << 0 << QStringList { u"A"_s } << QStringList { ok } << 0 << false;
    QTest::newRow("up: no selection does nothing") << Command::Up << 3 << -1 << abc << afterRename << -1 << false;
    QTest::newRow("up: selection beyond the rows is none") << Command::Up << 3 << 3 << abc << afterRename << -1 << false;

    QTest::newRow("down: first row") << Command::Down << 3 << 0 << QStringList { u"B"_s, u"A"_s, u"C"_s } << afterRename << 1 << true;
    QTest::newRow("down: middle row") << Command::Down << 3 << 1 << QStringList { u"A"_s, u"C"_s, u"B"_s } << afterRename << 2 << true;
    QTest::newRow("down: last row does nothing") << Command::Down << 3 << 2 << abc << afterRename << 2 << false;
    QTest::newRow("down: single row does nothing") << Command::Down << 1 << 0 << QStringList { u"A"_s } << QStringList { ok } << 0 << false;
    QTest::newRow("down: no selection does nothing") << Command::Down << 3 << -1 << abc << afterRename << -1 << false;

    // Removal takes the row with all its cells; the row that followed takes the selection.
    QTest::newRow("remove: middle row selects the next") << Command::Remove << 3 << 1 << QStringList { u"A"_s, u"C"_s } << QStringList { ok, QString() } << 1 << true;
    QTest::newRow("remove: first row") << Command::Remove << 3 << 0 << QStringList { u"B"_s, u"C"_s } << QStringList { bad, QString() } << 0 << true;
    QTest::newRow("remove: last row selects nothing") << Command::Remove << 3 << 2 << QStringList { u"A"_s, u"B"_s } << QStringList { ok, bad } << -1 << true;
    QTest::newRow("remove: only row") << Command::Remove << 1 << 0 << QStringList {} << QStringList {} << -1 << true;
    QTest::newRow("remove: no selection does nothing") << Command::Remove << 3 << -1 << abc << afterRename << -1 << false;
    QTest::newRow("remove: empty list does nothing") << Command::Remove << 0 << 0 << QStringList {} << QStringList {} << -1 << false;
    // clang-format on
}

void TestRowOrder::command()
{
    QFETCH(Command, command);
    QFETCH(int, rows);
    QFETCH(int, selected);
    QFETCH(QStringList, names);
    QFETCH(QStringList, outcomes);
    QFETCH(int, selection);
    QFETCH(bool, refresh);

    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(list, rows);

    intake::OrderResult result;
    switch (command) {
    case Command::Up:
        result = intake::moveUp(list, row(selected));
        break;
    case Command::Down:
        result = intake::moveDown(list, row(selected));
        break;
    case Command::Remove:
        result = intake::removeSelected(list, row(selected));
        break;
    }

    QCOMPARE(list.oldNames(), names);
    QStringList listOutcomes;
    for (int r = 0; r < list.count(); ++r) {
        listOutcomes << list.outcome(r);
        // Folder and icon travel with their file.
        QCOMPARE(list.folder(r), u"/"_s + list.oldName(r).toLower() + u"/"_s);
        QCOMPARE(list.icon(r), iconOf(list.oldName(r)));
    }
    QCOMPARE(listOutcomes, outcomes);
    QCOMPARE(result.selection, row(selection));
    QCOMPARE(result.refreshNames, refresh);
}

void TestRowOrder::numberingFollowsMove()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append({ { u"A.jpg"_s, u"/p/"_s }, { u"B.png"_s, u"/p/"_s }, { u"C.jpg"_s, u"/p/"_s } });
    PlanSettings settings;
    settings.prefix = u"青禾"_s;
    list.refreshNewNames(settings);

    const intake::OrderResult result = intake::moveUp(list, 1);
    QVERIFY(result.refreshNames);
    list.refreshNewNames(settings);
    // Each extension moves with its file.
    QCOMPARE(list.oldNames(), (QStringList { u"B.png"_s, u"A.jpg"_s, u"C.jpg"_s }));
    QCOMPARE(list.newNames(), (QStringList { u"青禾1.png"_s, u"青禾2.jpg"_s, u"青禾3.jpg"_s }));
}

void TestRowOrder::clear()
{
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(list, 3);
    const intake::OrderResult result = intake::clearAll(list);
    QCOMPARE(list.count(), 0);
    QCOMPARE(result.selection, std::nullopt);
    QVERIFY(!result.refreshNames);
}

void TestRowOrder::naturalOrder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected"); // sign of naturalCompare(a, b)
    // clang-format off
    QTest::newRow("file2 < file10") << "file2.txt" << "file10.txt" << -1;
    QTest::newRow("a1b2 < a1b10") << "a1b2" << "a1b10" << -1;
    QTest::newRow("a2b1 > a1b10") << "a2b1" << "a1b10" << 1;
    QTest::newRow("case ignored") << "File2" << "file10" << -1;
    QTest::newRow("01 before 1") << "01" << "1" << -1;
    QTest::newRow("1 after 01") << "1" << "01" << 1;
    QTest::newRow("leading zeros do not count further on") << "x01b" << "x1a" << 1;
    QTest::newRow("007 < 10") << "007" << "10" << -1;
    QTest::newRow("capital before small when only case differs") << "A.txt" << "a.txt" << -1;
    QTest::newRow("equal") << "IMG_1.jpg" << "IMG_1.jpg" << 0;
    QTest::newRow("no digits: by letter") << "b" << "a" << 1;
    QTest::newRow("beginning first") << "file" << "file1" << -1;
    QTest::newRow("dot before a number") << "file.txt" << "file1.txt" << -1;
    QTest::newRow("numbers beyond 64 bits") << "x99999999999999999999" << "x100000000000000000000" << -1;
    QTest::newRow("a01 and A1: case-folded text first") << "a01" << "A1" << -1;
    QTest::newRow("Chinese by pinyin, not code point") << u"合同草稿"_s << u"报销单"_s << 1;
    QTest::newRow("Chinese with numbers") << u"青禾10.jpg"_s << u"青禾9.jpg"_s << 1;
    QTest::newRow("Chinese before Latin") << u"z"_s << u"一"_s << 1;
    // clang-format on
}

void TestRowOrder::naturalOrder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    const int c = intake::naturalCompare(a, b);
    QCOMPARE((c > 0) - (c < 0), expected);
}

void TestRowOrder::sort_data()
{
    QTest::addColumn<bool>("byTime");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("ages"); // seconds before now; -1: the file is missing
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("selection");
    QTest::addColumn<bool>("refresh");

    // clang-format off
    const QStringList files { u"file10"_s, u"file2"_s, u"File1"_s, u"file9"_s };
    QTest::newRow("name: natural, case ignored") << false << files << QList<int> { 1, 1, 1, 1 } << 0 << QStringList { u"File1"_s, u"file2"_s, u"file9"_s, u"file10"_s } << 3 << true;
    QTest::newRow("name: already in order changes nothing") << false << QStringList { u"a1"_s, u"a2"_s } << QList<int> { 1, 1 } << 1 << QStringList { u"a1"_s, u"a2"_s } << 1 << false;
    QTest::newRow("name: same name twice keeps their order") << false << QStringList { u"b"_s, u"a"_s, u"b"_s } << QList<int> { 1, 2, 3 } << 2 << QStringList { u"a"_s, u"b"_s, u"b"_s } << 2 << true;
    QTest::newRow("time: oldest first") << true << files << QList<int> { 30, 10, 40, 20 } << 1 << QStringList { u"File1"_s, u"file10"_s, u"file9"_s, u"file2"_s } << 3 << true;
    QTest::newRow("time: equal times by natural name") << true << files << QList<int> { 5, 5, 5, 9 } << -1 << QStringList { u"file9"_s, u"File1"_s, u"file2"_s, u"file10"_s } << -1 << true;
    QTest::newRow("time: missing files last, by name") << true << files << QList<int> { -1, 10, -1, 20 } << 2 << QStringList { u"file9"_s, u"file2"_s, u"File1"_s, u"file10"_s } << 2 << true;
    // clang-format on
}

void TestRowOrder::sort()
{
    QFETCH(bool, byTime);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, ages);
    QFETCH(int, selected);
    QFETCH(QStringList, expected);
    QFETCH(int, selection);
    QFETCH(bool, refresh);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (ages[i] >= 0) {
            QFile file(dir.filePath(names[i]));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(now.addSecs(-ages[i]), QFileDevice::FileModificationTime));
        }
        // The icon tells the rows apart; the outcome belongs to the position.
        list.append(names[i], dir.path(), RowIcon(1 + i));
        list.setOutcome(int(i), QString::number(i), RowIcon(1 + i));
    }
    const QString selectedName = selected >= 0 ? names[selected] : QString();

    const intake::OrderResult result
        = byTime ? intake::sortByModificationTime(list, row(selected)) : intake::sortByName(list, row(selected));

    QCOMPARE(list.oldNames(), expected);
    QCOMPARE(result.selection, row(selection));
    QCOMPARE(result.refreshNames, refresh);
    if (selection >= 0)
        QCOMPARE(list.oldName(selection), selectedName);
    QList<int> taken;
    for (int r = 0; r < list.count(); ++r) {
        QCOMPARE(list.outcome(r), QString::number(r));
        taken << int(list.icon(r)) - 1;
    }
    // Each row's icon travelled with its name, and no row was lost or doubled.
    for (int r = 0; r < list.count(); ++r)
        QCOMPARE(names[taken[r]], list.oldName(r));
    std::sort(taken.begin(), taken.end());
    QCOMPARE(taken, (QList<int> { 0, 1, 2, 3 }).mid(0, list.count()));
}

QTEST_GUILESS_MAIN(TestRowOrder)
#include "tst_roworder.moc"
