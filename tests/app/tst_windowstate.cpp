// Tests of the window's state objects without a window: when a check result still counts, and how a pass ends.
#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "background/backgroundtask.h"
#include "app/foldercheck.h"
#include "app/folderintake.h"
#include "app/passsession.h"
#include "rename/renamelist.h"

using namespace Qt::StringLiterals;

class TestWindowState : public QObject {
    Q_OBJECT

private slots:
    void staleResultIsDropped_data();
    void relistSeesTheDisk_data();
    void relistSeesTheDisk();
    void staleResultIsDropped();
    void passSession_data();
    void passSession();
    void folderAddedAroundPass_data();
    void folderAddedAroundPass();

private:
    static void touch(const QString& path)
    {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    }
    // Lets every background work end and delivers what it posted, twice: a listing's result asks for a check.
    static void settle()
    {
        for (int round = 0; round < 2; ++round) {
            background::pool()->waitForDone();
            QCoreApplication::sendPostedEvents();
        }
    }
};

void TestWindowState::staleResultIsDropped_data()
{
    // A check is asked for (a listing, for "pass"), its work ends, then the list or the facts change
    // without a new check being asked for: the result that arrives afterwards describes a list that is gone.
    QTest::addColumn<QString>("change");
    // clang-format off
    QTest::newRow("new names changed")     << u"names"_s;
    QTest::newRow("settings changed")      << u"plan"_s;
    QTest::newRow("rows exchanged")        << u"exchange"_s;
    QTest::newRow("row removed")           << u"remove"_s;
    QTest::newRow("row added")             << u"add"_s;
    QTest::newRow("folder listed")         << u"learn"_s;
    QTest::newRow("listing, pass started") << u"pass"_s;
    // clang-format on
}

void TestWindowState::staleResultIsDropped()
{
    QFETCH(QString, change);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString folder = dir.path() + u'/';
    for (const QString& name : { u"a.txt"_s, u"b.txt"_s, u"d.txt"_s, u"x.txt"_s })
        touch(folder + name);
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append(u"a.txt"_s, folder);
    list.append(u"b.txt"_s, folder);
    list.setNewNames({ u"x.txt"_s, u"c.txt"_s }); // x.txt is held by a file outside the list
    FolderCheck check(list);
    QSignalSpy checked(&check, &FolderCheck::checked);
    check.check();
    QVERIFY(checked.wait());
    QVERIFY(!list.checkReason(0).isEmpty() && list.checkReason(1).isEmpty());

    checked.clear();
    if (change != u"pass"_s) {
        list.setNewNames({ u"c.txt"_s, u"x.txt"_s }); // now row 2 would fail
        check.check();
    } else {
        touch(folder + u"c.txt"_s); // another program takes row 2's new name
        check.relist();
    }
    background::pool()->waitForDone();
    if (change == u"names"_s)
        list.setNewNames({ u"y.txt"_s, u"z.txt"_s });
    else if (change == u"plan"_s)
        static_cast<void>(list.setPlan(PlanSettings {}));
    else if (change == u"exchange"_s)
        list.exchangeCarried(0, 1);
    else if (change == u"remove"_s)
        list.remove(0);
    else if (change == u"add"_s)
        list.append(u"d.txt"_s, folder);
    else if (change == u"learn"_s)
        check.learnFolders({ folder });
    else
        check.passStarted();
    const QStringList before = list.checkReasons();
    settle();
    QCOMPARE(checked.count(), 0);
    QCOMPARE(list.checkReasons(), before);

    // Asked again, the check describes the list as it stands.
    if (change == u"pass"_s)
        check.passEnded(batchrename::readFolderFacts({ folder }));
    check.check();
    QVERIFY(checked.wait());
    QVERIFY(list.checkReasons().isEmpty() || list.checkReasons().size() == list.count());
}

void TestWindowState::relistSeesTheDisk_data()
{
    // What another program does while the window is away: nothing, or take row 2's new name with a new file
    // or by renaming a file the list does not hold (the folder then holds as many names as before).
    QTest::addColumn<QString>("change");
    QTest::newRow("nothing changed: checked again all the same") << u""_s;
    QTest::newRow("a new name taken meanwhile") << u"new"_s;
    QTest::newRow("a new name taken by a rename meanwhile") << u"rename"_s;
}

