// batchplan: the one planner behind the batch rename and its check: rules, chains and cycles of moves.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include "disk/batchrename.h"
#include "disk/diskfs.h"
#include "disk/plantables.h"
#include "disk/rowfolders.h"

namespace batchrename::plan {

/// One request as the planner reads it: three names that outlive the planning.
struct RowRef {
    const QString* folder;
    const QString* from;
    const QString* to;
};

/// The requests as the planner reads them, where they already lie: a list of requests, or three lists of
/// names (folder, old and new name of row i at index i). Nothing is laid out per row.
class Rows {
public:
    explicit Rows(const QList<Request>& requests)
        : m_requests(requests.constData())
        , m_size(size_t(requests.size()))
    {
    }
    Rows(const RowFolders& folders, const QString* froms, const QString* tos, size_t size)
        : m_folders(&folders)
        , m_froms(froms)
        , m_tos(tos)
        , m_size(size)
    {
    }

    RowRef operator[](size_t i) const
    {
        if (m_requests)
            return { &m_requests[i].folder, &m_requests[i].from, &m_requests[i].to };
        return { &m_folders->at(qsizetype(i)), m_froms + i, m_tos + i };
    }
    size_t size() const { return m_size; }

private:
    const Request* m_requests = nullptr;
    const RowFolders* m_folders = nullptr;
    const QString* m_froms = nullptr;
    const QString* m_tos = nullptr;
    size_t m_size = 0;
};

/// The hash of a name within a folder number, shared by the planner's tables.
size_t nameHash(int folder, QStringView name);

/// A name the batch or the disk knows in a folder: who names it as a source, and what bears it.
struct KnownName {
    int folder = -1;
    int sourceRequest = -1; // the first request naming this file as its old name
    // The name's length, at most 65535: enough to tell it from a new name, which is refused beyond 255 bytes
    // before it is matched.
    quint16 size = 0;
    diskfs::Kind held = diskfs::Kind::None; // what the folder holds under this name (checks only)

    static quint16 sizeOf(const QString& name) { return quint16(std::min<qsizetype>(name.size(), 65535)); }
};
using KnownNames = NameTable<KnownName>;

/**
 * What the planner learns from the folders and old names alone, whatever the new names are: reusable
 * for every new plan of the same rows against the same facts.
 */
struct Sources {
    std::vector<int> folderOf; // folder number, or -1 for a folder without its closing "/"
    std::vector<int> firstOf; // the first request naming the same file (itself when first), -1: unusable
    std::vector<quint32> fromHash; // the lower half of nameHash of each old name in its folder
    std::vector<diskfs::Kind> kind; // what the first request's old name holds
    QHash<int, int> lookupErrors; // request -> errno, for a first request whose kind is Unknown
    std::vector<QByteArray> fromBytes; // UTF-8 old names of the requests looked up (empty if none was)
    KnownNames names; // every old name; for a check also every listed name (finished: read by number)
    std::vector<Keyed> sortedNames; // the entries of `names`, ordered by their hashes for the sweeps
};

/// What the planner asks of the disk while it resolves sources.
class DiskView {
public:
    virtual ~DiskView() = default;
    /// A number for the folder spelled `folder`, equal for spellings of one folder (same device and
    /// inode); a folder that cannot be found gets a number of its own. Asked once per spelling. A view
    /// that knows the folder's names adds them to `names` (with `held` set) when the number is new; their
    /// texts have to outlive resolveSources.
    virtual int folderId(const QString& folder, KnownNames& names) = 0;
    /// Whether the view added every name of folder `folder` (then kind() is not asked for it).
    virtual bool listed(int folder) const = 0;
    /// What bears the name whose UTF-8 is `bytes` in folder `folder` (errno in `*error` for Unknown).
    virtual diskfs::Kind kind(int folder, const QByteArray& bytes, int* error) = 0;
};

Sources resolveSources(const Rows& rows, DiskView& view);

/// One planned move: request `request` renames its file within its folder.
struct Move {
    int request = -1; // its folder: Sources::folderOf[request]
    int blocker = -1; // the move that leaves this move's target: it has to go first
    int targetName = -1; // the target's entry in Sources::names, or -1 (a name no known name spells)
    bool blocking = false; // some move waits for this one
    bool planned = false; // laid out in a step (or, for the check, judged)
};

/// A step of the pass: `count` moves of `order` from `first`, either a chain (in the order they are
/// made, the one with the free target first) or a cycle (each move's target is the next one's source).
struct Step {
    int first = 0;
    int count = 0;
    bool cycle = false;
};

/// What a request came to before any move is made.
enum class State : quint8 {
    Failed, // judged already: results[i] holds the reason
    Duplicate, // names a file an earlier request names (Sources::firstOf)
    Staying, // its file keeps its name: judged after the moves
    Moving, // a move is planned (moveOf)
};

struct Plan {
    QList<Result> results;
    std::vector<State> states;
    std::vector<int> moveOf; // Moving: index into moves
    std::span<Move> moves; // in the scratch's room
    std::vector<int> order; // moves in the order the steps make them (laySteps)
    std::vector<Step> steps; // (laySteps)

