// Property test of the batch rename and the restore: random batches over a few names, each checked on disk.
#include <algorithm>
#include <sys/stat.h>

#include <QDirIterator>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "disk/batchcheck.h"
#include "disk/batchrename.h"
#include "disk/diskfs.h"
#include "folderstate.h"
#include "rename/listrequests.h"
#include "rename/reasontexts.h"
#include "rename/renamelist.h"
#include "rename/renamerow.h"

using namespace Qt::StringLiterals;

namespace {

// Few names, so that taken names, chains, cycles and repeats are common. "s" may be a folder, "l" a link.
const QStringList kNames { u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"A"_s, u".h"_s, u"s"_s, u"l"_s };
const QStringList kBadNames { QString(), u"."_s, u".."_s, u"s/x"_s, u"../x"_s, u"x"_s + QChar(0) };

enum class ReadOnly { Never, DuringPass, DuringRestore };

// Path inside the batch folder -> "F:<content>", "L:<target>" or "D".
using Snapshot = QMap<QString, QString>;

Snapshot snapshot(const QString& dir)
{
    Snapshot out;
    QDirIterator it(
        dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString relative = path.mid(dir.size() + 1);
        if (info.isSymLink()) {
            out.insert(relative, u"L:"_s + QString::fromUtf8(QFile::encodeName(info.symLinkTarget())));
        } else if (info.isDir()) {
            out.insert(relative, u"D"_s);
        } else {
            QFile file(path);
            out.insert(relative, u"F:"_s + QString::fromUtf8(file.open(QIODevice::ReadOnly) ? file.readAll() : "?"));
        }
    }
    return out;
}

QString show(const Snapshot& s)
{
    QStringList parts;
    for (auto it = s.cbegin(); it != s.cend(); ++it)
        parts << it.key() + u'=' + it.value();
    return parts.join(u", "_s);
}

struct Row {
    QString from;
    QString to;
    QString outcome;
};

/**
 * Where every top-level entry of `before` should be once the rows reading `done` have moved their files
 * from `from` to `to`; an empty map (with `error` set) when the outcomes claim two files for one name or
 * one file for two names.
 */
Snapshot expectedAfter(
    const Snapshot& before, const QList<Row>& rows, const QString& done, bool restoring, QString& error)
{
    QMap<QString, QString> movedTo;
    for (const Row& row : rows) {
        if (row.outcome != done)
            continue;
        const QString& from = restoring ? row.to : row.from;
        const QString& to = restoring ? row.from : row.to;
        if (movedTo.contains(from) && movedTo.value(from) != to) {
            error = u"file %1 reported moved to both %2 and %3"_s.arg(from, movedTo.value(from), to);
            return {};
        }
        movedTo.insert(from, to);
    }
    Snapshot out;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const QString place = it.key().contains(u'/') ? it.key() : movedTo.value(it.key(), it.key());
        if (out.contains(place)) {
            error = u"two files expected under %1"_s.arg(place);
            return {};
        }
        out.insert(place, it.value());
    }
    return out;
}

// A file, or a link (renaming a link renames the link, even when its target moves within the batch).
bool isFileOrLink(const QString& entry)
{
    return entry.startsWith(u"F:"_s) || entry.startsWith(u"L:"_s);
}

// Something the batch renames, judged with the system's own lstat rather than the code under test: a regular
// file, or a symbolic link that does not lead to a folder (a broken one included).
bool isFileEntry(const QString& dir, const QString& name)
{
    if (!diskfs::isAcceptableName(name))
        return false;
    const QByteArray path = (dir + u'/' + name).toUtf8();
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return false;
    if (S_ISREG(st.st_mode))
        return true;
    return S_ISLNK(st.st_mode) && (::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode));
}

// Empty when the check foretold every result of the pass; otherwise the first row where it did not.
QString disagreement(const QList<batchrename::Result>& foretold, const QList<batchrename::Result>& results)
{
    for (qsizetype i = 0; i < results.size(); ++i) {
        const batchrename::Result& f = foretold.at(i);
        const batchrename::Result& r = results.at(i);
        if (f.done != r.done || f.reason != r.reason || f.otherRequest != r.otherRequest)
            return u"request %1: the check foretold %2 (%3), the pass gave %4 (%5)"_s.arg(i)
                .arg(f.done)
                .arg(batchrename::reasonText(f))
                .arg(r.done)
                .arg(batchrename::reasonText(r));
    }
    return {};
}

} // namespace

