// FolderFacts: what the program knows of some folders, each listed once, for the preview check.
#pragma once

#include <memory>

#include <QHash>
#include <QString>
#include <QStringList>

#include "disk/foldernames.h"

namespace diskfs {
struct FolderEntries;
}

namespace batchrename {

class CheckCache;

/**
 * What the program knows of some folders without one system call per row: each folder listed once.
 * Cheap to copy (the listings are shared). A FolderFacts may be made on any thread and then used on
 * another; checkBatch may be called on it from any thread.
 */
class FolderFacts {
public:
    /// What a folder entry is, as far as the batch is concerned.
    enum class Entry : quint8 {
        File, // a regular file, or a symbolic link that does not lead to a folder
        Other, // a folder, a link to one, a fifo, a device...: never renamed, but holds its name
    };
    struct Folder {
        bool found = false; // the folder exists (device and inode are known); implied by `listed`
        bool listed = false; // its names were read and its entries may be looked at (then `entries` holds all)
        int error = 0; // why the folder was not found or not listed (an errno)
        quint64 device = 0;
        quint64 inode = 0;
        FolderNames<Entry> entries; // every entry whose name decodes to text, hidden ones included
    };

    /// Starts a cache of its own (defined beside CheckCache, in checkcache.cpp, as insert() is).
    FolderFacts();

    /// The facts of `folder` (spelled as a request spells it), or nullptr if it was not listed.
    const Folder* folder(const QString& folder) const;
    /// Records `facts` for the folder spelled `folder`.
    void insert(const QString& folder, Folder facts);
    bool isEmpty() const { return m_folders.isEmpty(); }

    /// What checks of these facts keep for the next check: shared by the copies of these facts, and
    /// replaced by insert(), since what was learnt from other facts no longer holds. Null once the facts
    /// were moved from.
    CheckCache* checkCache() const { return m_checkCache.get(); }

private:
    QHash<QString, Folder> m_folders;
    std::shared_ptr<CheckCache> m_checkCache;
};

/// Lists each distinct folder of `folders` once (callable off the window's thread). Folders spelled
/// differently but naming the same folder share one listing. A folder that cannot be read, or whose
/// entries may not be looked at, is found but not listed: it is not taken as empty. A folder that reads
/// exactly as `known` tells it keeps `known`'s facts, shared rather than built again.
FolderFacts readFolderFacts(const QStringList& folders, const FolderFacts* known = nullptr);
/// The facts of one folder from its listing (see diskfs::listFolderEntries).
FolderFacts::Folder folderFacts(const diskfs::FolderEntries& listing);

} // namespace batchrename
