// Kill test of the batch rename: a child process renames and restores random batches and is killed at a
// random instant; whatever the instant, every file is still there once, under a name of its batch (on a
// file system without a no-replace rename, possibly under two of them: the instant between link and unlink).
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "disk/batchrename.h"
#include "disk/diskfs.h"

using namespace Qt::StringLiterals;

namespace {

// One random batch: the requests, and for each file the names it may bear at any instant.
struct Batch {
    QList<batchrename::Request> forward;
    QList<batchrename::Request> backward;
    QHash<QString, QString> contentOf; // old name -> content
    QHash<QString, QSet<QString>> namesOf; // content -> the names it may bear
};

// Files f0, f1, ... shared out into 2-cycles, 3-cycles, chains (into a fresh name) and plain renames.
Batch makeBatch(QRandomGenerator& random, const QString& folder)
{
    Batch batch;
    int next = 0;
    auto fresh = [&next] { return u"f%1"_s.arg(next++); };
    const int groups = 6 + static_cast<int>(random.bounded(10));
    for (int g = 0; g < groups; ++g) {
        const int kind = static_cast<int>(random.bounded(4));
        QStringList names;
        const int size = kind == 0 ? 2 : kind == 1 ? 3 : kind == 2 ? 2 + static_cast<int>(random.bounded(4)) : 1;
        for (int i = 0; i < size; ++i)
            names << fresh();
        QStringList targets;
        if (kind <= 1) { // a cycle: each file takes the next one's name
            for (int i = 0; i < size; ++i)
                targets << names[(i + 1) % size];
        } else { // a chain into a fresh name
            for (int i = 1; i < size; ++i)
                targets << names[i];
            targets << u"n"_s + fresh();
        }
        QSet<QString> all(names.cbegin(), names.cend());
        all.insert(targets.last());
        for (int i = 0; i < size; ++i) {
            const QString content = u"content of "_s + names[i];
            batch.contentOf.insert(names[i], content);
            // A member of a longer cycle may pass through any of the cycle's names; any other file bears its
            // old or its new name.
            batch.namesOf.insert(content, kind == 1 ? all : QSet<QString> { names[i], targets[i] });
            batch.forward.append({ folder, names[i], targets[i] });
            batch.backward.append({ folder, targets[i], names[i] });
        }
    }
    return batch;
}

// The child: tells the parent through `ready` that it runs, then renames and restores the batch over and
// over until it is killed (or after a few seconds).
[[noreturn]] void runChild(const Batch& batch, bool noReplaceMissing, bool exchangeMissing, int ready)
{
    diskfs::setMissingFeaturesForTesting(noReplaceMissing, exchangeMissing);
    const char started = 1;
    if (::write(ready, &started, 1) != 1)
        ::_exit(1);
    for (int round = 0; round < 100000; ++round) {
        batchrename::renameBatch(batch.forward);
        batchrename::renameBatch(batch.backward);
    }
    ::_exit(0);
}

struct Tally {
    int kills = 0;
    int midPass = 0; // some files under their old names, some under their new ones
    int midCycle = 0; // a file of a longer cycle under a third name of its cycle
    int temporary = 0; // a file caught under a (visible) temporary name
    int twoNames = 0; // a file caught under two names (link made, old name not yet removed)
};

// Empty when the folder holds every file once, under an allowed name (or, where renames link and unlink,
// under two allowed names of the same file); otherwise what is wrong.
QString checkFolder(
    const QString& folder, const Batch& batch, bool noReplaceMissing, bool exchangeMissing, Tally& tally)
{
    const QStringList entries
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QHash<QString, int> seen;
    QHash<QString, ino_t> inodeOf;
    bool twoNames = false;
    bool anyOld = false;
    bool anyNew = false;
    bool midCycle = false;
    bool temporary = false;
    for (const QString& name : entries) {
        if (name.startsWith(u'.'))
            return u"hidden name %1"_s.arg(name);
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::ReadOnly))
            return u"unreadable %1"_s.arg(name);
        const QString content = QString::fromUtf8(file.readAll());
        if (!batch.namesOf.contains(content))
            return u"%1 holds unknown content %2"_s.arg(name, content);
        struct stat st;
        if (::lstat(QFile::encodeName(folder + u'/' + name).constData(), &st) != 0)
            return u"cannot look at %1"_s.arg(name);
        if (++seen[content] == 2) {
            if (!noReplaceMissing)
                return u"%1 under two names"_s.arg(content);
            if (inodeOf.value(content) != st.st_ino)
                return u"%1 copied"_s.arg(content); // two names must be two links to one file
            twoNames = true;
        }
        inodeOf.insert(content, st.st_ino);
        if (name.startsWith(QString::fromUtf8(diskfs::kTemporaryPrefix))) {
            if (!exchangeMissing)
                return u"temporary name %1 where the file system can exchange"_s.arg(name);
            temporary = true;
            continue;
        }
        if (!batch.namesOf.value(content).contains(name))
            return u"%1 under the name %2"_s.arg(content, name);
        const QString old = content.mid(QStringLiteral("content of ").size());
        if (name == old)
            anyOld = true;
        else if (batch.forward.cend()
            != std::find_if(batch.forward.cbegin(), batch.forward.cend(),
                [&](const batchrename::Request& r) { return r.from == old && r.to == name; }))
            anyNew = true;
        else
            midCycle = true;
    }
    for (auto it = batch.namesOf.cbegin(); it != batch.namesOf.cend(); ++it) {
        if (seen.value(it.key()) != 1 && !(noReplaceMissing && seen.value(it.key()) == 2))
            return u"%1 found %2 times"_s.arg(it.key()).arg(seen.value(it.key()));
    }
    tally.midPass += anyOld && anyNew;
    tally.midCycle += midCycle;
    tally.temporary += temporary;
    tally.twoNames += twoNames;
    return {};
}

} // namespace