class TestBatchProperty : public QObject {
    Q_OBJECT

private slots:
    void randomBatchesLoseNothingAndTellTheTruth();

private:
    // Empty when the batch behaved; otherwise what went wrong.
    // How often the interesting cases came up, to show that the random batches reach them.
    struct Tally {
        int clean = 0; // batches where every row had to succeed
        int succeeded = 0;
        int failed = 0;
        int intoTakenName = 0; // successes into a name a file bore before the pass: chains and cycles
        int restored = 0;
        int restoreFailed = 0;
        int readOnly = 0;
        int spelled = 0; // batches naming their folder more than one way
    };
    static QString runBatch(QRandomGenerator& random, const QString& dir, bool canMakeReadOnly, Tally& tally);
};

QString TestBatchProperty::runBatch(QRandomGenerator& random, const QString& dir, bool canMakeReadOnly, Tally& tally)
{
    auto chance = [&random](int percent) { return static_cast<int>(random.bounded(100)) < percent; };
    auto pick = [&random](const QStringList& list) { return list.at(random.bounded(static_cast<int>(list.size()))); };

    // The folder: some of the names as files, maybe "s" as a folder with a file inside, maybe "l" as a link.
    QStringList entries;
    for (const QString& name : kNames) {
        if (name == u"s"_s) {
            if (chance(20))
                entries << u"s/"_s;
        } else if (name == u"l"_s) {
            if (chance(15))
                entries << (chance(50) ? u"l@a"_s : u"l@s"_s);
        } else if (chance(65)) {
            entries << name;
        }
    }
    if (!folderstate::layOut(dir, entries))
        return u"could not lay out the folder"_s;
    if (entries.contains(u"s/"_s) && !folderstate::layOut(dir + u"/s"_s, { u"inner"_s }))
        return u"could not fill the subfolder"_s;

    QList<Row> rows;
    if (chance(40)) {
        // A renumbering: the listed files share out their own names and a few others, so that chains and
        // cycles abound; now and then a bad name, a name wanted twice or a file listed twice.
        QStringList from;
        for (const QString& entry : entries) {
            if (!entry.endsWith(u'/'))
                from << entry.left(entry.indexOf(u'@'));
        }
        std::shuffle(from.begin(), from.end(), random);
        from = from.mid(0, 1 + random.bounded(static_cast<int>(from.size()) + 1));
        QStringList to = from;
        for (const QString& name : kNames) {
            if (!to.contains(name) && chance(30))
                to << name;
        }
        std::shuffle(to.begin(), to.end(), random);
        for (qsizetype i = 0; i < from.size(); ++i)
            rows.append({ from[i], chance(5) ? pick(kBadNames) : chance(5) ? pick(kNames) : to[i], QString() });
        if (!rows.isEmpty() && chance(10))
            rows.append(rows.at(random.bounded(static_cast<int>(rows.size()))));
    } else {
        const int count = 1 + static_cast<int>(random.bounded(8));
        for (int i = 0; i < count; ++i)
            rows.append({ pick(kNames), chance(12) ? pick(kBadNames) : pick(kNames), QString() });
    }
    const ReadOnly readOnly = !canMakeReadOnly || !chance(10) ? ReadOnly::Never
        : chance(50)                                          ? ReadOnly::DuringPass
                                                              : ReadOnly::DuringRestore;

    // Some batches spell their folder more than one way: the rows still name the same files.
    QStringList spellings { dir + u'/' };
    if (chance(30)) {
        if (!QFile::link(u"."_s, dir + u"/zz-self"_s))
            return u"could not link the folder to itself"_s;
        spellings << dir + u"/./"_s << dir + u"//"_s << dir + u"/zz-self/"_s;
        ++tally.spelled;
    }
    RenameList list;
    QList<RenameList::Entry> listed;
    QStringList newNames;
    for (const Row& row : rows) {
        listed.append({ row.from, pick(spellings) });
        newNames << row.to;
    }
    list.append(listed);
    list.setNewNames(newNames);

    QStringList described;
    for (int r = 0; r < rows.size(); ++r)
        described << u"%1%2>%3"_s.arg(
            list.folder(r).mid(dir.size()), rows[r].from, QString(rows[r].to).replace(QChar(0), u"<NUL>"_s));
    const QString batch = u"folder [%1], rows [%2]"_s.arg(entries.join(u' '), described.join(u' '));
    auto failure = [&](const QString& stage, const QString& what) {
        QStringList outcomes;
        for (int r = 0; r < list.count(); ++r)
            outcomes << list.outcome(r);
        return u"%1; after the %2: %3; outcomes [%4]; folder now [%5]"_s.arg(
            batch, stage, what, outcomes.join(u' '), show(snapshot(dir)));
    };
    const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const auto locked = QFile::ReadOwner | QFile::ExeOwner;

    // Which rows must succeed: each file listed once, every new name fine and free or freed by the batch.
    bool clean = readOnly != ReadOnly::DuringPass;
    QSet<QString> olds, news;
    for (const Row& row : rows) {
        clean = clean && isFileEntry(dir, row.from) && !olds.contains(row.from) && diskfs::isAcceptableName(row.to)
            && !news.contains(row.to);
        olds.insert(row.from);
        news.insert(row.to);
    }
    for (const Row& row : rows) {
        if (!clean)
            break;
        const bool heldOutside = QFileInfo::exists(dir + u'/' + row.to) || QFileInfo(dir + u'/' + row.to).isSymLink();
        const auto keeper = std::find_if(rows.cbegin(), rows.cend(), [&](const Row& o) { return o.from == row.to; });
        clean = clean && (keeper == rows.cend() ? !heldOutside : (keeper->to != keeper->from || &*keeper == &row));
    }

    // The pass.
    const Snapshot original = snapshot(dir);
    if (readOnly == ReadOnly::DuringPass)
        QFile::setPermissions(dir, locked);
    // The check, against the folders as listed now, must foretell the pass on the unchanged disk.
    const QList<batchrename::Request> requests = batchrename::renameRequests(list);
    const QList<batchrename::Result> foretold
        = batchrename::checkBatch(requests, batchrename::readFolderFacts(spellings));
    const QList<batchrename::Result> results = batchrename::renameBatch(requests);
    batchrename::applyRenameResults(list, results);
    QFile::setPermissions(dir, writable);
    if (readOnly != ReadOnly::DuringPass) {
        if (const QString differs = disagreement(foretold, results); !differs.isEmpty())
            return failure(u"pass"_s, differs);
    }
    Snapshot now = snapshot(dir);
    for (int r = 0; r < list.count(); ++r) {
        rows[r].outcome = list.outcome(r);
        const bool ok = rows[r].outcome == outcome::succeeded();
        if (!ok && rows[r].outcome != outcome::failed())
            return failure(u"pass"_s, u"row %1 reads %2"_s.arg(r).arg(rows[r].outcome));
        if (list.icon(r) != (ok ? RowIcon::Renamed : RowIcon::RenameFailed))
            return failure(u"pass"_s, u"row %1 has the wrong icon"_s.arg(r));
        if (ok && !isFileOrLink(now.value(rows[r].to)))
            return failure(u"pass"_s, u"row %1 reads success, but no file bears its new name"_s.arg(r));
        if (!ok && clean)
            return failure(u"pass"_s, u"row %1 of a clean batch failed"_s.arg(r));
        ++(ok ? tally.succeeded : tally.failed);
        if (ok && rows[r].from != rows[r].to && original.contains(rows[r].to))
            ++tally.intoTakenName;
    }
    tally.clean += clean;
    tally.readOnly += readOnly != ReadOnly::Never;
    QString error;
    Snapshot expected = expectedAfter(original, rows, outcome::succeeded(), false, error);
    if (!error.isEmpty())
        return failure(u"pass"_s, error);
    if (now != expected)
        return failure(u"pass"_s, u"expected [%1]"_s.arg(show(expected)));
    for (const Row& row : rows) {
        // A failed row whose file bears the new name would be a success reported as failure.
        if (row.outcome == outcome::failed() && diskfs::isAcceptableName(row.to) && original.contains(row.from)
            && original.value(row.from).startsWith(u"F:"_s) && now.value(row.to) == original.value(row.from))
            return failure(
                u"pass"_s, u"row %1>%2 reads failure, but the file bears its new name"_s.arg(row.from, row.to));
    }

    // Meanwhile a renamed file may vanish, or another file may take a name.
    bool meddled = false;
    if (!rows.isEmpty() && chance(20)) {
        const Row& row = rows.at(random.bounded(static_cast<int>(rows.size())));
        if (row.outcome == outcome::succeeded() && now.value(row.to).startsWith(u"F:"_s))
            meddled = QFile::remove(dir + u'/' + row.to);
    }
    if (chance(20)) {
        const QString name = pick(kNames);
        if (!QFileInfo(dir + u'/' + name).isSymLink() && !QFileInfo::exists(dir + u'/' + name))
            meddled = folderstate::addIntruder(dir + u'/' + name, u"intruder"_s) || meddled;
    }

    // The restore.
    const Snapshot beforeRestore = snapshot(dir);
    if (readOnly == ReadOnly::DuringRestore)
        QFile::setPermissions(dir, locked);
    QList<int> restoreRows;
    const QList<batchrename::Request> back = batchrename::restoreRequests(list, &restoreRows);
    const QList<batchrename::Result> foretoldBack
        = batchrename::checkBatch(back, batchrename::readFolderFacts(spellings));
    const QList<batchrename::Result> restoredResults = batchrename::renameBatch(back);
    batchrename::applyRestoreResults(list, restoreRows, restoredResults);
    QFile::setPermissions(dir, writable);
    if (readOnly != ReadOnly::DuringRestore) {
        if (const QString differs = disagreement(foretoldBack, restoredResults); !differs.isEmpty())
            return failure(u"restore"_s, differs);
    }
    now = snapshot(dir);
    for (int r = 0; r < list.count(); ++r) {
        const QString text = list.outcome(r);
        if (rows[r].outcome != outcome::succeeded()) {
            if (text != rows[r].outcome)
                return failure(u"restore"_s, u"row %1 was not to be restored but reads %2"_s.arg(r).arg(text));
            continue;
        }
        const bool ok = text == outcome::restored();
        if (!ok && text != outcome::restoreFailed())
            return failure(u"restore"_s, u"row %1 reads %2"_s.arg(r).arg(text));
        if (list.icon(r) != (ok ? RowIcon::Restored : RowIcon::RestoreFailed))
            return failure(u"restore"_s, u"row %1 has the wrong icon"_s.arg(r));
        if (ok && !isFileOrLink(now.value(rows[r].from)))
            return failure(u"restore"_s, u"row %1 reads restored, but no file bears its old name"_s.arg(r));
        ++(ok ? tally.restored : tally.restoreFailed);
        if (!ok && !meddled && readOnly != ReadOnly::DuringRestore)
            return failure(u"restore"_s, u"row %1 could not be restored although nothing meddled"_s.arg(r));
        rows[r].outcome = text;
    }
    expected = expectedAfter(beforeRestore, rows, outcome::restored(), true, error);
    if (!error.isEmpty())
        return failure(u"restore"_s, error);
    if (now != expected)
        return failure(u"restore"_s, u"expected [%1]"_s.arg(show(expected)));
    for (const Row& row : rows) {
        if (row.outcome == outcome::restoreFailed() && beforeRestore.value(row.to).startsWith(u"F:"_s)
            && now.value(row.from) == beforeRestore.value(row.to))
            return failure(u"restore"_s,
                u"row %1>%2 reads restore failed, but the file bears its old name"_s.arg(row.from, row.to));
    }
    if (!meddled && readOnly != ReadOnly::DuringRestore && now != original)
        return failure(u"restore"_s, u"the folder is not as it was [%1]"_s.arg(show(original)));
    return {};
}

