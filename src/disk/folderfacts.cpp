// FolderFacts: each folder of a batch listed once, with the kind of every entry, for the check.
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

#include <QSet>

#include "disk/diskfs.h"
#include "disk/folderfacts.h"

namespace batchrename {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

FolderFacts::Entry entryKind(int dirFd, const dirent* entry)
{
    switch (entry->d_type) {
    case DT_REG:
        return FolderFacts::Entry::File;
    case DT_LNK:
    case DT_UNKNOWN:
        return diskfs::kindAt(dirFd, entry->d_name) == diskfs::Kind::File ? FolderFacts::Entry::File
                                                                          : FolderFacts::Entry::Other;
    default:
        return FolderFacts::Entry::Other;
    }
}

// A folder that cannot be read, or can be read but not searched (its names are there, yet none of them
// can be looked at or renamed), is found but not listed: the check then looks its rows up as the pass does,
// rather than taking it for empty or for a folder whose files can all be renamed.
FolderFacts::Folder listFolder(const QByteArray& path, const struct stat& identity)
{
    FolderFacts::Folder folder;
    folder.found = true;
    folder.device = identity.st_dev;
    folder.inode = identity.st_ino;
    std::unique_ptr<DIR, DirCloser> dir(diskfs::openListing(path, &folder.error));
    if (!dir)
        return folder;
    const int fd = ::dirfd(dir.get());
    if (diskfs::kindAt(fd, ".", &folder.error) == diskfs::Kind::Unknown)
        return folder;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArrayView raw(entry->d_name);
        if (raw == "." || raw == "..")
            continue;
        // A name that would not come back as the same bytes cannot be named by a row, nor clash with
        // the encoding of one.
        if (!raw.isValidUtf8() || raw.startsWith("\xEF\xBB\xBF"))
            continue;
        folder.entries.insert(QString::fromUtf8(raw), entryKind(fd, entry));
        errno = 0;
    }
    if (errno != 0) { // a listing cut short is no listing
        folder.error = errno;
        folder.entries.clear();
        return folder;
    }
    folder.listed = true;
    return folder;
}

} // namespace

const FolderFacts::Folder* FolderFacts::folder(const QString& folder) const
{
    const auto it = m_folders.constFind(folder);
    return it == m_folders.cend() ? nullptr : &it.value();
}

FolderFacts readFolderFacts(const QStringList& folders)
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
        const int statError = ::stat(path.constData(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
        if (statError != 0) {
            FolderFacts::Folder missing;
            missing.error = statError;
            facts.insert(spelling, std::move(missing));
            continue;
        }
        const QPair<quint64, quint64> identity { quint64(st.st_dev), quint64(st.st_ino) };
        if (const auto it = listedAs.constFind(identity); it != listedAs.cend()) {
            facts.insert(spelling, *facts.folder(it.value())); // shares the listing
            continue;
        }
        listedAs.insert(identity, spelling);
        facts.insert(spelling, listFolder(path, st));
    }
    return facts;
}

} // namespace batchrename
