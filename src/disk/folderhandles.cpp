// FolderHandles: one folder open at a time, and only while it is still the folder the batch found.
#include "disk/folderhandles.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace batchrename {

int FolderHandles::add(QByteArray path, quint64 device, quint64 inode, int error)
{
    m_folders.push_back({ std::move(path), device, inode, error });
    return static_cast<int>(m_folders.size()) - 1;
}

int FolderHandles::fdOf(int folder, int* error)
{
    if (folder != m_fdFolder) {
        close();
        m_fdFolder = folder;
        m_fdError = open(m_folders[folder]);
    }
    if (m_fd < 0)
        *error = m_fdError;
    return m_fd;
}

diskfs::Kind FolderHandles::kind(int folder, const char* name, int* error)
{
    int err = 0;
    const int fd = fdOf(folder, &err);
    if (fd >= 0)
        return diskfs::kindAt(fd, name, error);
    if (err == ENOENT || err == ENOTDIR)
        return diskfs::Kind::None;
    *error = err;
    return diskfs::Kind::Unknown;
}

void FolderHandles::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_fdFolder = -1;
}

int FolderHandles::open(const Folder& folder)
{
    if (folder.error != 0)
        return folder.error;
    int error = 0;
    m_fd = diskfs::openFolder(folder.path, &error);
    if (m_fd < 0)
        return error;
    struct stat st;
    if (::fstat(m_fd, &st) == 0 && quint64(st.st_dev) == folder.device && quint64(st.st_ino) == folder.inode)
        return 0;
    ::close(m_fd);
    m_fd = -1;
    return ENOENT; // another folder bears the name now
}

} // namespace batchrename
