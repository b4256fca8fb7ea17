// Reading a folder's entries once: each name with what it leads to. Adding a folder and the check's
// folder facts both read folders through here, so both see the same names and kinds.
#pragma once

#include <functional>
#include <vector>

#include <QByteArray>
#include <QString>

namespace diskfs {

/// What an entry's name leads to; a symbolic link is followed to what it points at.
enum class Leads : quint8 {
    File, // a regular file
    Folder,
    Other, // a fifo, a socket or a device
    Nowhere, // a broken link, or one whose target (or an entry that) cannot be looked at
};

struct FolderEntry {
    QString name;
    Leads leads = Leads::Other;
    bool link = false; // the name is a symbolic link (`leads` tells where to)
};

struct FolderEntries {
    bool found = false; // the path is a folder (device and inode are known)
    bool listed = false; // every name was read (a listing cut short holds no entries)
    bool searchable = false; // its entries may be looked at, so `leads` is known for each
    int error = 0; // why the folder was not found, listed or searched (an errno)
    quint64 device = 0;
    quint64 inode = 0;
    std::vector<FolderEntry> entries; // in the folder's own order, "." and ".." left out
};

/**
 * Lists the folder at `path` in one pass. An entry whose name is not valid UTF-8, or starts with a
 * byte-order mark, is left out: decoded, it would not give back its bytes, so no row could name it.
 * Hidden names are listed. The kind comes from the directory entry where it tells; a link, or an entry
 * of unknown kind, is looked at once. Callable on any thread.
 */
FolderEntries listFolderEntries(const QByteArray& path);

/// listFolderEntries without keeping the entries: each goes to `take` in turn (its name made anew for each);
/// `take` returns false to stop, which leaves the folder not listed. Nothing is held for a million names.
FolderEntries visitFolderEntries(const QByteArray& path, const std::function<bool(const FolderEntry&)>& take);

} // namespace diskfs