void TestWindowState::relistSeesTheDisk()
{
    QFETCH(QString, change);
    const bool taken = !change.isEmpty();
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString folder = dir.path() + u'/';
    touch(folder + u"a.txt"_s);
    touch(folder + u"b.txt"_s);
    touch(folder + u"z.txt"_s);
    RenameList list;
    list.append(u"a.txt"_s, folder);
    list.append(u"b.txt"_s, folder);
    list.setNewNames({ u"x.txt"_s, u"c.txt"_s });
    FolderCheck check(list);
    QSignalSpy checked(&check, &FolderCheck::checked);
    check.check();
    QVERIFY(checked.wait());
    QCOMPARE(list.failingCount(), 0);

    if (change == u"new"_s)
        touch(folder + u"c.txt"_s);
    if (change == u"rename"_s)
        QVERIFY(QFile::rename(folder + u"z.txt"_s, folder + u"c.txt"_s));
    checked.clear();
    check.relist();
    QVERIFY(checked.wait());
    QVERIFY(list.checkReason(0).isEmpty());
    QCOMPARE(list.checkReason(1).isEmpty(), !taken);
}

void TestWindowState::passSession_data()
{
    // Rows a.txt and b.txt; b's new name is held by a file outside the list.
    QTest::addColumn<bool>("closeDuringPass");
    QTest::addColumn<QString>("report");
    QTest::addColumn<bool>("failing");
    QTest::addColumn<QString>("files");
    // clang-format off
    QTest::newRow("one name taken")       << false << u"更名完成：成功 1 个，失败 1 个"_s << true << u"b.txt,c.txt,x.txt"_s;
    QTest::newRow("closed at first step") << true  << u"已取消：已更名 0 个，还有 2 个未更名，按“开始更名”继续"_s << false << u"a.txt,b.txt,x.txt"_s;
    // clang-format on
}

// A pass through the session: the report counts the rows, and a close asked for during the pass is said
// once, when the pass has stopped, and then forgotten.
void TestWindowState::passSession()
{
    QFETCH(bool, closeDuringPass);
    QFETCH(QString, report);
    QFETCH(bool, failing);
    QFETCH(QString, files);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString folder = dir.path() + u'/';
    for (const QString& name : { u"a.txt"_s, u"b.txt"_s, u"x.txt"_s })
        touch(folder + name);
    RenameList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.append(u"a.txt"_s, folder);
    list.append(u"b.txt"_s, folder);
    list.setNewNames({ u"c.txt"_s, u"x.txt"_s });
    PassSession session(list);
    QSignalSpy stopped(&session, &PassSession::stopped);
    QSemaphore go;
    QVERIFY(session.start(PassSession::Kind::Rename, [&go](int step) {
        if (step == 0)
            go.acquire();
    }));
    QVERIFY(session.isRunning());
    QVERIFY(!session.start(PassSession::Kind::Rename)); // one pass at a time
    if (closeDuringPass) {
        session.cancelForClose();
        QVERIFY(session.isClosing());
    }
    go.release();
    QVERIFY(stopped.wait());
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(stopped.at(0).at(0).toBool(), closeDuringPass);
    QVERIFY(!session.isRunning());
    QVERIFY(!session.isClosing());
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name).join(u','), files);
    QVERIFY(session.report().has_value());
    QCOMPARE(session.report()->variants.value(0), report);
    QCOMPARE(session.report()->failing, failing);

    // The list changes: nothing of the pass is reported or restored any more.
    session.closeRestoreWindow();
    QVERIFY(!session.report().has_value());
    QCOMPARE(list.restorableCount(), 0);
    QVERIFY(!session.start(PassSession::Kind::Restore));
}

QTEST_GUILESS_MAIN(TestWindowState)
#include "tst_windowstate.moc"

void TestWindowState::folderAddedAroundPass_data()
{
    QTest::addColumn<bool>("listedBeforePass"); // the listing ends after the pass started; else chosen during it
    // clang-format off
    QTest::newRow("listing ends during the pass") << true;
    QTest::newRow("folder chosen during the pass") << false;
    // clang-format on
}

// Rows never arrive during a pass, and a folder's rows name its files as the pass left them.
void TestWindowState::folderAddedAroundPass()
{
    QFETCH(bool, listedBeforePass);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString folder = dir.path() + u'/';
    for (const QString& name : { u"a.txt"_s, u"other.txt"_s })
        touch(folder + name);
    RenameList list;
    list.append(u"a.txt"_s, folder);
    list.setNewNames({ u"z.txt"_s });
    FolderCheck check(list);
    PassSession session(list);
    FolderIntake intake(list, check, session);
    QSignalSpy idle(&intake, &FolderIntake::idle);
    if (listedBeforePass) {
        intake.add({ dir.path(), {} });
        background::pool()->waitForDone(); // listed; the rows wait in the event queue
    }
    QSemaphore go;
    QVERIFY(session.start(PassSession::Kind::Rename, [&go](int step) {
        if (step == 0)
            go.acquire();
    }));
    if (!listedBeforePass)
        intake.add({ dir.path(), {} });
    QCoreApplication::sendPostedEvents();
    QCOMPARE(list.count(), 1);
    QVERIFY(intake.isBusy());
    go.release();
    QVERIFY(idle.wait());
    QCOMPARE(list.oldNames(), (QStringList { u"a.txt"_s, u"other.txt"_s, u"z.txt"_s }));
}
