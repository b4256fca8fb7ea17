// batchrename: the pass over the live disk.
#include "disk/batchrename.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

#include "disk/batchplan.h"
#include "disk/diskfs.h"
#include "disk/folderhandles.h"

namespace batchrename {

using plan::Plan;
using plan::State;

namespace {

// The live disk: folders known by device and inode, every name looked up.
class LiveDisk final : public plan::DiskView {
public:
    int folderId(const QString& folder, plan::KnownNames&) override
    {
        QByteArray bytes = diskfs::encode(folder);
        struct stat st;
        if (::stat(bytes.constData(), &st) != 0)
            return handles.add(std::move(bytes), 0, 0, errno);
        if (!S_ISDIR(st.st_mode))
            return handles.add(std::move(bytes), 0, 0, ENOTDIR);
        const QPair<quint64, quint64> identity { quint64(st.st_dev), quint64(st.st_ino) };
        if (const auto it = m_byIdentity.constFind(identity); it != m_byIdentity.cend())
            return it.value();
        const int id = handles.add(std::move(bytes), identity.first, identity.second, 0);
        m_byIdentity.insert(identity, id);
        return id;
    }

    bool listed(int) const override { return false; }

    diskfs::Kind kind(int folder, const QByteArray& bytes, int* error) override
    {
        return handles.kind(folder, bytes.constData(), error);
    }

    FolderHandles handles;

private:
    QHash<QPair<quint64, quint64>, int> m_byIdentity;
};

Result failure(int error, const QByteArrayList& names = {})
{
    Result result { false, reasonForError(error), -1, error };
    for (const QByteArray& name : names)
        result.names.append(QString::fromUtf8(name));
    return result;
}

// Counts the moves of a pass and tells the caller after every 256.
class Progress {
public:
    Progress(const PassControl& control, int total)
        : m_control(control)
        , m_total(total)
    {
    }

    void advance(int moves)
    {
        m_made += moves;
        if (m_made - m_reported >= 256 && m_control.progress) {
            m_reported = m_made;
            m_control.progress(m_made, m_total);
        }
    }

    void finish()
    {
        if (m_control.progress)
            m_control.progress(m_made, m_total);
    }

private:
    const PassControl& m_control;
    int m_total;
    int m_made = 0;
    int m_reported = 0;
};

// Performs the moves of a pass; results go into the plan.
class Performer {
public:
    Performer(
        Plan& plan, const plan::Rows& rows, const plan::Sources& sources, FolderHandles& folders, Progress& progress)
        : m_plan(plan)
        , m_rows(rows)
        , m_sources(sources)
        , m_folders(folders)
        , m_progress(progress)
    {
    }

    // One move of a chain.
    void move(int m)
    {
        const plan::Move& move = m_plan.moves[m];
        int err = 0;
        QByteArrayList names;
        const int fd = m_folders.fdOf(m_sources.folderOf[move.request], &err);
        if (fd >= 0)
            err = diskfs::renameAt(fd, sourceOf(m), targetOf(m).constData(), &names);
        m_plan.results[move.request] = err == 0 ? Result { true } : failure(err, names);
        m_progress.advance(1);
    }

    // A cycle m0 -> m1 -> ... -> mk-1 -> m0 (each move's target is the next one's source). Exchanging
    // m0's name with m1's, then m2's, ... puts one file after the other in place: k-1 exchanges, and at
    // every instant each file bears one of the cycle's names. A failing exchange rolls back the ones made;
    // an undo that fails is passed over, so that the others still bring their files back.
    void cycle(const plan::Step& step)
    {
        const int* order = m_plan.order.data() + step.first;
        const int k = step.count;
        int err = 0;
        const int fd = m_folders.fdOf(m_sources.folderOf[m_plan.moves[order[0]].request], &err);
        if (fd < 0) {
            m_progress.advance(k);
            settle(order, k, homes(order, k), err);
            return;
        }
        const char* first = sourceOf(order[0]);
        std::vector<int> fileAt(k); // file f is the file of order[f]; fileAt[p]: the file under order[p]'s name
        for (int p = 0; p < k; ++p)
            fileAt[p] = p;
        auto exchange = [&](int j) {
            const int e = diskfs::exchangeAt(fd, first, sourceOf(order[j]));
            if (e == 0)
                std::swap(fileAt[0], fileAt[j]);
            return e;
        };
        int made = 0;
        for (int j = 1; j < k; ++j) {
            err = exchange(j);
            if (err != 0)
                break;
            ++made;
            m_progress.advance(j == k - 1 ? 2 : 1); // the last exchange puts two files in place
        }
        if (made == k - 1) {
            settle(order, k, {}, 0);
            return;
        }
        if (made == 0 && diskfs::exchangeUnsupported(err)) {
            cycleThroughTemporary(fd, order, k);
            return;
        }
        for (int j = made; j >= 1; --j)
            exchange(j);
        m_progress.advance(k - made);
        std::vector<QByteArrayList> bears(k);
        for (int p = 0; p < k; ++p)
            bears[fileAt[p]] = { QByteArray(sourceOf(order[p])) };
        settle(order, k, bears, err);
    }

private:
    const char* sourceOf(int move) const { return m_sources.fromBytes[m_plan.moves[move].request].constData(); }
    QByteArray targetOf(int move) const { return diskfs::encode(*m_rows[m_plan.moves[move].request].to); }

