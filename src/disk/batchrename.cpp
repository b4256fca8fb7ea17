// batchrename: plans a batch as chains and cycles of moves over hash maps, then performs it.
#include "disk/batchrename.h"

#include <vector>

#include <QHash>

#include "disk/diskfs.h"
#include "rename/renamelist.h"
#include "rename/renamerow.h"

namespace batchrename {

namespace {

// A request that actually moves a file: its source is a file and its target differs.
struct Move {
    int request = -1;
    QByteArray source;
    QByteArray target;
    int targetSlot = -1; // the planner's slot of the target path
    int blocker = -1; // the move whose source is this move's target; it has to go first
    bool blocking = false; // some move waits for this one
    bool planned = false;
    bool done = false; // the file now bears its target
};

// What the planner made of one request.
enum class Kind : quint8 {
    Refused, // a refused name or folder: the disk is not touched
    Duplicate, // the same source as an earlier request
    Missing, // first to name its source, where no file is
    Staying, // first to name its source, which does not move: same name, or target taken
    Moving, // first to name its source, and a move is planned
};

void perform(Move& move)
{
    move.done = diskfs::renameNoReplace(move.source, move.target) == 0;
}

// A cycle m0 -> m1 -> ... -> mk-1 -> m0 (each move's target is the next one's source): m0's file
// steps aside to a temporary name, the others move from the end, then m0's file takes its target.
void performCycle(std::vector<Move>& moves, const std::vector<int>& cycle)
{
    Move& first = moves[cycle.front()];
    const QByteArray temporary = diskfs::moveToTemporary(first.source);
    if (temporary.isEmpty())
        return; // every target of the cycle is still held; nothing moved
    for (size_t j = cycle.size() - 1; j >= 1; --j)
        perform(moves[cycle[j]]);
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
    QString folder; // rows mostly share one folder: encode it once
    QByteArray folderBytes;

    // Plan: sort every request into its kind; the first claim of a source or a target wins.
    for (int i = 0; i < n; ++i) {
        const Request& r = requests.at(i);
        if (!r.folder.endsWith(QLatin1Char('/')) || !diskfs::isAcceptableName(r.from)
            || !diskfs::isAcceptableName(r.to))
            continue;
        if (r.folder != folder) {
            folder = r.folder;
            folderBytes = diskfs::encode(folder);
        }
        QByteArray source = folderBytes + diskfs::encode(r.from);
        Slot& sourceSlot = pathSlots[slotFor(source)]; // not used past the next slotFor()
        if (sourceSlot.sourceRequest >= 0) {
            kinds[i] = Kind::Duplicate;
            moveOf[i] = sourceSlot.sourceRequest;
            continue;
        }
        sourceSlot.sourceRequest = i;
        if (!diskfs::isFileOrLink(source)) {
            kinds[i] = Kind::Missing;
            continue;
        }
        kinds[i] = Kind::Staying;
        QByteArray target = folderBytes + diskfs::encode(r.to);
        if (target == source) {
            result[i] = true;
            continue;
        }
        const int targetSlot = slotFor(target);
        if (pathSlots[targetSlot].targetMove >= 0)
            continue;
        pathSlots[targetSlot].targetMove = static_cast<int>(moves.size());
        kinds[i] = Kind::Moving;
        moveOf[i] = static_cast<int>(moves.size());
        moves.push_back(Move { i, std::move(source), std::move(target), targetSlot });
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
        const Request& r = requests.at(i);
        const QByteArray source = diskfs::encode(r.folder + r.from);
        const QByteArray target = diskfs::encode(r.folder + r.to);
        if (kinds[first] == Kind::Moving && moves[moveOf[first]].done)
            result[i] = target == moves[moveOf[first]].target;
        else if (kinds[first] != Kind::Missing) // the file was there and did not move
            result[i] = target == source && diskfs::isFileOrLink(source);
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
