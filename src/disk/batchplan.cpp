// batchplan: resolves old names once, then judges new names and lays the moves out as chains and cycles.
#include "disk/batchplan.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include <QHash>

#include "background/backgroundtask.h"

namespace batchrename::plan {

namespace {

// The reason a new name is refused before anything else is looked at, or None: one sweep over the name
// finds a separator or NUL (as diskfs::isAcceptableName) and counts the bytes diskfs::encode will hand the
// system, which decide NameTooLong. A name the disk would not give back as itself is refused too: a lone
// surrogate is encoded as "?" (one byte, counted as such), and a leading U+FEFF is taken for a byte-order
// mark and dropped when the name is read (the folder's listing leaves such names out, so the check could
// not see the file that bears one).
Reason nameReason(const RowRef& r)
{
    const QString& to = *r.to;
    const qsizetype size = to.size();
    if (size == 0)
        return Reason::EmptyName;
    if (!r.folder->endsWith(QLatin1Char('/')) || to == u"." || to == u"..")
        return Reason::UnusableName;
    const char16_t* units = reinterpret_cast<const char16_t*>(to.constData());
    qsizetype bytes = 0;
    bool refused = units[0] == 0xFEFF;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = units[i];
        if (c < 0x80) {
            refused |= c == u'/' || c == 0;
            bytes += 1;
        } else if (c < 0x800) {
            bytes += 2;
        } else if ((c & 0xF800) != 0xD800) {
            bytes += 3;
        } else if (c < 0xDC00 && i + 1 < size && (units[i + 1] & 0xFC00) == 0xDC00) {
            bytes += 4; // a surrogate pair
            ++i;
        } else {
            refused = true; // a lone surrogate
            bytes += 1;
        }
    }
    if (refused)
        return Reason::UnusableName;
    return bytes > diskfs::kMaxNameBytes ? Reason::NameTooLong : Reason::None;
}

// Sorts the `count` elements at `keyed` by the hash's upper 33 bits, keeping the order of elements whose
// upper bits are equal; `other` is working space for as many. Returns where the sorted elements lie (one of
// the two).
Keyed* sortByHash(Keyed* keyed, Keyed* other, size_t count)
{
    // Least significant digit first over the upper 33 bits, 11 bits a pass: stable, three passes over
    // counts taken in one sweep.
    constexpr int kBits = 11;
    constexpr int kPasses = 3;
    constexpr size_t kBuckets = size_t(1) << kBits;
    std::vector<size_t> start(kPasses * kBuckets, 0);
    for (size_t i = 0; i < count; ++i) {
        for (int p = 0; p < kPasses; ++p)
            ++start[p * kBuckets + ((keyed[i].hash() >> (64 - kPasses * kBits + p * kBits)) & (kBuckets - 1))];
    }
    for (int p = 0; p < kPasses; ++p) {
        const int shift = 64 - kPasses * kBits + p * kBits;
        size_t* bucket = start.data() + p * kBuckets;
        size_t sum = 0;
        for (size_t b = 0; b < kBuckets; ++b)
            sum += std::exchange(bucket[b], sum);
        for (size_t i = 0; i < count; ++i)
            other[bucket[(keyed[i].hash() >> shift) & (kBuckets - 1)]++] = keyed[i];
        std::swap(keyed, other);
    }
    return keyed;
}

void sortByHash(std::vector<Keyed>& keyed)
{
    std::vector<Keyed> other(keyed.size());
    if (sortByHash(keyed.data(), other.data(), keyed.size()) != keyed.data())
        keyed.swap(other);
}

// A list of `T` at the start of the plan's shared room.
template <typename T> T* inRoom(Plan::Scratch& scratch)
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    return std::launder(reinterpret_cast<T*>(scratch.room.get()));
}

// Rows a thread judges at a time in the first sweep: fewer are not worth waking a thread for.
constexpr qsizetype kPartRows = 131072;
// How many rows ahead a sweep over names asks for the text it will read.
constexpr int kAhead = 16;

} // namespace

size_t nameHash(int folder, QStringView name)
{
    return qHash(name, 0) ^ (size_t(folder + 1) * 0x9E3779B97F4A7C15ull);
}

