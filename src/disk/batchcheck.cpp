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
QList<Result> check(const std::vector<plan::RowRef>& rows, CheckCache::Known& known)
{
    const plan::Sources& sources = known.sources;
    // Equal 64-bit hashes are taken for equal names: a wrong answer costs a wrong mark, not a file.
    plan::Plan& plan = known.plan;
    plan::makePlan(rows, sources, false, plan);
    for (const plan::Step& step : plan.steps) {
        Result end { true };
        for (int k = 0; k < step.count; ++k) {
            const plan::Move& move = plan.moves[plan.order[step.first + k]];
            if (k == 0 && !step.cycle) {
                diskfs::Kind held = diskfs::Kind::None;
                int error = 0;
                if (move.targetName >= 0) {
                    const plan::KnownName& target = sources.names[move.targetName];
                    held = target.held;
                    error = sources.lookupErrors.value(target.sourceRequest);
                } else if (!known.listed[move.folder]) {
                    held = known.handles.kind(move.folder, diskfs::encode(*rows[move.request].to).constData(), &error);
                }
                end = held == diskfs::Kind::None    ? Result { true }
                    : held == diskfs::Kind::Unknown ? Result { false, reasonForError(error), -1, error }
                                                    : Result { false, Reason::NameTaken };
                plan.results[move.request] = end;
                continue;
            }
            plan.results[move.request] = end.done ? Result { true } : Result { false, Reason::NameTaken };
        }
    }
    known.handles.close();
    plan::settleNonMoving(plan, rows, sources, [](int) { return true; });
    return plan.results;
}

template <typename Fill> QList<Result> checkRows(const FolderFacts& facts, CheckCache::Columns columns, Fill fill)
{
    CheckCache once; // for facts that were moved from, which share no cache
    CheckCache& cache = facts.checkCache() ? *facts.checkCache() : once;
    return cache.use(facts, columns, fill,
        [](const std::vector<plan::RowRef>& rows, CheckCache::Known& known) { return check(rows, known); });
}

} // namespace

QList<Result> checkBatch(const QList<Request>& requests, const FolderFacts& facts)
{
    return checkRows(facts, {}, [&](std::vector<plan::RowRef>& rows) { rows = plan::rowRefs(requests); });
}

QList<Result> checkColumns(
    const QStringList& folders, const QStringList& froms, const QStringList& tos, const FolderFacts& facts)
{
    Q_ASSERT(folders.size() == froms.size() && froms.size() == tos.size());
    const qsizetype n = std::min({ folders.size(), froms.size(), tos.size() });
    const bool whole = n == folders.size() && n == froms.size();
    return checkRows(facts, whole ? CheckCache::Columns { &folders, &froms } : CheckCache::Columns {},
        [&](std::vector<plan::RowRef>& rows) {
            rows.reserve(size_t(n));
            for (qsizetype i = 0; i < n; ++i)
                rows.push_back({ &folders.at(i), &froms.at(i), &tos.at(i) });
        });
}

} // namespace batchrename
