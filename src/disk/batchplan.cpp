// batchplan: judges each request and lays the moves out as chains and cycles over one open-addressed table.
#include "disk/batchplan.h"

#include <QHash>

namespace batchrename::plan {

namespace {

// One slot per (folder, name) the batch names, as a source or as a target.
struct Slot {
    size_t hash = 0;
    int folder = -1; // -1: empty slot
    int nameRequest = -1; // the request whose old or new name spells it
    bool nameIsTo = false;
    int sourceRequest = -1; // first request naming this file as its source
    int targetRequest = -1; // request that claimed this name as its new name
};

// Open addressing with linear probing: no allocation per name, and the names stay in the requests.
class SlotTable {
public:
    SlotTable(const QList<Request>& requests, qsizetype names)
        : m_requests(requests)
    {
        size_t capacity = 16;
        while (capacity < static_cast<size_t>(names) * 2)
            capacity *= 2;
        m_slots.resize(capacity);
        m_mask = capacity - 1;
    }

    Slot& find(int folder, int request, bool nameIsTo)
    {
        const QString& name = nameIsTo ? m_requests[request].to : m_requests[request].from;
        const size_t hash = qHash(QStringView(name), size_t(folder) * 0x9E3779B97F4A7C15ull);
        for (size_t at = hash & m_mask;; at = (at + 1) & m_mask) {
            Slot& slot = m_slots[at];
            if (slot.folder < 0) {
                slot = { hash, folder, request, nameIsTo };
                return slot;
            }
            if (slot.hash == hash && slot.folder == folder && nameOf(slot) == name)
                return slot;
        }
    }

    // The slot of a name known to be in the table already (no insertion).
    Slot* lookup(int folder, const QString& name)
    {
        const size_t hash = qHash(QStringView(name), size_t(folder) * 0x9E3779B97F4A7C15ull);
        for (size_t at = hash & m_mask;; at = (at + 1) & m_mask) {
            Slot& slot = m_slots[at];
            if (slot.folder < 0)
                return nullptr;
            if (slot.hash == hash && slot.folder == folder && nameOf(slot) == name)
                return &slot;
        }
    }

private:
    const QString& nameOf(const Slot& slot) const
    {
        return slot.nameIsTo ? m_requests[slot.nameRequest].to : m_requests[slot.nameRequest].from;
    }

    const QList<Request>& m_requests;
    std::vector<Slot> m_slots;
    size_t m_mask = 0;
};

// The reason a new name is refused before anything else is looked at, or None.
Reason nameReason(const Request& r)
{
    if (r.to.isEmpty())
        return Reason::EmptyName;
    if (!r.folder.endsWith(QLatin1Char('/')) || !diskfs::isAcceptableName(r.to))
        return Reason::UnusableName;
    if (diskfs::utf8Length(r.to) > diskfs::kMaxNameBytes)
        return Reason::NameTooLong;
    return Reason::None;
}

} // namespace

Plan makePlan(const QList<Request>& requests, DiskView& view)
{
    const int n = static_cast<int>(requests.size());
    Plan plan;
    plan.results.resize(n);
    plan.states.assign(n, State::Failed);
    plan.folderOf.assign(n, -1);
    plan.firstOf.assign(n, -1);
    plan.moveOf.assign(n, -1);
    const bool wantsBytes = view.wantsBytes();
    if (wantsBytes)
        plan.fromBytes.resize(n);
    SlotTable table(requests, 2 * qsizetype(n));
    std::vector<bool> claims(n, false); // first to name its source: claims its new name (even without a file)

    // 1. Names and sources: folders are resolved once per spelling (requests mostly share one folder).
    QHash<QString, int> folderIds;
    const QString* lastFolder = nullptr;
    int lastFolderId = -1;
    for (int i = 0; i < n; ++i) {
        const Request& r = requests[i];
        if (const Reason reason = nameReason(r); reason != Reason::None) {
            plan.results[i] = { false, reason };
            continue;
        }
        if (!diskfs::isAcceptableName(r.from)) {
            plan.results[i] = { false, Reason::SourceMissing };
            continue;
        }
        if (lastFolder == nullptr || r.folder != *lastFolder) {
            auto it = folderIds.constFind(r.folder);
            if (it == folderIds.cend())
                it = folderIds.insert(r.folder, view.folderId(r.folder));
            lastFolder = &r.folder;
            lastFolderId = it.value();
        }
        const int folder = lastFolderId;
        plan.folderOf[i] = folder;
        Slot& source = table.find(folder, i, false);
        if (source.sourceRequest >= 0) {
            const int first = source.sourceRequest;
            if (plan.results[first].reason == Reason::SourceMissing) {
                plan.results[i] = { false, Reason::SourceMissing };
            } else {
                plan.states[i] = State::Duplicate;
                plan.firstOf[i] = first;
            }
            continue;
        }
        source.sourceRequest = i;
        claims[i] = true;
        QByteArray bytes;
        if (wantsBytes)
            bytes = diskfs::encode(r.from);
        if (view.kind(folder, r.from, bytes) != diskfs::Kind::File) {
            plan.results[i] = { false, Reason::SourceMissing };
        } else {
            plan.states[i] = State::Staying; // until it claims a new name
            if (wantsBytes)
                plan.fromBytes[i] = std::move(bytes);
        }
    }

    // 2. New names, in request order: the first claim of a name wins, also by a request without a file.
    for (int i = 0; i < n; ++i) {
        if (!claims[i] || requests[i].to == requests[i].from)
            continue;
        Slot& target = table.find(plan.folderOf[i], i, true);
        if (target.targetRequest >= 0) {
            if (plan.states[i] == State::Staying) {
                plan.states[i] = State::Failed;
                plan.results[i] = { false, Reason::SameNewName, target.targetRequest };
            }
            continue;
        }
        target.targetRequest = i;
        if (plan.states[i] != State::Staying)
            continue;
        plan.states[i] = State::Moving;
        plan.moveOf[i] = static_cast<int>(plan.moves.size());
        plan.moves.push_back({ i, plan.folderOf[i] });
    }

    // 3. Each move waits for at most one move (the one leaving its target) and is waited for by at most
    // one (new names are unique), so the moves form disjoint chains and cycles.
    for (Move& move : plan.moves) {
        const Slot* target = table.lookup(move.folder, requests[move.request].to);
        const int owner = target ? target->sourceRequest : -1;
        if (owner >= 0 && plan.states[owner] == State::Moving) {
            move.blocker = plan.moveOf[owner];
            plan.moves[move.blocker].blocking = true;
        }
    }

    // 4. Chains start where nobody waits and are made from the move whose target is free; what is left
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