    /// makePlan's working lists. A plan made again over lists of the same size reuses all of it: at a
    /// million rows, fresh memory costs more to touch than the planning itself.
    struct Scratch {
        // The claimed new names by their hashes and the radix sort's other half, later the moves: lists
        // whose lives do not overlap, tens of megabytes each at a million rows.
        std::unique_ptr<std::byte[]> room;
        size_t roomBytes = 0;
        std::vector<bool> wins;
    } scratch;
};

/**
 * Judges every request on its new name, its source, repeats and claims (see renameBatch for the
 * order) and finds the moves with the move each waits for. Linear in the number of requests. New names
 * are matched with the known names by sorted sweeps; `exact` compares the texts of names whose hashes are
 * equal (a known name's text is the old name of its first request: `exact` needs every known name to be
 * an old name, as it is for the live disk), otherwise equal 64-bit hashes, folders and lengths are taken
 * as equal names (a check, where a wrong answer with a chance of about one in 10^9 per batch costs only a
 * wrong mark, is spared the texts).
 */
Plan makePlan(const Rows& rows, const Sources& sources, bool exact = true);

/// makePlan into `plan`, reusing its lists (results the caller still shares are copied first).
void makePlan(const Rows& rows, const Sources& sources, bool exact, Plan& plan);

/// Lays the plan's moves out as the steps of a pass: `order` and `steps`.
void laySteps(Plan& plan);

/// The results of the requests that do not move, once the moves' results are known: staying files
/// (`stillThere` tells whether the file of a staying request is still there) and repeated files.
template <typename StillThere>
void settleNonMoving(Plan& plan, const Rows& rows, const Sources& sources, StillThere stillThere)
{
    const int n = static_cast<int>(rows.size());
    for (int i = 0; i < n; ++i) {
        if (plan.states[i] != State::Staying || plan.results[i].reason == Reason::NotReached)
            continue;
        plan.results[i] = stillThere(i) ? Result { true } : Result { false, Reason::SourceMissing };
    }
    for (int i = 0; i < n; ++i) {
        if (plan.states[i] != State::Duplicate)
            continue;
        const int first = sources.firstOf[i];
        const Result& firstResult = plan.results[first];
        if (firstResult.reason == Reason::NotReached) {
            plan.results[i] = firstResult;
            continue;
        }
        bool done = false;
        if (plan.states[first] == State::Moving && firstResult.done)
            done = *rows[i].to == *rows[first].to; // the file bears the first request's new name
        else if (sources.kind[first] == diskfs::Kind::File && firstResult.reason != Reason::SourceMissing)
            done = *rows[i].to == *rows[i].from; // the file did not move
        plan.results[i] = done ? Result { true } : Result { false, Reason::DuplicateFile };
    }
}

} // namespace batchrename::plan
