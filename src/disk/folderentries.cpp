// Reading a folder's entries once: each name with what it leads to.
#include "disk/folderentries.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

#include "disk/diskfs.h"

namespace diskfs {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

Leads leadsOf(mode_t mode)
{
    return S_ISREG(mode) ? Leads::File : S_ISDIR(mode) ? Leads::Folder : Leads::Other;
}

// The kind of an entry the directory did not tell, or a link: one look (two for a link found so).
void lookAt(int dirFd, FolderEntry& entry, const char* name, bool knownLink)
{
    struct stat st;
    if (!knownLink) {
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            entry.leads = Leads::Nowhere;
            return;
        }
        if (!S_ISLNK(st.st_mode)) {
            entry.leads = leadsOf(st.st_mode);
            return;
        }
    }
    entry.link = true;
    entry.leads = ::fstatat(dirFd, name, &st, 0) == 0 ? leadsOf(st.st_mode) : Leads::Nowhere;
}

// Reads the folder's entries in one pass, handing each to `take` (false stops the listing, which is then cut
// short).
template <typename Take> FolderEntries readEntries(const QByteArray& path, Take take)
{
    FolderEntries folder;
    struct stat identity;
    if (::stat(path.constData(), &identity) != 0) {
        folder.error = errno;
        return folder;
    }
    if (!S_ISDIR(identity.st_mode)) {
        folder.error = ENOTDIR;
        return folder;
    }
    folder.found = true;
    folder.device = identity.st_dev;
    folder.inode = identity.st_ino;
    std::unique_ptr<DIR, DirCloser> dir(openListing(path, &folder.error));
    if (!dir)
        return folder;
    const int fd = ::dirfd(dir.get());
    // A folder that may be read but not searched: its names are there, yet none can be looked at.
    folder.searchable = kindAt(fd, ".", &folder.error) != Kind::Unknown;

    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArrayView raw(entry->d_name);
        if (raw == "." || raw == "..")
            continue;
        if (!raw.isValidUtf8() || raw.startsWith("\xEF\xBB\xBF"))
            continue;
        FolderEntry listed;
        listed.name = QString::fromUtf8(raw);
        switch (entry->d_type) {
        case DT_REG:
            listed.leads = Leads::File;
            break;
        case DT_DIR:
            listed.leads = Leads::Folder;
            break;
        case DT_LNK:
        case DT_UNKNOWN: // file systems that do not report the kind
            lookAt(fd, listed, entry->d_name, entry->d_type == DT_LNK);
            break;
        default:
            listed.leads = Leads::Other;
        }
        if (!take(std::move(listed)))
            return folder;
        errno = 0;
    }
    if (errno != 0) { // a listing cut short is no listing
        folder.error = errno;
        return folder;
    }
    folder.listed = true;
    return folder;
}

} // namespace

FolderEntries listFolderEntries(const QByteArray& path)
{
    std::vector<FolderEntry> entries;
    FolderEntries folder = readEntries(path, [&](FolderEntry&& entry) {
        entries.push_back(std::move(entry));
        return true;
    });
    if (folder.listed)
        folder.entries = std::move(entries);
    return folder;
}

FolderEntries visitFolderEntries(const QByteArray& path, const std::function<bool(const FolderEntry&)>& take)
{
    return readEntries(path, [&](FolderEntry&& entry) { return take(entry); });
}

} // namespace diskfs
