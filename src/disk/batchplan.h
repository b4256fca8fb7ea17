// batchplan: the one planner behind the batch rename and its check: rules, chains and cycles of moves.
#pragma once

#include <vector>

#include <QByteArray>
#include <QList>

#include "disk/batchrename.h"
#include "disk/diskfs.h"

namespace batchrename::plan {

/// What the planner asks of the disk: the live disk for a pass, what was listed for a check.
class DiskView {
public:
    virtual ~DiskView() = default;
    /// A number for the folder spelled `folder` (ending in "/"), equal for spellings of one folder (same
    /// device and inode); a folder that cannot be found gets a number of its own. Asked once per spelling.
    virtual int folderId(const QString& folder) = 0;
    /// What bears `name` (also given as UTF-8 in `bytes`, empty when the view does not need it) in the
    /// folder numbered `folder`.
    virtual diskfs::Kind kind(int folder, const QString& name, const QByteArray& bytes) = 0;
    /// Whether the view encodes names for kind() (the live disk does; listed facts do not).
    virtual bool wantsBytes() const = 0;
};

/// One planned move: request `request` renames its file within folder `folder`.
struct Move {
    int request = -1;
    int folder = -1;
    int blocker = -1; // the move that leaves this move's target: it has to go first
    bool blocking = false; // some move waits for this one
    bool planned = false;
};

/// A step of the pass: `count` moves of `order` from `first`, either a chain (listed in the order they
/// are made, the one with the free target first) or a cycle (each move's target is the next move's
/// source, and the last move's target the first move's source).
struct Step {
    int first = 0;
    int count = 0;
    bool cycle = false;
};

/// What a request came to before any move is made.
enum class State : quint8 {
    Failed, // judged already: results[i] holds the reason
    Duplicate, // names a file an earlier request names (firstOf)
    Staying, // its file keeps its name: judged after the moves
    Moving, // a move is planned (moveOf)
};

struct Plan {
    QList<Result> results;
    std::vector<State> states;
    std::vector<int> folderOf; // the folder number of each request (-1 when judged on its name alone)
    std::vector<int> firstOf; // Duplicate: the request that names the file first
    std::vector<int> moveOf; // Moving: index into moves
    std::vector<QByteArray> fromBytes; // UTF-8 old names when the view wants bytes
    std::vector<Move> moves;
    std::vector<int> order; // moves in the order the steps make them
    std::vector<Step> steps;
};

/**
 * Plans `requests` against `view`: judges every request on its names, its source, repeats and claims
 * (see renameBatch for the order), and lays the moves out as steps. Linear in the number of requests.
 */
Plan makePlan(const QList<Request>& requests, DiskView& view);

/// The results of the requests that do not move, once the moves' results are known: staying files
/// (`stillThere` tells whether the file of a staying request is still there) and repeated files.
template <typename StillThere> void settleNonMoving(Plan& plan, const QList<Request>& requests, StillThere stillThere)
{
    const int n = static_cast<int>(requests.size());
    for (int i = 0; i < n; ++i) {
        if (plan.states[i] != State::Staying || plan.results[i].reason == Reason::NotReached)
            continue;
        if (stillThere(i))
            plan.results[i] = { true };
        else
            plan.results[i] = { false, Reason::SourceMissing };
    }
    for (int i = 0; i < n; ++i) {
        if (plan.states[i] != State::Duplicate)
            continue;
        const int first = plan.firstOf[i];
        const Result& firstResult = plan.results[first];
        bool done = false;
        if (firstResult.reason == Reason::NotReached) {
            plan.results[i] = firstResult;
            continue;
        }
        if (plan.states[first] == State::Moving && firstResult.done)
            done = requests[i].to == requests[first].to; // the file bears the first request's new name
        else if (firstResult.reason != Reason::SourceMissing)
            done = requests[i].to == requests[i].from; // the file did not move
        plan.results[i] = done ? Result { true } : Result { false, Reason::DuplicateFile };
    }
}

} // namespace batchrename::plan
