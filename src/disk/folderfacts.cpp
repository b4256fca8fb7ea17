// FolderFacts: each folder of a batch listed once, with the kind of every entry, for the check.
#include <sys/stat.h>

#include <algorithm>

#include <QSet>

#include "disk/diskfs.h"
#include "disk/folderentries.h"
#include "disk/folderfacts.h"

namespace batchrename {

namespace {

FolderFacts::Entry entryKind(const diskfs::FolderEntry& entry)
{
    // Renaming a link renames the link itself: it is a file unless it leads to a folder.
    const bool file = entry.leads == diskfs::Leads::File || (entry.link && entry.leads != diskfs::Leads::Folder);
    return file ? FolderFacts::Entry::File : FolderFacts::Entry::Other;
}

// Whether the folder at `path` reads as `known` tells, without keeping what it reads: every entry is looked up
// in `known` as it is read (the first that differs stops the reading), so a folder of a million names that
// did not change costs no table and no copy of its names.
bool readsAs(const QByteArray& path, const FolderFacts::Folder& known)
{
    if (!known.listed)
        return false;
    qsizetype entries = 0;
    const diskfs::FolderEntries listing = diskfs::visitFolderEntries(path, [&](const diskfs::FolderEntry& entry) {
        ++entries;
        const FolderFacts::Entry* kind = known.entries.kind(entry.name);
        return kind && *kind == entryKind(entry);
    });
    // A folder holds each name once: as many names, all known alike, are the same names.
    return listing.listed && listing.searchable && listing.error == known.error && listing.device == known.device
        && listing.inode == known.inode && entries == known.entries.size();
}

} // namespace

FolderFacts::Folder folderFacts(const diskfs::FolderEntries& listing)
{
    FolderFacts::Folder folder;
    folder.found = listing.found;
    folder.device = listing.device;
    folder.inode = listing.inode;
    folder.error = listing.error;
    // A folder that cannot be read, or can be read but not searched (its names are there, yet none of
    // them can be looked at or renamed), is found but not listed: the check then looks its rows up as the
    // pass does, rather than taking it for empty or for a folder whose files can all be renamed.
    if (!listing.listed || !listing.searchable)
        return folder;
    folder.listed = true;
    folder.entries.reserve(qsizetype(listing.entries.size()));
    for (const diskfs::FolderEntry& entry : listing.entries)
        folder.entries.insert(entry.name, entryKind(entry));
    return folder;
}

const FolderFacts::Folder* FolderFacts::folder(const QString& folder) const
{
    const auto it = m_folders.constFind(folder);
    return it == m_folders.cend() ? nullptr : &it.value();
}

FolderFacts readFolderFacts(const QStringList& folders, const FolderFacts* known)
{
    FolderFacts facts;
    QHash<QPair<quint64, quint64>, QString> listedAs; // identity -> the spelling listed first
    QSet<QString> seen;
    for (const QString& spelling : folders) {
        if (seen.contains(spelling))
            continue;
        seen.insert(spelling);
        const QByteArray path = diskfs::encode(spelling);
        struct stat st;
        if (::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            const QPair<quint64, quint64> identity { quint64(st.st_dev), quint64(st.st_ino) };
            if (const auto it = listedAs.constFind(identity); it != listedAs.cend()) {
                facts.insert(spelling, *facts.folder(it.value())); // shares the listing
                continue;
            }
            listedAs.insert(identity, spelling);
        }
        const FolderFacts::Folder* before = known ? known->folder(spelling) : nullptr;
        facts.insert(
            spelling, before && readsAs(path, *before) ? *before : folderFacts(diskfs::listFolderEntries(path)));
    }
    return facts;
}

} // namespace batchrename
