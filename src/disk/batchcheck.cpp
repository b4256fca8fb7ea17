// batchcheck: the planner's verdicts against listed folders, with a chain rule of the check's own.
#include "disk/batchcheck.h"

#include <algorithm>

#include "disk/batchplan.h"
#include "disk/checkcache.h"
#include "disk/diskfs.h"

namespace batchrename {

namespace {

// The pass learns whether a chain is free by making its moves; the check cannot, so it judges each chain
// by the name its far end takes: free, the whole chain succeeds; held, every move of it fails, since each
// waits for the one before. A cycle frees its own names. In a folder that was not listed, the disk is asked.
// The check needs no steps: from each move nobody waits for, it follows the moves waited for to the far
// end, then judges the way back.
QList<Result> check(const plan::Rows& rows, CheckCache::Known& known)
{
    const plan::Sources& sources = known.sources;
    // Equal 64-bit hashes are taken for equal names: a wrong answer costs a wrong mark, not a file.
    plan::Plan& plan = known.plan;
    plan::makePlan(rows, sources, false, plan);
    const std::span<plan::Move> moves = plan.moves;
    for (size_t m = 0; m < moves.size(); ++m) {
        if (moves[m].blocking)
            continue;
        int last = int(m);
        while (moves[last].blocker >= 0)
            last = moves[last].blocker;
        const plan::Move& move = moves[last];
        const int folder = sources.folderOf[move.request];
        diskfs::Kind held = diskfs::Kind::None;
        int error = 0;
        if (move.targetName >= 0) {
            const plan::KnownName& target = sources.names[move.targetName];
            held = target.held;
            error = sources.lookupErrors.value(target.sourceRequest);
        } else if (!known.listed[folder]) {
            held = known.handles.kind(folder, diskfs::encode(*rows[move.request].to).constData(), &error);
        }
        const Result end = held == diskfs::Kind::None ? Result { true }
            : held == diskfs::Kind::Unknown           ? Result { false, reasonForError(error), -1, error }
                                                      : Result { false, Reason::NameTaken };
        for (int c = int(m); c != last; c = moves[c].blocker) {
            moves[c].planned = true;
            plan.results[moves[c].request] = end.done ? Result { true } : Result { false, Reason::NameTaken };
        }
        moves[last].planned = true;
        plan.results[move.request] = end;
    }
    for (const plan::Move& move : moves) {
        if (!move.planned) // on a cycle
            plan.results[move.request] = Result { true };
    }
    known.handles.close();
    plan::settleNonMoving(plan, rows, sources, [](int) { return true; });
    return plan.results;
}

QList<Result> checkRows(const FolderFacts& facts, CheckCache::Columns columns, const plan::Rows& rows)
{
    CheckCache once; // for facts that were moved from, which share no cache
    CheckCache& cache = facts.checkCache() ? *facts.checkCache() : once;
    return cache.use(
        facts, columns, rows, [](const plan::Rows& rows, CheckCache::Known& known) { return check(rows, known); });
}

} // namespace

QList<Result> checkBatch(const QList<Request>& requests, const FolderFacts& facts)
{
    return checkRows(facts, {}, plan::Rows(requests));
}

QList<Result> checkColumns(
    const RowFolders& folders, const QStringList& froms, const QStringList& tos, const FolderFacts& facts)
{
    Q_ASSERT(folders.size() == froms.size() && froms.size() == tos.size());
    const qsizetype n = std::min({ folders.size(), froms.size(), tos.size() });
    const bool whole = n == folders.size() && n == froms.size();
    return checkRows(facts, whole ? CheckCache::Columns { &folders, &froms } : CheckCache::Columns {},
        plan::Rows(folders, froms.constData(), tos.constData(), size_t(n)));
}

} // namespace batchrename
