// batchrename: the pass over the live disk, the check over listed facts, and the reasons.
#include "disk/batchrename.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <mutex>
#include <optional>
#include <unistd.h>

#include "disk/batchplan.h"
#include "disk/diskfs.h"

namespace batchrename {

using plan::Plan;
using plan::State;

namespace {

// The live disk: folders known by device and inode, looked at through one open folder at a time (a batch
// may span tens of thousands of folders, more than a process may hold open).
class LiveDisk final : public plan::DiskView {
public:
    ~LiveDisk() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    int folderId(const QString& folder, plan::KnownNames&) override
    {
        const int id = static_cast<int>(m_paths.size());
        QByteArray bytes = diskfs::encode(folder);
        struct stat st;
        const bool found = ::stat(bytes.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        if (found) {
            const QPair<quint64, quint64> identity { quint64(st.st_dev), quint64(st.st_ino) };
            if (const auto it = m_byIdentity.constFind(identity); it != m_byIdentity.cend())
                return it.value();
            m_byIdentity.insert(identity, id);
        }
        m_paths.push_back(std::move(bytes));
        m_found.push_back(found);
        return id;
    }

    diskfs::Kind kind(int folder, const QByteArray& bytes) override
    {
        const int fd = fdOf(folder);
        return fd < 0 ? diskfs::Kind::None : diskfs::kindAt(fd, bytes.constData());
    }

    bool listsNames() const override { return false; }

    /// The open folder numbered `folder`, or -1 when it cannot be opened.
    int fdOf(int folder)
    {
        if (folder == m_fdFolder)
            return m_fd;
        if (m_fd >= 0)
            ::close(m_fd);
        m_fdFolder = folder;
        m_fd = m_found[folder] ? ::open(m_paths[folder].constData(), O_PATH | O_DIRECTORY | O_CLOEXEC) : -1;
        return m_fd;
    }

private:
    std::vector<QByteArray> m_paths; // the first spelling of each folder
    std::vector<bool> m_found; // the folder exists (a folder that does not gets a number of its own)
    QHash<QPair<quint64, quint64>, int> m_byIdentity;
    int m_fdFolder = -1;
    int m_fd = -1;
};

// What was listed: each listed folder's names go into the planner's table once, so that a name is
// looked up once for both what the batch and what the folder make of it. A folder missing from the
// facts (or not listed) holds nothing.
class ListedDisk final : public plan::DiskView {
public:
    explicit ListedDisk(const FolderFacts& facts)
        : m_facts(facts)
    {
    }

    int folderId(const QString& folder, plan::KnownNames& names) override
    {
        const int id = m_next++;
        const FolderFacts::Folder* listed = m_facts.folder(folder);
        if (!listed || !listed->listed)
            return id;
        const QPair<quint64, quint64> identity { listed->device, listed->inode };
        if (const auto it = m_byIdentity.constFind(identity); it != m_byIdentity.cend()) {
            --m_next;
            return it.value();
        }
        m_byIdentity.insert(identity, id);
        names.reserve(names.size() + listed->entries.size());
        for (auto it = listed->entries.cbegin(); it != listed->entries.cend(); ++it) {
            const diskfs::Kind held = it.value() == FolderFacts::Entry::File ? diskfs::Kind::File : diskfs::Kind::Other;
            names.add({ it.key(), id, plan::nameHash(id, it.key()), -1, held });
        }
        return id;
    }

    diskfs::Kind kind(int, const QByteArray&) override { return diskfs::Kind::None; }
    bool listsNames() const override { return true; }

private:
    const FolderFacts& m_facts;
    QHash<QPair<quint64, quint64>, int> m_byIdentity;
    int m_next = 0;
};

Result failure(int error)
{
    return { false, reasonForError(error), -1, error };
}

// Performs the moves of a pass; results go into the plan.
class Performer {
public:
    Performer(Plan& plan, const std::vector<plan::RowRef>& rows, const plan::Sources& sources, LiveDisk& disk)
        : m_plan(plan)
        , m_rows(rows)
        , m_sources(sources)
        , m_disk(disk)
    {
    }