    std::vector<QByteArrayList> homes(const int* order, int k) const
    {
        std::vector<QByteArrayList> bears(k);
        for (int f = 0; f < k; ++f)
            bears[f] = { QByteArray(sourceOf(order[f])) };
        return bears;
    }

    // File f of the cycle (that of order[f]) bears the names bears[f]: done when that is its new name
    // alone, failed with `error` otherwise, telling the names unless it is its old name alone. No `bears`:
    // every file bears its new name.
    void settle(const int* order, int k, const std::vector<QByteArrayList>& bears, int error)
    {
        for (int f = 0; f < k; ++f) {
            Result& result = m_plan.results[m_plan.moves[order[f]].request];
            if (bears.empty()) {
                result = Result { true };
                continue;
            }
            const QByteArrayList& names = bears[f];
            const bool one = names.size() == 1;
            if (one && names[0] == sourceOf(order[(f + 1) % k]))
                result = Result { true };
            else if (one && names[0] == sourceOf(order[f]))
                result = failure(error);
            else
                result = failure(error, names);
        }
    }

    // Where the file system cannot exchange: m0's file steps aside to a visible temporary name, the others
    // move from the end of the cycle, then m0's file takes its new name. On a failure the moves made are
    // undone, the last made first, and m0's file goes back; whatever cannot be undone is told as it stands.
    void cycleThroughTemporary(int fd, const int* order, int k)
    {
        std::vector<QByteArrayList> bears = homes(order, k);
        int counted = 0;
        auto settleAll = [&](int error) {
            m_progress.advance(k - counted);
            settle(order, k, bears, error);
        };
        int err = 0;
        QByteArrayList left; // the names a failed rename left its file under, when not its old name alone
        const QByteArray temporary = diskfs::moveAsideAt(fd, QByteArray(sourceOf(order[0])), &err, &left);
        if (temporary.isEmpty()) {
            if (!left.isEmpty())
                bears[0] = left;
            settleAll(err);
            return;
        }
        bears[0] = { temporary };
        int j = k - 1;
        for (; j >= 1; --j) {
            left.clear();
            err = diskfs::renameAt(fd, sourceOf(order[j]), targetOf(order[j]).constData(), &left);
            if (err != 0) {
                if (!left.isEmpty())
                    bears[j] = left;
                break;
            }
            bears[j] = { targetOf(order[j]) };
            ++counted;
            m_progress.advance(1);
        }
        if (j == 0) {
            left.clear();
            err = diskfs::renameAt(fd, temporary.constData(), targetOf(order[0]).constData(), &left);
            if (err == 0) {
                bears[0] = { targetOf(order[0]) };
                settleAll(0);
                return;
            }
            if (!left.isEmpty())
                bears[0] = left;
        }
        // Each undo frees the name the next one needs, so the first that fails ends them.
        for (int u = j + 1; u < k; ++u) {
            left.clear();
            if (diskfs::renameAt(fd, targetOf(order[u]).constData(), sourceOf(order[u]), &left) != 0) {
                if (!left.isEmpty())
                    bears[u] = left;
                break;
            }
            bears[u] = { QByteArray(sourceOf(order[u])) };
        }
        if (bears[0] == QByteArrayList { temporary }) {
            left.clear();
            if (diskfs::renameAt(fd, temporary.constData(), sourceOf(order[0]), &left) == 0)
                bears[0] = { QByteArray(sourceOf(order[0])) };
            else if (!left.isEmpty())
                bears[0] = left; // if refused, it stays visible under the temporary name, and its row says so
        }
        settleAll(err);
    }

    Plan& m_plan;
    const plan::Rows& m_rows;
    const plan::Sources& m_sources;
    FolderHandles& m_folders;
    Progress& m_progress;
};

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

QList<Result> renameBatch(const QList<Request>& requests, const PassControl& control)
{
    LiveDisk disk;
    const plan::Rows rows(requests);
    const plan::Sources sources = plan::resolveSources(rows, disk);
    Plan plan = plan::makePlan(rows, sources);
    plan::laySteps(plan);
    Progress progress(control, static_cast<int>(plan.moves.size()));
    Performer performer(plan, rows, sources, disk.handles, progress);
    // A step is one move of a chain or one whole cycle; cancel is read before each.
    int stepNumber = 0;
    bool cancelled = false;
    for (size_t s = 0; s < plan.steps.size(); ++s) {
        const plan::Step& step = plan.steps[s];
        const int count = step.cycle ? 1 : step.count;
        for (int k = 0; k < count; ++k) {
            // The hook comes first, so a test that holds a pass before a step can cancel it there.
            if (!cancelled && control.beforeStep)
                control.beforeStep(stepNumber);
            ++stepNumber;
            if (!cancelled && control.cancel && control.cancel->load(std::memory_order_relaxed))
                cancelled = true;
            if (cancelled) {
                for (int rest = step.cycle ? 0 : k; rest < step.count; ++rest)
                    plan.results[plan.moves[plan.order[step.first + rest]].request] = { false, Reason::NotReached };
                break;
            }
            if (step.cycle)
                performer.cycle(step);
            else
                performer.move(plan.order[step.first + k]);
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
        int error = 0;
        return disk.handles.kind(sources.folderOf[i], sources.fromBytes[i].constData(), &error) == diskfs::Kind::File;
    });
    progress.finish();
    return plan.results;
}

} // namespace batchrename
