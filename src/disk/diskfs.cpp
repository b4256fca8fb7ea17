// diskfs: no-replace renames over renameat2 (or link and unlink), temporary names and the file test.
#include "disk/diskfs.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>

namespace diskfs {

namespace {

// One attempt, without the same-file handling: renameat2 refuses an existing target itself; where
// the file system lacks RENAME_NOREPLACE, linkat refuses one just as well.
int renameOnce(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    const int err = errno;
    if (err != EINVAL && err != ENOSYS)
        return err;
    if (::linkat(AT_FDCWD, from, AT_FDCWD, to, 0) != 0)
        return errno;
    if (::unlink(from) != 0) {
        const int unlinkErr = errno;
        ::unlink(to); // the file keeps its old name only
        return unlinkErr;
    }
    return 0;
}

bool sameFile(const char* a, const char* b)
{
    struct stat sa;
    struct stat sb;
    return ::lstat(a, &sa) == 0 && ::lstat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::atomic<quint64> temporaryCounter { 0 };

} // namespace

bool isAcceptableName(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

bool isFileOrLink(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return false;
    if (S_ISREG(st.st_mode))
        return true;
    if (!S_ISLNK(st.st_mode))
        return false;
    return ::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode);
}

int renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (from == to)
        return EEXIST;
    const int err = renameOnce(from.constData(), to.constData());
    if (err != EEXIST || !sameFile(from.constData(), to.constData()))
        return err;
    // Both names lead to one file: the file system ignores case (or they are two links to one file,
    // where the second step below is refused and the file goes back).
    int tempErr = 0;
    const QByteArray temporary = moveToTemporary(from, &tempErr);
    if (temporary.isEmpty())
        return tempErr;
    const int finalErr = renameOnce(temporary.constData(), to.constData());
    if (finalErr != 0)
        renameOnce(temporary.constData(), from.constData());
    return finalErr;
}

int renameInFolder(const QString& folder, const QString& oldName, const QString& newName)
{
    if (!isAcceptableName(oldName) || !isAcceptableName(newName))
        return EINVAL;
    if (oldName == newName)
        return EEXIST;
    return renameNoReplace(encode(folder + oldName), encode(folder + newName));
}

QByteArray moveToTemporary(const QByteArray& path, int* error)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = path.left(slash + 1);
    const QByteArray stem = kTemporaryPrefix + QByteArray::number(static_cast<qint64>(::getpid())) + '-';
    int err = EEXIST;
    // A clash with an existing name is refused by the no-replace rename; then the next name is tried.
    for (int attempt = 0; attempt < 16 && err == EEXIST; ++attempt) {
        const QByteArray candidate = folder + stem + QByteArray::number(temporaryCounter.fetch_add(1)) + '-'
            + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
        err = renameOnce(path.constData(), candidate.constData());
        if (err == 0)
            return candidate;
    }
    if (error)
        *error = err;
    return {};
}

} // namespace diskfs
