// batchrename: plans a batch as chains and cycles of moves over hash maps, then performs it.
#include "disk/batchrename.h"

#include <vector>

#include <QHash>

#include "disk/diskfs.h"
#include "rename/renamelist.h"
#include "rename/renamerow.h"

namespace batchrename {

namespace {

// A request that is to move a file: the first to name its source, with a target it claimed first.
struct Move {
    int request = -1;
    QByteArray source;
    QByteArray target;
    int targetSlot = -1; // the planner's slot of the target path
    int blocker = -1; // the move whose source is this move's target; it has to go first
    bool blocking = false; // some move waits for this one
    bool planned = false;
    bool done = false; // the file now bears its target
    bool noFile = false; // no file (or a folder) was found at the source when its turn came
};

// What the planner made of one request.
enum class Kind : quint8 {
    Refused, // a refused name or folder: the disk is not touched
    Duplicate, // the same source as an earlier request
    Missing, // first to name its source, where no file is
    Staying, // first to name its source, a file, which does not move: same name, or target taken
    Moving, // first to name its source, and a move is planned (whether a file is there shows at its turn)
};

// The source is looked at right before its rename, as part of the same step: a folder is not renamed.
void perform(Move& move)
{
    move.noFile = !diskfs::isFileOrLink(move.source);
    move.done = !move.noFile && diskfs::renameNoReplace(move.source, move.target) == 0;
}

// A cycle m0 -> m1 -> ... -> mk-1 -> m0 (each move's target is the next one's source): m0's file
// steps aside to a temporary name, the others move from the end, then m0's file takes its target.
void performCycle(std::vector<Move>& moves, const std::vector<int>& cycle)
{
    Move& first = moves[cycle.front()];
    first.noFile = !diskfs::isFileOrLink(first.source);
    const QByteArray temporary = first.noFile ? QByteArray() : diskfs::moveToTemporary(first.source);
    // Without a first file (or its step aside) the cycle is a chain that ends at the first's source.
    for (size_t j = cycle.size() - 1; j >= 1; --j)
        perform(moves[cycle[j]]);
    if (temporary.isEmpty())
        return;
    if (diskfs::renameNoReplace(temporary, first.target) == 0) {
        first.done = true;
        return;
    }
    if (diskfs::renameNoReplace(temporary, first.source) == 0)
        return;
    // The last move of the cycle took the first file's name: undo the moves in reverse, so that
    // the name comes free again and no file stays under the temporary name.
    for (size_t j = 1; j < cycle.size(); ++j) {
        Move& move = moves[cycle[j]];
        if (move.done && diskfs::renameNoReplace(move.target, move.source) == 0)
            move.done = false;
    }
    diskfs::renameNoReplace(temporary, first.source);
}

} // namespace

QList<bool> renameBatch(const QList<Request>& requests)
{
    const int n = static_cast<int>(requests.size());
    QList<bool> result(n, false);
    std::vector<Kind> kinds(n, Kind::Refused);
    std::vector<int> moveOf(n, -1); // for a Moving request its move, for a Duplicate the request it repeats
    std::vector<Move> moves;
    // One slot per path named by the batch, as source or as target: a single hash lookup per name.
    struct Slot {
        int sourceRequest = -1; // first request naming this path as its source
        int targetMove = -1; // move that claimed this path as its target
    };
    std::vector<Slot> pathSlots;
    QHash<QByteArray, int> slotOf; // path -> 1 + index into pathSlots
    pathSlots.reserve(2 * static_cast<size_t>(n));
    slotOf.reserve(2 * n);
    auto slotFor = [&](const QByteArray& path) {
        int& index = slotOf[path];
        if (index == 0) {
            pathSlots.emplace_back();
            index = static_cast<int>(pathSlots.size());
        }
        return index - 1;
    };
    std::vector<QByteArray> sources(n);
    std::vector<QByteArray> targets(n);
    moves.reserve(n);

    // Plan in two sweeps; the first claim of a source or of a target wins, in request order.
    // 1. Names: refuse bad ones, and find the requests that repeat an earlier request's source.
    QString folder; // requests mostly share one folder: encode it once
    QByteArray folderBytes;
    for (int i = 0; i < n; ++i) {
        const Request& r = requests.at(i);
        if (!r.folder.endsWith(QLatin1Char('/')) || !diskfs::isAcceptableName(r.from)
            || !diskfs::isAcceptableName(r.to))
            continue;
        if (r.folder != folder) {
            folder = r.folder;
            folderBytes = diskfs::encode(folder);
        }
        sources[i] = folderBytes + diskfs::encode(r.from);
        targets[i] = folderBytes + diskfs::encode(r.to);
        Slot& sourceSlot = pathSlots[slotFor(sources[i])];
        if (sourceSlot.sourceRequest >= 0) {
            kinds[i] = Kind::Duplicate;
            moveOf[i] = sourceSlot.sourceRequest;
        } else {
            sourceSlot.sourceRequest = i;
            kinds[i] = Kind::Staying;
        }
    }
    // 2. Targets: a name that stays needs only its file; the others claim their targets. The disk is
    // looked at here only for requests that will not move; a move looks at its source when it runs.
    for (int i = 0; i < n; ++i) {
        if (kinds[i] != Kind::Staying)
            continue;
        const bool keepsName = targets[i] == sources[i];
        const int targetSlot = keepsName ? -1 : slotFor(targets[i]);
        if (keepsName || pathSlots[targetSlot].targetMove >= 0) {
            const bool file = diskfs::isFileOrLink(sources[i]);
            kinds[i] = file ? Kind::Staying : Kind::Missing;
            result[i] = file && keepsName;
            continue;
        }
        pathSlots[targetSlot].targetMove = static_cast<int>(moves.size());
        kinds[i] = Kind::Moving;
        moveOf[i] = static_cast<int>(moves.size());
        moves.push_back(Move { i, std::move(sources[i]), std::move(targets[i]), targetSlot });
    }

    // Each move waits for at most one move (the one leaving its target) and is waited for by at most
    // one (targets are unique), so the moves form disjoint chains and cycles.
    for (Move& move : moves) {
        const int owner = pathSlots[move.targetSlot].sourceRequest;
        if (owner >= 0 && kinds[owner] == Kind::Moving) {
            move.blocker = moveOf[owner];
            moves[move.blocker].blocking = true;
        }
    }

    // Chains: start where nobody waits, walk to the move whose target is free, perform back.
    std::vector<int> chain;
    for (size_t m = 0; m < moves.size(); ++m) {
        if (moves[m].blocking)
            continue;
        chain.clear();
        for (int c = static_cast<int>(m); c >= 0; c = moves[c].blocker) {
            moves[c].planned = true;
            chain.push_back(c);
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            perform(moves[*it]);
    }
    // What is left lies on cycles.
    for (size_t m = 0; m < moves.size(); ++m) {
        if (moves[m].planned)
            continue;
        chain.clear();
        for (int c = static_cast<int>(m); !moves[c].planned; c = moves[c].blocker) {
            moves[c].planned = true;
            chain.push_back(c);
        }
        performCycle(moves, chain);
    }

    for (const Move& move : moves)
        result[move.request] = move.done;

    // A file named again by a later request: true only if it bears the name that request asked for.
    for (int i = 0; i < n; ++i) {
        if (kinds[i] != Kind::Duplicate)
            continue;
        const int first = moveOf[i];
        const bool moving = kinds[first] == Kind::Moving;
        if (moving && moves[moveOf[first]].done)
            result[i] = targets[i] == moves[moveOf[first]].target;
        else if (kinds[first] == Kind::Staying || (moving && !moves[moveOf[first]].noFile))
            result[i] = targets[i] == sources[i] && diskfs::isFileOrLink(sources[i]); // the file did not move
    }
    return result;
}

void renameAll(RenameList& list)
{
    const int n = list.count();
    if (n == 0)
        return;
    QList<Request> requests;
    requests.reserve(n);
    for (int row = 0; row < n; ++row)
        requests.append({ list.folder(row), list.oldName(row), list.newName(row) });
    const QList<bool> done = renameBatch(requests);
    const QString succeeded = outcome::succeeded();
    const QString failed = outcome::failed();
    for (int row = 0; row < n; ++row)
        list.setOutcome(row, done[row] ? succeeded : failed, done[row] ? RowIcon::Renamed : RowIcon::RenameFailed);
}

void restoreAll(RenameList& list)
{
    const int n = list.count();
    const QString succeeded = outcome::succeeded();
    QList<int> rows;
    QList<Request> requests;
    for (int row = 0; row < n; ++row) {
        if (list.outcome(row) != succeeded)
            continue;
        rows.append(row);
        requests.append({ list.folder(row), list.newName(row), list.oldName(row) });
    }
    if (rows.isEmpty())
        return;
    const QList<bool> done = renameBatch(requests);
    const QString restored = outcome::restored();
    const QString restoreFailed = outcome::restoreFailed();
    for (qsizetype i = 0; i < rows.size(); ++i)
        list.setOutcome(
            rows[i], done[i] ? restored : restoreFailed, done[i] ? RowIcon::Restored : RowIcon::RestoreFailed);
}

} // namespace batchrename
