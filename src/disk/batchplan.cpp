// batchplan: resolves old names once, then judges new names and lays the moves out as chains and cycles.
#include "disk/batchplan.h"

#include <algorithm>

#include <QHash>

namespace batchrename::plan {

namespace {

// The reason a new name is refused before anything else is looked at, or None.
Reason nameReason(const RowRef& r)
{
    if (r.to->isEmpty())
        return Reason::EmptyName;
    if (!r.folder->endsWith(QLatin1Char('/')) || !diskfs::isAcceptableName(*r.to))
        return Reason::UnusableName;
    if (diskfs::utf8Length(*r.to) > diskfs::kMaxNameBytes)
        return Reason::NameTooLong;
    return Reason::None;
}

} // namespace

void sortByHash(std::vector<Keyed>& keyed)
{
    // Least significant digit first over the upper 33 bits, 11 bits a pass: stable, three passes.
    constexpr int kBits = 11;
    constexpr size_t kBuckets = size_t(1) << kBits;
    std::vector<Keyed> other(keyed.size());
    for (int shift = 64 - 3 * kBits; shift < 64; shift += kBits) {
        std::vector<size_t> start(kBuckets + 1, 0);
        for (const Keyed& k : keyed)
            ++start[((k.hash >> shift) & (kBuckets - 1)) + 1];
        for (size_t b = 1; b <= kBuckets; ++b)
            start[b] += start[b - 1];
        for (const Keyed& k : keyed)
            other[start[(k.hash >> shift) & (kBuckets - 1)]++] = k;
        keyed.swap(other);
    }
}

std::vector<RowRef> rowRefs(const QList<Request>& requests)
{
    std::vector<RowRef> rows;
    rows.reserve(requests.size());
    for (const Request& r : requests)
        rows.push_back({ &r.folder, &r.from, &r.to });
    return rows;
}

size_t nameHash(int folder, QStringView name)
{
    return qHash(name, 0) ^ (size_t(folder + 1) * 0x9E3779B97F4A7C15ull);
}

Sources resolveSources(const std::vector<RowRef>& rows, DiskView& view)
{
    const int n = static_cast<int>(rows.size());
    Sources s;
    s.folderOf.assign(n, -1);
    s.firstOf.assign(n, -1);
    s.kind.assign(n, diskfs::Kind::None);
    const bool live = !view.listsNames();
    if (live)
        s.fromBytes.resize(n);
    s.names.reserve(n);

    // Folders are resolved once per spelling; requests mostly share one, so the last is kept at hand.
    QHash<QString, int> folderIds;
    const QString* lastFolder = nullptr;
    int lastFolderId = -1;
    for (int i = 0; i < n; ++i) {
        const RowRef& r = rows[i];
        if (!r.folder->endsWith(QLatin1Char('/')) || !diskfs::isAcceptableName(*r.from))
            continue;
        if (lastFolder == nullptr || *r.folder != *lastFolder) {
            auto it = folderIds.constFind(*r.folder);
            if (it == folderIds.cend())
                it = folderIds.insert(*r.folder, view.folderId(*r.folder, s.names));
            lastFolder = r.folder;
            lastFolderId = it.value();
        }
        const int folder = lastFolderId;
        s.folderOf[i] = folder;
        const size_t hash = nameHash(folder, *r.from);
        int id = s.names.find(folder, *r.from, hash);
        if (id < 0)
            id = s.names.add({ *r.from, folder, hash });
        KnownName& known = s.names[id];
        if (known.sourceRequest >= 0) {
            s.firstOf[i] = known.sourceRequest;
            continue;
        }
        known.sourceRequest = i;
        s.firstOf[i] = i;
        if (live) {
            s.fromBytes[i] = diskfs::encode(*r.from);
            s.kind[i] = view.kind(folder, s.fromBytes[i]);
        } else {
            s.kind[i] = known.held;
        }
    }
    s.sortedNames.reserve(s.names.size());
    for (size_t id = 0; id < s.names.size(); ++id) {
        const KnownName& known = s.names[static_cast<int>(id)];
        s.sortedNames.push_back({ known.hash, static_cast<int>(id), known.folder, known.text.size() });
    }
    sortByHash(s.sortedNames);
    return s;
}

Plan makePlan(const std::vector<RowRef>& rows, const Sources& sources, bool exact)
{
    const int n = static_cast<int>(rows.size());
    Plan plan;
    plan.results.resize(n);
    plan.states.assign(n, State::Failed);
    plan.moveOf.assign(n, -1);

    // 1. In request order: the new name, the old one, a repeat. The first request naming a file claims
    // its new name, also when the file is missing.
    std::vector<Keyed> claims;
    claims.reserve(n);
    for (int i = 0; i < n; ++i) {
        const RowRef& r = rows[i];
        if (const Reason reason = nameReason(r); reason != Reason::None) {
            plan.results[i] = { false, reason };
            continue;
        }
        const int first = sources.firstOf[i];
        const bool file = first >= 0 && sources.kind[first] == diskfs::Kind::File;
        if (!file)
            plan.results[i] = { false, Reason::SourceMissing };
        else if (first != i)
            plan.states[i] = State::Duplicate;
        else if (*r.to == *r.from)
            plan.states[i] = State::Staying;
        if (first != i || *r.to == *r.from)
            continue;
        const int folder = sources.folderOf[i];
        claims.push_back({ nameHash(folder, *r.to), i, folder, r.to->size() });
    }

    // 2. Claims by hash: among requests claiming one name the first in request order wins (the sort
    // keeps request order among equal hashes). The winners' new names are matched with the known
    // names in one sweep over both sorted lists.
    sortByHash(claims);
    std::vector<int> targetName(n, -1);
    std::vector<bool> wins(n, false);
    auto sameName = [&](const Keyed& a, const Keyed& b, const QString& bText, bool compareText) {
        return a.hash == b.hash && a.folder == b.folder && a.size == b.size
            && (!compareText || *rows[a.id].to == bText);
    };
    const std::vector<Keyed>& known = sources.sortedNames;
    constexpr int kShift = 64 - 33;
    size_t k = 0;
    for (size_t run = 0; run < claims.size();) {
        size_t end = run + 1;
        while (end < claims.size() && (claims[end].hash >> kShift) == (claims[run].hash >> kShift))
            ++end;
        while (k < known.size() && (known[k].hash >> kShift) < (claims[run].hash >> kShift))
            ++k;
        for (size_t j = run; j < end; ++j) {
            const Keyed& claim = claims[j];
            int winner = -1;
            for (size_t e = run; e < j && winner < 0; ++e) {
                if (wins[claims[e].id] && sameName(claim, claims[e], *rows[claims[e].id].to, true))
                    winner = claims[e].id;
            }
            if (winner >= 0) {
                if (plan.results[claim.id].reason == Reason::None) // a file: the claim is what fails
                    plan.results[claim.id] = { false, Reason::SameNewName, winner };
                continue;
            }
            wins[claim.id] = true;
            for (size_t e = k; e < known.size() && (known[e].hash >> kShift) == (claim.hash >> kShift); ++e) {
                if (sameName(claim, known[e], sources.names[known[e].id].text, exact)) {
                    targetName[claim.id] = known[e].id;
                    break;
                }
            }
        }
        run = end;
    }

    // 3. The winners with a file move; moves are numbered in request order.
    for (int i = 0; i < n; ++i) {
        if (!wins[i] || plan.results[i].reason != Reason::None)
            continue;
        plan.states[i] = State::Moving;
        plan.moveOf[i] = static_cast<int>(plan.moves.size());
        plan.moves.push_back({ i, sources.folderOf[i], -1, targetName[i] });
    }

    // Each move waits for at most one move (the one leaving its target) and is waited for by at most
    // one (new names are unique), so the moves form disjoint chains and cycles.
    for (Move& move : plan.moves) {
        const int owner = move.targetName >= 0 ? sources.names[move.targetName].sourceRequest : -1;
        if (owner >= 0 && plan.states[owner] == State::Moving) {
            move.blocker = plan.moveOf[owner];
            plan.moves[move.blocker].blocking = true;
        }
    }

    // Chains start where nobody waits and are made from the move whose target is free; what is left
    // lies on cycles.
    plan.order.reserve(plan.moves.size());
    for (size_t m = 0; m < plan.moves.size(); ++m) {
        if (plan.moves[m].blocking)
            continue;
        const int first = static_cast<int>(plan.order.size());
        for (int c = static_cast<int>(m); c >= 0; c = plan.moves[c].blocker) {
            plan.moves[c].planned = true;
            plan.order.push_back(c);
        }
        std::reverse(plan.order.begin() + first, plan.order.end());
        plan.steps.push_back({ first, static_cast<int>(plan.order.size()) - first, false });
    }
    for (size_t m = 0; m < plan.moves.size(); ++m) {
        if (plan.moves[m].planned)
            continue;
        const int first = static_cast<int>(plan.order.size());
        for (int c = static_cast<int>(m); !plan.moves[c].planned; c = plan.moves[c].blocker) {
            plan.moves[c].planned = true;
            plan.order.push_back(c);
        }
        plan.steps.push_back({ first, static_cast<int>(plan.order.size()) - first, true });
    }
    return plan;
}

} // namespace batchrename::plan