Sources resolveSources(const Rows& rows, DiskView& view)
{
    const int n = static_cast<int>(rows.size());
    Sources s;
    s.folderOf.assign(n, -1);
    s.firstOf.assign(n, -1);
    s.fromHash.assign(n, 0);
    s.kind.assign(n, diskfs::Kind::None);
    s.names.reserve(n);

    // Folders are resolved once per spelling; requests mostly share one, so the last is kept at hand.
    QHash<QString, int> folderIds;
    const QString* lastFolder = nullptr;
    int lastFolderId = -1;
    for (int i = 0; i < n; ++i) {
        const RowRef r = rows[i];
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
        s.fromHash[i] = quint32(hash);
        int id = s.names.find(folder, *r.from, hash);
        if (id < 0)
            id = s.names.add({ folder, -1, KnownName::sizeOf(*r.from) }, r.from, hash);
        KnownName& known = s.names[id];
        if (known.sourceRequest >= 0) {
            s.firstOf[i] = known.sourceRequest;
            continue;
        }
        known.sourceRequest = i;
        s.firstOf[i] = i;
        if (view.listed(folder)) {
            s.kind[i] = known.held;
            continue;
        }
        if (s.fromBytes.empty())
            s.fromBytes.resize(n);
        s.fromBytes[i] = diskfs::encode(*r.from);
        int error = 0;
        s.kind[i] = view.kind(folder, s.fromBytes[i], &error);
        known.held = s.kind[i]; // what a check judges a new name by, in a folder it could not list
        if (s.kind[i] == diskfs::Kind::Unknown)
            s.lookupErrors.insert(i, error);
    }
    const std::vector<quint64> hashes = s.names.finish();
    s.sortedNames.reserve(hashes.size());
    for (size_t id = 0; id < hashes.size(); ++id)
        s.sortedNames.emplace_back(hashes[id], static_cast<qint32>(id));
    sortByHash(s.sortedNames);
    return s;
}

Plan makePlan(const Rows& rows, const Sources& sources, bool exact)
{
    Plan plan;
    makePlan(rows, sources, exact, plan);
    return plan;
}

