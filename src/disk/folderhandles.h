// FolderHandles: the folders of a batch by number, opened one at a time, for the pass and the check.
#pragma once

#include <vector>

#include <QByteArray>

#include "disk/diskfs.h"

namespace batchrename {

// Folders by number, each known by the device and inode it had when it was found, opened one at a time (a
// batch may span tens of thousands of folders, more than a process may hold open). A folder opened again
// must still be that folder: another program may have put a look-alike under its name meanwhile, and the
// batch's files are not in that one.
class FolderHandles {
public:
    FolderHandles() = default;
    FolderHandles(const FolderHandles&) = delete;
    FolderHandles& operator=(const FolderHandles&) = delete;
    ~FolderHandles() { close(); }

    /// A folder found as (device, inode) at `path`, or one that was not found (`error`: why); its number.
    int add(QByteArray path, quint64 device, quint64 inode, int error);

    /// The open folder numbered `folder`, or -1 with the errno in `*error`.
    int fdOf(int folder, int* error);

    /// What bears `name` in folder `folder` (see diskfs::kindAt); a folder that is not there holds nothing.
    diskfs::Kind kind(int folder, const char* name, int* error);

    void close();

private:
    struct Folder {
        QByteArray path;
        quint64 device = 0;
        quint64 inode = 0;
        int error = 0; // not found: stat's errno
    };

    // Opens `folder` into m_fd; returns 0 or why it cannot be used.
    int open(const Folder& folder);

    std::vector<Folder> m_folders;
    int m_fdFolder = -1;
    int m_fd = -1;
    int m_fdError = 0;
};

} // namespace batchrename