    void chain(const plan::Step& step)
    {
        for (int k = 0; k < step.count; ++k) {
            const plan::Move& move = m_plan.moves[m_plan.order[step.first + k]];
            const int fd = m_disk.fdOf(move.folder);
            const QByteArray to = diskfs::encode(*m_rows[move.request].to);
            const int err
                = fd < 0 ? errno : diskfs::renameAt(fd, m_sources.fromBytes[move.request].constData(), to.constData());
            m_plan.results[move.request] = err == 0 ? Result { true } : failure(err);
        }
    }

    // A cycle m0 -> m1 -> ... -> mk-1 -> m0 (each move's target is the next one's source). Exchanging
    // m0's name with m1's, then m2's, ... puts one file after the other in place: k-1 exchanges, and at
    // every instant each file bears one of the cycle's names. A failing exchange rolls back the ones made.
    void cycle(const plan::Step& step)
    {
        const int* order = m_plan.order.data() + step.first;
        const int k = step.count;
        const int fd = m_disk.fdOf(m_plan.moves[order[0]].folder);
        if (fd < 0) {
            settleCycle(order, k, 0, failure(errno));
            return;
        }
        const char* first = sourceOf(order[0]);
        int made = 0;
        int err = 0;
        for (int j = 1; j < k; ++j) {
            err = diskfs::exchangeAt(fd, first, sourceOf(order[j]));
            if (err != 0)
                break;
            ++made;
        }
        if (made == k - 1) {
            settleCycle(order, k, k, {});
            return;
        }
        if (made == 0 && diskfs::exchangeUnsupported(err)) {
            cycleThroughTemporary(fd, order, k);
            return;
        }
        // After `made` exchanges the files of m0..m(made-1) bear their new names and m(made)'s file bears
        // m0's old name; each undo exchange steps one back.
        while (made > 0 && diskfs::exchangeAt(fd, first, sourceOf(order[made])) == 0)
            --made;
        settleCycle(order, k, made, failure(err));
    }

private:
    const char* sourceOf(int move) const { return m_sources.fromBytes[m_plan.moves[move].request].constData(); }
    QByteArray targetOf(int move) const { return diskfs::encode(*m_rows[m_plan.moves[move].request].to); }

    // The first `done` moves of the cycle were made, the others failed with `failed`.
    void settleCycle(const int* order, int k, int done, const Result& failed)
    {
        for (int j = 0; j < k; ++j)
            m_plan.results[m_plan.moves[order[j]].request] = j < done ? Result { true } : failed;
    }

    // Where the file system cannot exchange: m0's file steps aside to a visible temporary name, the others
    // move from the end of the cycle, then m0's file takes its new name. On a failure the moves made are
    // undone in reverse and m0's file goes back; whatever cannot be undone is reported as it stands.
    void cycleThroughTemporary(int fd, const int* order, int k)
    {
        int err = 0;
        const QByteArray temporary = diskfs::moveAsideAt(fd, QByteArray(sourceOf(order[0])), &err);
        if (temporary.isEmpty()) {
            settleCycle(order, k, 0, failure(err));
            return;
        }
        std::vector<bool> made(k, false);
        int j = k - 1;
        for (; j >= 1; --j) {
            err = diskfs::renameAt(fd, sourceOf(order[j]), targetOf(order[j]).constData());
            if (err != 0)
                break;
            made[j] = true;
        }
        if (j == 0) {
            err = diskfs::renameAt(fd, temporary.constData(), targetOf(order[0]).constData());
            if (err == 0) {
                settleCycle(order, k, k, {});
                return;
            }
        }
        const Result failed = failure(err);
        for (int u = j + 1; u < k; ++u) {
            if (diskfs::renameAt(fd, targetOf(order[u]).constData(), sourceOf(order[u])) != 0)
                break;
            made[u] = false;
        }
        diskfs::renameAt(fd, temporary.constData(), sourceOf(order[0])); // if refused, it stays visible
        for (int u = 0; u < k; ++u)
            m_plan.results[m_plan.moves[order[u]].request] = made[u] ? Result { true } : failed;
    }