void makePlan(const Rows& rows, const Sources& sources, bool exact, Plan& plan)
{
    const int n = static_cast<int>(rows.size());
    Plan::Scratch& scratch = plan.scratch;
    plan.results.fill(Result {}, n);
    plan.states.assign(n, State::Failed);
    plan.moveOf.assign(n, -1);
    plan.moves = {};
    plan.order.clear();
    plan.steps.clear();
    // The claims and their sort's other half share one room with the moves that come of them.
    static_assert(sizeof(Move) <= 2 * sizeof(Keyed) && alignof(Move) <= alignof(std::max_align_t));
    const size_t roomBytes = std::max(sizeof(Move), 2 * sizeof(Keyed) * size_t(n));
    if (scratch.roomBytes < roomBytes) {
        scratch.room.reset(new std::byte[roomBytes]);
        scratch.roomBytes = roomBytes;
    }
    // Every row writes its slot of the claims (an id of -1: no claim); the claims are then closed up.
    Keyed* claimSlots = inRoom<Keyed>(scratch);

    // 1. In request order: the new name, the old one, a repeat. The first request naming a file claims
    // its new name, also when the file is missing. Each request is judged on its own, so in parts.
    Result* results = plan.results.data();
    background::inParts(n, n / kPartRows, [&](qsizetype begin, qsizetype end) {
        for (int i = int(begin); i < int(end); ++i) {
            // The new names' texts lie all over the heap: ask for one a few rows ahead, so that many are on
            // their way at once instead of one after the other.
            if (i + kAhead < int(end))
                __builtin_prefetch(rows[i + kAhead].to->constData());
            const RowRef r = rows[i];
            if (const Reason reason = nameReason(r); reason != Reason::None) {
                results[i] = { false, reason };
                claimSlots[i] = Keyed();
                continue;
            }
            const int first = sources.firstOf[i];
            const bool file = first >= 0 && sources.kind[first] == diskfs::Kind::File;
            const int folder = sources.folderOf[i];
            const quint64 hash = folder >= 0 ? nameHash(folder, *r.to) : 0;
            const bool keepsName = folder >= 0 && quint32(hash) == sources.fromHash[i] && *r.to == *r.from;
            if (!file && first >= 0 && sources.kind[first] == diskfs::Kind::Unknown) {
                const int error = sources.lookupErrors.value(first);
                results[i] = { false, reasonForError(error), -1, error };
            } else if (!file) {
                results[i] = { false, Reason::SourceMissing };
            } else if (first != i)
                plan.states[i] = State::Duplicate;
            else if (keepsName)
                plan.states[i] = State::Staying;
            claimSlots[i] = Keyed(hash, first == i && !keepsName ? i : -1);
        }
    });
    size_t claimCount = 0;
    for (int i = 0; i < n; ++i) {
        if (claimSlots[i].id >= 0)
            claimSlots[claimCount++] = claimSlots[i];
    }

    // 2. Claims by hash: among requests claiming one name the first in request order wins (the sort
    // keeps request order among equal hashes). The winners' new names are matched with the known
    // names in one sweep over both sorted lists.
    // Until the moves are numbered, moveOf holds each winner's target entry in Sources::names.
    const Keyed* claims = sortByHash(claimSlots, claimSlots + claimCount, claimCount);
    std::vector<int>& targetName = plan.moveOf;
    std::vector<bool>& wins = scratch.wins;
    wins.assign(n, false);
    auto sameClaim = [&](const Keyed& a, const Keyed& b) {
        return a.hash() == b.hash() && sources.folderOf[a.id] == sources.folderOf[b.id]
            && *rows[a.id].to == *rows[b.id].to;
    };
    auto sameKnown = [&](const Keyed& claim, const Keyed& name) {
        if (claim.hash() != name.hash())
            return false;
        const KnownName& known = sources.names[name.id];
        const QString& to = *rows[claim.id].to;
        if (known.folder != sources.folderOf[claim.id] || known.size != to.size())
            return false;
        Q_ASSERT(!exact || known.sourceRequest >= 0);
        return !exact || *rows[known.sourceRequest].from == to;
    };
    const std::vector<Keyed>& known = sources.sortedNames;
    constexpr int kShift = 64 - 33;
    size_t k = 0;
    for (size_t run = 0; run < claimCount;) {
        size_t end = run + 1;
        const quint64 key = claims[run].hash() >> kShift;
        while (end < claimCount && (claims[end].hash() >> kShift) == key)
            ++end;
        while (k < known.size() && (known[k].hash() >> kShift) < key)
            ++k;
        for (size_t j = run; j < end; ++j) {
            const Keyed& claim = claims[j];
            int winner = -1;
            for (size_t e = run; e < j && winner < 0; ++e) {
                if (wins[claims[e].id] && sameClaim(claim, claims[e]))
                    winner = claims[e].id;
            }
            if (winner >= 0) {
                if (plan.results[claim.id].reason == Reason::None) // a file: the claim is what fails
                    plan.results[claim.id] = { false, Reason::SameNewName, winner };
                continue;
            }
            wins[claim.id] = true;
            for (size_t e = k; e < known.size() && (known[e].hash() >> kShift) == key; ++e) {
                if (sameKnown(claim, known[e])) {
                    targetName[claim.id] = known[e].id;
                    break;
                }
            }
        }
        run = end;
    }

    // 3. The winners with a file move; moves are numbered in request order. The claims are done with: the
    // moves take their room.
    Move* moves = inRoom<Move>(scratch);
    int moveCount = 0;
    for (int i = 0; i < n; ++i) {
        if (!wins[i])
            continue;
        const int target = std::exchange(plan.moveOf[i], -1);
        if (plan.results[i].reason != Reason::None)
            continue;
        plan.states[i] = State::Moving;
        moves[moveCount] = { i, -1, target };
        plan.moveOf[i] = moveCount++;
    }
    plan.moves = std::span<Move>(moves, size_t(moveCount));

    // Each move waits for at most one move (the one leaving its target) and is waited for by at most
    // one (new names are unique), so the moves form disjoint chains and cycles.
    for (Move& move : plan.moves) {
        const int owner = move.targetName >= 0 ? sources.names[move.targetName].sourceRequest : -1;
        if (owner >= 0 && plan.states[owner] == State::Moving) {
            move.blocker = plan.moveOf[owner];
            plan.moves[move.blocker].blocking = true;
        }
    }
}

void laySteps(Plan& plan)
{
    plan.order.clear();
    plan.steps.clear();
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
}

} // namespace batchrename::plan
