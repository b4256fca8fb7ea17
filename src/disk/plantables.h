// plantables: the planner's tables. Only the planner and the views that fill its table of known names (the
// live disk, the listed facts) use them. They are shaped by the check's budget at 100,000 rows, a few
// milliseconds per keystroke (docs/ARCHITECTURE.md, "The planner's budget"): one cache line per lookup of
// a name that is not there, and sorted sweeps instead of a random memory access per new name.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include <QString>
#include <QStringView>

namespace batchrename::plan {

/**
 * A table of names, each in a folder number, filled once and then read by number. While it is filled, an
 * open-addressed index from (folder number, name) to the entry's number answers find(), with 8-byte slots so
 * that a lookup of a name the table does not hold usually costs one cache line; a slot holds the upper half
 * of its name's hash and is placed by it, so the index grows from its slots alone. finish() lets the index
 * and the texts go and hands the hashes over: a finished table keeps only its entries, for the planner
 * matches names by sorted hashes, never by looking them up. `Entry` has `folder`.
 */
template <typename Entry> class NameTable {
public:
    void reserve(size_t names)
    {
        size_t capacity = 16;
        while (capacity < names + names / 2 + 16)
            capacity *= 2;
        if (capacity > m_slots.size())
            rehash(capacity);
        m_entries.reserve(names);
        m_texts.reserve(names);
        m_hashes.reserve(names);
    }

    /// The entry of (folder, name), or -1 (before finish()).
    int find(int folder, QStringView name, size_t hash) const
    {
        const quint32 tag = quint32(hash >> 32);
        for (size_t at = tag & m_mask;; at = (at + 1) & m_mask) {
            const quint64 slot = m_slots[at];
            if (slot == 0)
                return -1;
            if (quint32(slot >> 32) == tag) {
                const int id = int(quint32(slot)) - 1;
                if (m_entries[id].folder == folder && *m_texts[id] == name)
                    return id;
            }
        }
    }

    /// Adds an entry known not to be there, named `text` (which has the hash `hash` and outlives the
    /// filling); returns its number. Before finish().
    int add(Entry entry, const QString* text, size_t hash)
    {
        if ((m_entries.size() + 1) * 4 > m_slots.size() * 3)
            rehash(std::max<size_t>(16, m_slots.size() * 2));
        const int id = static_cast<int>(m_entries.size());
        place(quint64(quint32(hash >> 32)) << 32 | quint32(id + 1));
        m_entries.push_back(std::move(entry));
        m_texts.push_back(text);
        m_hashes.push_back(hash);
        return id;
    }

    /// Ends the filling: returns the hash of every entry by number and lets the index and the texts go.
    std::vector<quint64> finish()
    {
        // Assigned fresh lists, not cleared: a cleared list keeps its memory.
        m_slots = std::vector<quint64>();
        m_mask = 0;
        m_texts = std::vector<const QString*>();
        return std::exchange(m_hashes, std::vector<quint64>());
    }

    Entry& operator[](int id) { return m_entries[id]; }
    const Entry& operator[](int id) const { return m_entries[id]; }
    size_t size() const { return m_entries.size(); }

private:
    void place(quint64 slot)
    {
        size_t at = size_t(slot >> 32) & m_mask;
        while (m_slots[at] != 0)
            at = (at + 1) & m_mask;
        m_slots[at] = slot;
    }

    void rehash(size_t capacity)
    {
        std::vector<quint64> old(capacity, 0);
        old.swap(m_slots);
        m_mask = capacity - 1;
        for (const quint64 slot : old) {
            if (slot != 0)
                place(slot);
        }
    }

    std::vector<quint64> m_slots = std::vector<quint64>(16, 0);
    size_t m_mask = 15;
    std::vector<Entry> m_entries;
    std::vector<const QString*> m_texts; // while filling
    std::vector<quint64> m_hashes; // while filling
};

/// A name by its hash, for the sorted sweeps that match new names with known ones without a random
/// memory access per name. Twelve bytes: the hash is kept in halves, so that a million of them take no
/// padding.
struct Keyed {
    quint32 hashLow = 0;
    quint32 hashHigh = 0;
    qint32 id = -1; // a request, or an entry of Sources::names

    Keyed() = default;
    Keyed(quint64 hash, qint32 id)
        : hashLow(quint32(hash))
        , hashHigh(quint32(hash >> 32))
        , id(id)
    {
    }
    quint64 hash() const { return quint64(hashHigh) << 32 | hashLow; }
};

} // namespace batchrename::plan