void TestBatchProperty::randomBatchesLoseNothingAndTellTheTruth()
{
    bool seedOk = false;
    quint32 seed = qEnvironmentVariable("RENAMER_PROPERTY_SEED").toUInt(&seedOk);
    if (!seedOk)
        seed = 20240611;
    bool batchesOk = false;
    int batches = qEnvironmentVariableIntValue("RENAMER_PROPERTY_BATCHES", &batchesOk);
    if (!batchesOk || batches < 1)
        batches = 1000;

    // Thousands of tiny folders: a memory file system keeps this in seconds even on a busy disk.
    const QFileInfo shm(u"/dev/shm"_s);
    const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    QTemporaryDir dir(base + u"/tst_batchproperty-XXXXXX"_s);
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const bool canMakeReadOnly = !folderstate::writesIntoReadOnlyFolders(dir.path());
    QRandomGenerator random(seed);
    Tally tally;
    for (int b = 0; b < batches; ++b) {
        const QString folder = dir.path() + u"/batch"_s + QString::number(b);
        QVERIFY(QDir().mkdir(folder));
        const QString failure = runBatch(random, folder, canMakeReadOnly, tally);
        if (!failure.isEmpty()) {
            QFAIL(qPrintable(
                u"seed %1 (set RENAMER_PROPERTY_SEED to repeat), batch %2: %3"_s.arg(seed).arg(b).arg(failure)));
        }
        // Nothing may leave the batch folder, under a temporary name or otherwise.
        const QStringList top = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (top.size() != 1)
            QFAIL(qPrintable(u"seed %1, batch %2: the test folder holds %3"_s.arg(seed).arg(b).arg(top.join(u' '))));
        QVERIFY(QDir(folder).removeRecursively());
    }
    qInfo("%d random batches from seed %u in %s: %d clean, %d rows renamed (%d into a name taken before), %d "
          "failed, %d restored, %d restores failed, %d with a read-only folder, %d with their folder spelled several "
          "ways",
        batches, seed, qPrintable(base), tally.clean, tally.succeeded, tally.intoTakenName, tally.failed,
        tally.restored, tally.restoreFailed, tally.readOnly, tally.spelled);
}

QTEST_GUILESS_MAIN(TestBatchProperty)
#include "tst_batchproperty.moc"
