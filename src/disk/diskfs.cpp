// diskfs: no-replace renames over renameat2 (or link and unlink), exchanges, temporary names, the file test.
#include "disk/diskfs.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>

namespace diskfs {

namespace {

std::atomic<bool> noReplaceMissing { false };
std::atomic<bool> exchangeMissing { false };
std::atomic<quint64> temporaryCounter { 0 };

// renameat2's answer when a flag is not known to the kernel or the file system.
bool flagUnsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

// Link under the new name, then remove the old one; every step is checked, so that the file never ends
// with two names unless even the undo fails.
int linkThenUnlink(int dirFd, const char* from, const char* to)
{
    if (::linkat(dirFd, from, dirFd, to, 0) != 0)
        return errno;
    if (::unlinkat(dirFd, from, 0) == 0)
        return 0;
    const int unlinkErr = errno;
    ::unlinkat(dirFd, to, 0); // the file keeps its old name only (if this fails too, it bears both)
    return unlinkErr;
}

// One attempt, without the same-file handling: renameat2 refuses an existing target itself; where the
// file system lacks RENAME_NOREPLACE, linkat refuses one just as well.
int renameOnce(int dirFd, const char* from, const char* to)
{
    // A file system without the flag answers EINVAL (or the kernel ENOSYS); tests get the same answer.
    int err = EINVAL;
    if (!noReplaceMissing.load(std::memory_order_relaxed))
        err = ::renameat2(dirFd, from, dirFd, to, RENAME_NOREPLACE) == 0 ? 0 : errno;
    if (!flagUnsupported(err))
        return err;
    return linkThenUnlink(dirFd, from, to);
}

bool sameFile(int dirFd, const char* a, const char* b)
{
    struct stat sa;
    struct stat sb;
    return ::fstatat(dirFd, a, &sa, AT_SYMLINK_NOFOLLOW) == 0 && ::fstatat(dirFd, b, &sb, AT_SYMLINK_NOFOLLOW) == 0
        && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// "folder/" and "name" of a path (a path without "/" lies in the current folder).
QByteArray folderOf(const QByteArray& path)
{
    return path.left(path.lastIndexOf('/') + 1);
}

} // namespace

bool isAcceptableName(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c.unicode() == 0)
            return false;
    }
    return true;
}

qsizetype utf8Length(QStringView text)
{
    qsizetype bytes = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            bytes += 4;
            ++i;
        } else
            bytes += 3;
    }
    return bytes;
}

Kind kindAt(int dirFd, const char* name)
{
    struct stat st;
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::None;
    if (S_ISREG(st.st_mode))
        return Kind::File;
    if (!S_ISLNK(st.st_mode))
        return Kind::Other;
    return ::fstatat(dirFd, name, &st, 0) != 0 || !S_ISDIR(st.st_mode) ? Kind::File : Kind::Other;
}

bool isFileOrLink(const QByteArray& path)
{
    return kindAt(AT_FDCWD, path.constData()) == Kind::File;
}

int renameAt(int dirFd, const char* from, const char* to)
{
    if (std::strcmp(from, to) == 0)
        return EEXIST;
    const int err = renameOnce(dirFd, from, to);
    if (err != EEXIST || !sameFile(dirFd, from, to))
        return err;
    // Both names lead to one file: the file system ignores case (or they are two links to one file,
    // where the second step below is refused and the file goes back).
    int tempErr = 0;
    const QByteArray temporary = moveAsideAt(dirFd, QByteArray(from), &tempErr);
    if (temporary.isEmpty())
        return tempErr;
    const int finalErr = renameOnce(dirFd, temporary.constData(), to);
    if (finalErr != 0)
        renameOnce(dirFd, temporary.constData(), from);
    return finalErr;
}

int renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (from == to)
        return EEXIST;
    return renameAt(AT_FDCWD, from.constData(), to.constData());
}

int renameInFolder(const QString& folder, const QString& oldName, const QString& newName)
{
    if (!isAcceptableName(oldName) || !isAcceptableName(newName))
        return EINVAL;
    if (oldName == newName)
        return EEXIST;
    return renameNoReplace(encode(folder + oldName), encode(folder + newName));
}

int exchangeAt(int dirFd, const char* a, const char* b)
{
    if (exchangeMissing.load(std::memory_order_relaxed))
        return EINVAL; // what a file system without the flag answers
    return ::renameat2(dirFd, a, dirFd, b, RENAME_EXCHANGE) == 0 ? 0 : errno;
}

bool exchangeUnsupported(int error)
{
    return flagUnsupported(error);
}

QByteArray moveAsideAt(int dirFd, const QByteArray& name, int* error)
{
    const QByteArray stem = QByteArray(kTemporaryPrefix) + QByteArray::number(static_cast<qint64>(::getpid())) + '-';
    const QByteArray folder = folderOf(name); // empty for a bare name, as the pass gives
    const QByteArray oldName = name.mid(folder.size());
    int err = EEXIST;
    // A clash with an existing name is refused by the no-replace rename; then the next name is tried.
    for (int attempt = 0; attempt < 16 && err == EEXIST; ++attempt) {
        QByteArray candidate = stem + QByteArray::number(temporaryCounter.fetch_add(1)) + '-'
            + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
        if (candidate.size() + 1 + oldName.size() <= kMaxNameBytes)
            candidate += '-' + oldName; // the user can tell which file it is
        candidate.prepend(folder);
        err = renameOnce(dirFd, name.constData(), candidate.constData());
        if (err == 0)
            return candidate;
    }
    if (error)
        *error = err;
    return {};
}

QByteArray moveToTemporary(const QByteArray& path, int* error)
{
    return moveAsideAt(AT_FDCWD, path, error);
}

void setMissingFeaturesForTesting(bool noReplace, bool exchange)
{
    noReplaceMissing.store(noReplace);
    exchangeMissing.store(exchange);
}

} // namespace diskfs
