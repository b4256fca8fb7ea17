// FolderNames: the names of one folder's entries with the kind of each, for looking names up.
#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>

namespace batchrename {

/**
 * A folder's entries by name, each name once, with what the check needs of each (a small value of type Kind).
 * A listed name keeps its text shared with the listing, and the table to find it holds one number per
 * slot: a million names take some 33 bytes each, against the 43 a hash of texts takes. Cheap to copy: the
 * lists are implicitly shared.
 */
template <typename Kind> class FolderNames {
public:
    qsizetype size() const { return m_names.size(); }
    bool isEmpty() const { return m_names.isEmpty(); }
    const QString& nameAt(qsizetype i) const { return m_names.at(i); }
    Kind kindAt(qsizetype i) const { return m_kinds.at(i); }

    void reserve(qsizetype names)
    {
        m_names.reserve(names);
        m_kinds.reserve(names);
        if (slotsFor(names) > m_slots.size())
            rehash(slotsFor(names));
    }
    /// Adds `name` with `kind`, or gives a name already there the kind.
    void insert(const QString& name, Kind kind)
    {
        if (slotsFor(m_names.size() + 1) > m_slots.size())
            rehash(slotsFor(m_names.size() + 1) * 2);
        const qsizetype slot = find(name);
        if (m_slots.at(slot) != kEmpty) {
            m_kinds[m_slots.at(slot)] = kind;
            return;
        }
        m_slots[slot] = quint32(m_names.size());
        m_names.append(name);
        m_kinds.append(kind);
    }
    /// The kind of `name`, or nullptr when the folder has no entry of that name.
    const Kind* kind(QStringView name) const
    {
        if (m_slots.isEmpty())
            return nullptr;
        const quint32 at = m_slots.at(find(name));
        return at == kEmpty ? nullptr : &m_kinds.at(at);
    }
    bool contains(QStringView name) const { return kind(name) != nullptr; }
    Kind value(QStringView name, Kind otherwise) const
    {
        const Kind* found = kind(name);
        return found ? *found : otherwise;
    }

    /// The same names with the same kinds, in whatever order.
    friend bool operator==(const FolderNames& a, const FolderNames& b)
    {
        if (a.size() != b.size())
            return false;
        if (a.m_names.constData() == b.m_names.constData() && a.m_kinds.constData() == b.m_kinds.constData())
            return true;
        for (qsizetype i = 0; i < a.size(); ++i) {
            const Kind* other = b.kind(a.m_names.at(i));
            if (!other || *other != a.m_kinds.at(i))
                return false;
        }
        return true;
    }

private:
    static constexpr quint32 kEmpty = 0xffffffffu;

    // At most half the slots in use, so that a name not there is told after a probe or two.
    static qsizetype slotsFor(qsizetype names)
    {
        qsizetype count = 16;
        while (count < names * 2)
            count *= 2;
        return count;
    }
    // The slot holding `name`, or the empty slot where it would go.
    qsizetype find(QStringView name) const
    {
        const qsizetype mask = m_slots.size() - 1;
        for (qsizetype slot = qsizetype(qHash(name, QHashSeed::globalSeed())) & mask;; slot = (slot + 1) & mask) {
            const quint32 at = m_slots.at(slot);
            if (at == kEmpty || m_names.at(at) == name)
                return slot;
        }
    }
    void rehash(qsizetype count)
    {
        m_slots = QList<quint32>(count, kEmpty);
        const qsizetype mask = count - 1;
        for (qsizetype i = 0; i < m_names.size(); ++i) {
            qsizetype slot = qsizetype(qHash(QStringView(m_names.at(i)), QHashSeed::globalSeed())) & mask;
            while (m_slots.at(slot) != kEmpty)
                slot = (slot + 1) & mask;
            m_slots[slot] = quint32(i);
        }
    }

    QStringList m_names;
    QList<Kind> m_kinds;
    QList<quint32> m_slots; // a place in m_names, or kEmpty; a power of two of them
};

} // namespace batchrename
