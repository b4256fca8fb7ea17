// FolderCheck: the folder facts, their listings, and the currency of every check.
#include "app/foldercheck.h"

#include <algorithm>

#include <QSet>

#include "app/checkrunner.h"
#include "rename/renamelist.h"

namespace {

// A folder that was not listed never counts as the same: the check looks its rows up on the disk, and
// only new facts make it look again.
bool sameFolder(const batchrename::FolderFacts::Folder* a, const batchrename::FolderFacts::Folder* b)
{
    return a && b && a->listed && b->listed && a->device == b->device && a->inode == b->inode
        && a->entries == b->entries;
}

// Whether `fresh` tells of each of `folders` what `known` does.
bool sameFacts(const batchrename::FolderFacts& fresh, const batchrename::FolderFacts& known, const QStringList& folders)
{
    return std::all_of(folders.cbegin(), folders.cend(),
        [&](const QString& folder) { return sameFolder(fresh.folder(folder), known.folder(folder)); });
}

} // namespace

FolderCheck::FolderCheck(RenameList& list, QObject* parent)
    : QObject(parent)
    , m_list(list)
    , m_checker(new CheckRunner(this))
    , m_relisting(this, [this](Listing listing) { relisted(std::move(listing)); })
{
    m_rowsAdded = m_list.count() > 0; // their folders are not known yet
    connect(m_checker, &CheckRunner::checked, this, &FolderCheck::showCheck);
    connect(m_checker, &CheckRunner::columnMade, this, &FolderCheck::adoptColumn);
    connect(&m_list, &QAbstractItemModel::dataChanged, this, &FolderCheck::listChanged);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, &FolderCheck::listChanged);
    connect(&m_list, &QAbstractItemModel::rowsMoved, this, &FolderCheck::listChanged);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &FolderCheck::listChanged);
    connect(&m_list, &QAbstractItemModel::layoutChanged, this, &FolderCheck::listChanged);
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, [this] {
        m_rowsAdded = true;
        listChanged();
    });
}

FolderCheck::~FolderCheck() = default;

QStringList FolderCheck::listedFolders(const RenameList& list)
{
    return list.folders().distinct();
}

QStringList FolderCheck::listedFolders(const QStringList& rowFolders)
{
    // Rows of one folder mostly follow each other: comparing with the previous row spares most lookups.
    QStringList folders;
    QSet<QString> seen;
    const QString* previous = nullptr;
    for (const QString& folder : rowFolders) {
        if (previous && *previous == folder)
            continue;
        previous = &folder;
        if (!seen.contains(folder)) {
            seen.insert(folder);
            folders.append(folder);
        }
    }
    return folders;
}

void FolderCheck::listChanged()
{
    if (!m_writingMarks)
        ++m_generation;
}

void FolderCheck::factsChanged()
{
    ++m_factsGeneration;
    ++m_generation;
}

void FolderCheck::learnFolders(const QStringList& folders)
{
    if (folders.isEmpty())
        return;
    const batchrename::FolderFacts fresh = batchrename::readFolderFacts(folders);
    for (const QString& folder : folders) {
        if (const batchrename::FolderFacts::Folder* facts = fresh.folder(folder))
            m_facts.insert(folder, *facts);
    }
    factsChanged();
}

void FolderCheck::learnFolder(const QString& folder, batchrename::FolderFacts::Folder facts)
{
    if (const batchrename::FolderFacts::Folder* known = m_facts.folder(folder))
        releaseOffThread(*known); // the folder added again: its old listing may be the last reference
    m_facts.insert(folder, std::move(facts));
    factsChanged();
}

void FolderCheck::relist()
{
    // Listing 100,000 files takes longer than a keystroke may wait, so it is done off the caller's thread.
    if (m_relisting.isRunning() || m_passRunning || m_list.count() == 0)
        return;
    // The folder column is shared, not copied: even finding the distinct folders of a million rows is left
    // to the worker.
    m_relisting.start([rows = m_list.folders(), generation = m_factsGeneration, known = m_facts] {
        const QStringList folders = rows.distinct();
        Listing listing { generation, false, batchrename::readFolderFacts(folders, &known) };
        // Mostly nothing changed while the window was away: the facts then stay, and with them what the
        // check has learnt from them; the fresh listing is freed here rather than on the caller's thread.
        if (sameFacts(listing.facts, known, folders)) {
            listing.unchanged = true;
            listing.facts = {};
        }
        return listing;
    });
}

void FolderCheck::relisted(Listing listing)
{
    // Facts learnt meanwhile (files added) or made by a pass are newer than these.
    if (listing.factsGeneration != m_factsGeneration) {
        releaseOffThread(std::move(listing));
        return;
    }
    if (listing.unchanged) {
        check();
        return;
    }
    releaseOffThread(std::exchange(m_facts, std::move(listing.facts)));
    factsChanged();
    check();
}

void FolderCheck::passStarted()
{
    m_passRunning = true;
    ++m_factsGeneration;
}

void FolderCheck::passEnded(batchrename::FolderFacts facts)
{
    m_passRunning = false;
    releaseOffThread(std::exchange(m_facts, std::move(facts)));
    factsChanged();
}

void FolderCheck::check()
{
    if (m_list.count() == 0) {
        writeMarks({});
        emit checked();
        return;
    }
    // Rows came in (by whatever way): a folder never listed is listed once now.
    if (m_rowsAdded) {
        m_rowsAdded = false;
        QStringList unknown;
        for (const QString& folder : listedFolders(m_list)) {
            if (!m_facts.folder(folder))
                unknown.append(folder);
        }
        learnFolders(unknown);
    }
    // The columns go to the worker as shared lists: nothing is copied here. New names not made yet are made
    // there, so a keystroke costs only the rows the view shows.
    CheckRunner::Input input { m_list.folders(), m_list.oldNames(), {}, {}, m_facts,
        m_list.restorableCount() > 0 ? m_list.givenNames() : QStringList(), m_generation };
    if (m_list.hasCurrentColumn())
        input.newNames = m_list.newNames();
    else
        input.column = m_list.columnJob();
    m_checker->request(std::move(input));
}

void FolderCheck::adoptColumn(const namecolumn::Made& column)
{
    QStringList names = column.names;
    if (m_list.adoptNewNames(column.generation, names, column.extensions))
        releaseOffThread(std::move(names)); // the column it replaced
}

void FolderCheck::showCheck(quint64 generation, const QStringList& reasons)
{
    if (generation != m_generation)
        return;
    writeMarks(reasons);
    emit checked();
}

void FolderCheck::writeMarks(const QStringList& reasons)
{
    // The marks are what a check puts out, not what it reads: writing them leaves every result current.
    m_writingMarks = true;
    m_list.setCheckReasons(reasons);
    m_writingMarks = false;
}