class TestKillPass : public QObject {
    Q_OBJECT

private slots:
    void killedAtAnyInstant_data();
    void killedAtAnyInstant();
};

void TestKillPass::killedAtAnyInstant_data()
{
    QTest::addColumn<bool>("noReplaceMissing");
    QTest::addColumn<bool>("exchangeMissing");
    // clang-format off
    QTest::newRow("exchange") << false << false;
    QTest::newRow("temporary name") << false << true;
    QTest::newRow("link and unlink") << true << true;
    // clang-format on
}

void TestKillPass::killedAtAnyInstant()
{
    QFETCH(bool, noReplaceMissing);
    QFETCH(bool, exchangeMissing);
    bool seedOk = false;
    quint32 seed = qEnvironmentVariable("RENAMER_KILL_SEED").toUInt(&seedOk);
    if (!seedOk)
        seed = 20261208;
    bool killsOk = false;
    int kills = qEnvironmentVariableIntValue("RENAMER_KILLS", &killsOk);
    if (!killsOk || kills < 1)
        kills = 50; // per file system kind: 150 in all

    const QFileInfo shm(u"/dev/shm"_s);
    const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    QTemporaryDir dir(base + u"/tst_killpass-XXXXXX"_s);
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QRandomGenerator random(seed);
    Tally tally;
    for (int k = 0; k < kills; ++k) {
        const QString folder = dir.path() + u"/kill"_s + QString::number(k);
        QVERIFY(QDir().mkdir(folder));
        const Batch batch = makeBatch(random, folder + u'/');
        for (auto it = batch.contentOf.cbegin(); it != batch.contentOf.cend(); ++it) {
            QFile file(folder + u'/' + it.key());
            QVERIFY(file.open(QIODevice::NewOnly));
            QVERIFY(file.write(it.value().toUtf8()) > 0);
        }
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0)
            runChild(batch, noReplaceMissing, exchangeMissing, ready[1]);
        // The pause counts from the child's first pass, however slow its start on a busy machine; a pass
        // over such a batch takes well under a millisecond on a memory file system.
        char started = 0;
        const bool childRuns = ::read(ready[0], &started, 1) == 1;
        ::close(ready[0]);
        ::close(ready[1]);
        QVERIFY(childRuns);
        const timespec pause { 0, static_cast<long>(random.bounded(3000)) * 1000 };
        ::nanosleep(&pause, nullptr);
        QCOMPARE(::kill(child, SIGKILL), 0);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        ++tally.kills;
        const QString wrong = checkFolder(folder, batch, noReplaceMissing, exchangeMissing, tally);
        if (!wrong.isEmpty())
            QFAIL(qPrintable(u"seed %1 (RENAMER_KILL_SEED), kill %2: %3"_s.arg(seed).arg(k).arg(wrong)));
        QVERIFY(QDir(folder).removeRecursively());
    }
    qInfo("%d kills from seed %u: %d mid-pass, %d with a file mid-cycle, %d with a file under a temporary name, "
          "%d with a file under two names",
        tally.kills, seed, tally.midPass, tally.midCycle, tally.temporary, tally.twoNames);
    QVERIFY(tally.midPass > 0); // the kills do land inside passes
}

QTEST_GUILESS_MAIN(TestKillPass)
#include "tst_killpass.moc"
