// CheckCache: the check's sources, learnt once from the listed folders and reused while the rows stay.
#include "disk/checkcache.h"

#include <cerrno>

#include <QHash>
#include <QPair>

#include "disk/folderfacts.h"

namespace batchrename {

namespace {

// What was listed: each listed folder's names go into the planner's table once, so that a name is
// looked up once for both what the batch and what the folder make of it. A folder missing from the
// facts holds nothing; one found but not listed (it may not be read, or its entries may not be looked
// at) is not taken as empty: its names are looked up, as the pass would.
class ListedDisk final : public plan::DiskView {
public:
    ListedDisk(const FolderFacts& facts, FolderHandles& handles, std::vector<bool>& listed)
        : m_facts(facts)
        , m_handles(handles)
        , m_listed(listed)
    {
    }

    int folderId(const QString& folder, plan::KnownNames& names) override
    {
        const FolderFacts::Folder* facts = m_facts.folder(folder);
        if (!facts)
            return add({}, 0, 0, ENOENT, true);
        if (!facts->found && !facts->listed) // a listed folder was found, whether or not that was recorded
            return add({}, 0, 0, facts->error != 0 ? facts->error : ENOENT, false);
        const QPair<quint64, quint64> identity { facts->device, facts->inode };
        if (const auto it = m_byIdentity.constFind(identity); it != m_byIdentity.cend())
            return it.value();
        const int id
            = add(facts->listed ? QByteArray() : diskfs::encode(folder), facts->device, facts->inode, 0, facts->listed);
        m_byIdentity.insert(identity, id);
        if (!facts->listed)
            return id;
        names.reserve(names.size() + facts->entries.size());
        for (qsizetype i = 0; i < facts->entries.size(); ++i) {
            const QString& name = facts->entries.nameAt(i);
            const diskfs::Kind held
                = facts->entries.kindAt(i) == FolderFacts::Entry::File ? diskfs::Kind::File : diskfs::Kind::Other;
            names.add({ id, -1, plan::KnownName::sizeOf(name), held }, &name, plan::nameHash(id, name));
        }
        return id;
    }

    bool listed(int folder) const override { return m_listed[folder]; }

    diskfs::Kind kind(int folder, const QByteArray& bytes, int* error) override
    {
        return m_handles.kind(folder, bytes.constData(), error);
    }

private:
    int add(QByteArray path, quint64 device, quint64 inode, int error, bool listed)
    {
        m_listed.push_back(listed);
        return m_handles.add(std::move(path), device, inode, error);
    }

    const FolderFacts& m_facts;
    FolderHandles& m_handles;
    std::vector<bool>& m_listed;
    QHash<QPair<quint64, quint64>, int> m_byIdentity;
};

} // namespace

bool CheckCache::sameStrings(const plan::Rows& rows, Columns columns) const
{
    if (!m_known || m_froms.size() != qsizetype(rows.size()))
        return false;
    if (m_columns || columns.folders) // columns held here cannot change: their data are their texts
        return m_columns && columns.folders && columns.folders->isSameColumn(m_folderColumn)
            && columns.froms->constData() == m_froms.constData() && columns.froms->size() == m_froms.size();
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString& folder = m_folders[qsizetype(i)];
        const QString& from = m_froms[qsizetype(i)];
        const plan::RowRef r = rows[i];
        if (r.folder->constData() != folder.constData() || r.folder->size() != folder.size()
            || r.from->constData() != from.constData() || r.from->size() != from.size())
            return false;
    }
    return true;
}

CheckCache::Known& CheckCache::known(const plan::Rows& rows, Columns columns, const FolderFacts& facts)
{
    if (sameStrings(rows, columns))
        return *m_known;
    m_known.reset(); // until the new rows are learnt, nothing is known
    auto known = std::make_unique<Known>();
    ListedDisk disk(facts, known->handles, known->listed);
    known->sources = plan::resolveSources(rows, disk);
    m_columns = columns.folders && columns.froms;
    if (m_columns) {
        m_folderColumn = *columns.folders;
        m_folders.clear();
        m_froms = *columns.froms;
    } else {
        m_folderColumn.clear();
        m_folders.clear();
        m_froms.clear();
        m_folders.reserve(qsizetype(rows.size()));
        m_froms.reserve(qsizetype(rows.size()));
        for (size_t i = 0; i < rows.size(); ++i) {
            m_folders.append(*rows[i].folder);
            m_froms.append(*rows[i].from);
        }
    }
    m_known = std::move(known);
    return *m_known;
}

// The facts' own members that concern the cache: each set of facts starts a cache of its own.
FolderFacts::FolderFacts()
    : m_checkCache(std::make_shared<CheckCache>())
{
}

void FolderFacts::insert(const QString& folder, Folder facts)
{
    m_folders.insert(folder, std::move(facts));
    m_checkCache = std::make_shared<CheckCache>(); // what was learnt from the old facts no longer holds
}

} // namespace batchrename