    Plan& m_plan;
    const std::vector<plan::RowRef>& m_rows;
    const plan::Sources& m_sources;
    LiveDisk& m_disk;
};

QString systemMessage(int error)
{
    char buffer[256];
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

} // namespace

Reason reasonForError(int error)
{
    switch (error) {
    case 0:
        return Reason::None;
    case EEXIST:
    case ENOTEMPTY:
        return Reason::NameTaken;
    case ENOENT:
    case ENOTDIR:
        return Reason::SourceMissing;
    case ENAMETOOLONG:
        return Reason::NameTooLong;
    case EACCES:
    case EPERM:
    case EROFS:
        return Reason::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return Reason::DiskFull;
    case ENOTSUP:
#if EOPNOTSUPP != ENOTSUP
    case EOPNOTSUPP:
#endif
    case ENOSYS:
    case EXDEV:
    case EINVAL:
        return Reason::Unsupported;
    case EBUSY:
    case ETXTBSY:
        return Reason::Busy;
    default:
        return Reason::SystemError;
    }
}

QString reasonText(const Result& result, int rowOffset)
{
    switch (result.reason) {
    case Reason::None:
    case Reason::NotReached:
        return {};
    case Reason::EmptyName:
        return QStringLiteral("新文件名为空");
    case Reason::UnusableName:
        return QStringLiteral("新文件名不能使用");
    case Reason::NameTooLong:
        return QStringLiteral("新文件名太长");
    case Reason::SourceMissing:
        return QStringLiteral("原文件已不存在");
    case Reason::DuplicateFile:
        return QStringLiteral("此文件在列表中重复出现");
    case Reason::SameNewName:
        return QStringLiteral("与第 %1 行的新文件名相同").arg(result.otherRequest + 1 + rowOffset);
    case Reason::NameTaken:
        return QStringLiteral("文件夹中已有同名文件");
    case Reason::PermissionDenied:
        return QStringLiteral("没有权限");
    case Reason::DiskFull:
        return QStringLiteral("磁盘已满");
    case Reason::Unsupported:
        return QStringLiteral("文件系统不支持");
    case Reason::Busy:
        return QStringLiteral("被其他程序占用");
    case Reason::SystemError:
        return systemMessage(result.sysError);
    }
    return {};
}

QList<Result> renameBatch(const QList<Request>& requests, const PassControl& control)
{
    LiveDisk disk;
    const std::vector<plan::RowRef> rows = plan::rowRefs(requests);
    const plan::Sources sources = plan::resolveSources(rows, disk);
    Plan plan = plan::makePlan(rows, sources);
    Performer performer(plan, rows, sources, disk);
    const int total = static_cast<int>(plan.moves.size());
    int made = 0;
    int reported = 0;
    bool cancelled = false;
    for (size_t s = 0; s < plan.steps.size(); ++s) {
        // The hook comes first, so a test that holds a pass before a step can cancel it there.
        if (control.beforeStep)
            control.beforeStep(static_cast<int>(s));
        if (control.cancel && control.cancel->load(std::memory_order_relaxed)) {
            cancelled = true;
            for (size_t rest = s; rest < plan.steps.size(); ++rest) {
                const plan::Step& step = plan.steps[rest];
                for (int k = 0; k < step.count; ++k)
                    plan.results[plan.moves[plan.order[step.first + k]].request] = { false, Reason::NotReached };
            }
            break;
        }
        const plan::Step& step = plan.steps[s];
        if (step.cycle)
            performer.cycle(step);
        else
            performer.chain(step);
        made += step.count;
        if (control.progress && made - reported >= 256) {
            reported = made;
            control.progress(made, total);
        }
    }
    if (cancelled) {
        // Only what the pass did is reported: the rows it did not reach keep what they had.
        for (int i = 0; i < requests.size(); ++i) {
            if (plan.states[i] == State::Failed || plan.states[i] == State::Staying)
                plan.results[i] = { false, Reason::NotReached };
        }
    }
    plan::settleNonMoving(plan, rows, sources, [&](int i) {
        const int fd = disk.fdOf(sources.folderOf[i]);
        return fd >= 0 && diskfs::kindAt(fd, sources.fromBytes[i].constData()) == diskfs::Kind::File;
    });
    if (control.progress)
        control.progress(made, total);
    return plan.results;
}

/// What a check keeps for the next one: the sources of the rows it saw, and those rows' folder and
/// old-name strings (held, so that the same string data means the same text).
struct CheckCache {
    std::mutex mutex;
    QList<QString> folders;
    QList<QString> froms;
    std::optional<plan::Sources> sources;
};

namespace {

bool sameStrings(const std::vector<plan::RowRef>& rows, const CheckCache& cache)
{
    if (!cache.sources || cache.folders.size() != qsizetype(rows.size()))
        return false;
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString& folder = cache.folders[qsizetype(i)];
        const QString& from = cache.froms[qsizetype(i)];
        if (rows[i].folder->constData() != folder.constData() || rows[i].folder->size() != folder.size()
            || rows[i].from->constData() != from.constData() || rows[i].from->size() != from.size())
            return false;
    }
    return true;
}

QList<Result> check(const std::vector<plan::RowRef>& rows, const FolderFacts& facts, CheckCache& cache)
{
    std::lock_guard lock(cache.mutex);
    if (!sameStrings(rows, cache)) {
        ListedDisk disk(facts);
        cache.sources = plan::resolveSources(rows, disk);
        cache.folders.clear();
        cache.froms.clear();
        cache.folders.reserve(qsizetype(rows.size()));
        cache.froms.reserve(qsizetype(rows.size()));
        for (const plan::RowRef& r : rows) {
            cache.folders.append(*r.folder);
            cache.froms.append(*r.from);
        }
    }
    const plan::Sources& sources = *cache.sources;
    Plan plan = plan::makePlan(rows, sources, false);
    for (const plan::Step& step : plan.steps) {
        // A cycle frees its own names; a chain is free if the name its far end takes is free.
        bool free = true;
        for (int k = 0; k < step.count; ++k) {
            const plan::Move& move = plan.moves[plan.order[step.first + k]];
            if (k == 0 && !step.cycle)
                free = move.targetName < 0 || sources.names[move.targetName].held == diskfs::Kind::None;
            plan.results[move.request] = free ? Result { true } : Result { false, Reason::NameTaken };
        }
    }
    plan::settleNonMoving(plan, rows, sources, [](int) { return true; });
    return plan.results;
}

} // namespace

FolderFacts::FolderFacts()
    : m_cache(std::make_shared<CheckCache>())
{
}

void FolderFacts::insert(const QString& folder, Folder facts)
{
    m_folders.insert(folder, std::move(facts));
    m_cache = std::make_shared<CheckCache>(); // what was learnt from the old facts no longer holds
}

QList<Result> checkBatch(const QList<Request>& requests, const FolderFacts& facts)
{
    return check(plan::rowRefs(requests), facts, *facts.m_cache);
}

QList<Result> checkColumns(
    const QStringList& folders, const QStringList& froms, const QStringList& tos, const FolderFacts& facts)
{
    Q_ASSERT(folders.size() == froms.size() && froms.size() == tos.size());
    const qsizetype n = std::min({ folders.size(), froms.size(), tos.size() });
    std::vector<plan::RowRef> rows;
    rows.reserve(size_t(n));
    for (qsizetype i = 0; i < n; ++i)
        rows.push_back({ &folders.at(i), &froms.at(i), &tos.at(i) });
    return check(rows, facts, *facts.m_cache);
}

} // namespace batchrename
