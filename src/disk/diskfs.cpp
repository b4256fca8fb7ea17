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

// Failures a test asked for, one slot per kind of call.
struct Injection {
    std::atomic<int> error { 0 };
    std::atomic<int> skip { 0 };
    std::atomic<int> times { 0 };
};
constexpr int kCalls = int(Call::Unlink) + 1;
Injection injections[kCalls];

// The errno a test wants this call of `call` to fail with, or 0.
int injected(Call call)
{
    Injection& in = injections[int(call)];
    if (in.error.load(std::memory_order_relaxed) == 0)
        return 0;
    if (in.skip.load() > 0) {
        in.skip.fetch_sub(1);
        return 0;
    }
    const int times = in.times.load();
    if (times == 0)
        return 0;
    if (times > 0)
        in.times.fetch_sub(1);
    return in.error.load();
}

int lookup(int dirFd, const char* name, struct stat* st, int flags)
{
    if (const int error = injected(Call::Lookup)) {
        errno = error;
        return -1;
    }
    return ::fstatat(dirFd, name, st, flags);
}

int renameFlags(int dirFd, const char* from, const char* to, unsigned flags, Call call)
{
    if (const int error = injected(call))
        return error;
    return ::renameat2(dirFd, from, dirFd, to, flags) == 0 ? 0 : errno;
}

int link(int dirFd, const char* from, const char* to)
{
    if (const int error = injected(Call::Link))
        return error;
    return ::linkat(dirFd, from, dirFd, to, 0) == 0 ? 0 : errno;
}

int unlink(int dirFd, const char* name)
{
    if (const int error = injected(Call::Unlink))
        return error;
    return ::unlinkat(dirFd, name, 0) == 0 ? 0 : errno;
}

// renameat2's answer when a flag is not known to the kernel or the file system.
bool flagUnsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

bool sameFile(int dirFd, const char* a, const char* b)
{
    struct stat sa;
    struct stat sb;
    return lookup(dirFd, a, &sa, AT_SYMLINK_NOFOLLOW) == 0 && lookup(dirFd, b, &sb, AT_SYMLINK_NOFOLLOW) == 0
        && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Link under the new name, then remove the old one; every step is checked, so that the file never ends
// with two names unless even the undo fails (then `*names` tells both).
int linkThenUnlink(int dirFd, const char* from, const char* to, QByteArrayList* names)
{
    if (const int error = link(dirFd, from, to))
        return error;
    const int unlinkErr = unlink(dirFd, from);
    if (unlinkErr == 0)
        return 0;
    // The new link goes again only while the old name still leads to the file: were the old name gone
    // after all (another program removed it meanwhile), removing the new one would lose the file.
    if (sameFile(dirFd, from, to)) {
        if (unlink(dirFd, to) == 0)
            return unlinkErr;
    } else if (kindAt(dirFd, from) == Kind::None) {
        return 0; // the file bears its new name only
    }
    if (names)
        *names = { QByteArray(from), QByteArray(to) };
    return unlinkErr;
}

// One attempt, without the same-file handling: renameat2 refuses an existing target itself; where the
// file system lacks RENAME_NOREPLACE, linkat refuses one just as well.
int renameOnce(int dirFd, const char* from, const char* to, QByteArrayList* names)
{
    // A file system without the flag answers EINVAL (or the kernel ENOSYS); tests get the same answer.
    int err = EINVAL;
    if (!noReplaceMissing.load(std::memory_order_relaxed))
        err = renameFlags(dirFd, from, to, RENAME_NOREPLACE, Call::Rename);
    if (!flagUnsupported(err))
        return err;
    return linkThenUnlink(dirFd, from, to, names);
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

Kind kindAt(int dirFd, const char* name, int* error)
{
    struct stat st;
    if (lookup(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Kind::None;
        if (error)
            *error = errno;
        return Kind::Unknown;
    }
    if (S_ISREG(st.st_mode))
        return Kind::File;
    if (!S_ISLNK(st.st_mode))
        return Kind::Other;
    // A link whose target cannot be looked at is renamed like a broken one: the link itself moves.
    return ::fstatat(dirFd, name, &st, 0) != 0 || !S_ISDIR(st.st_mode) ? Kind::File : Kind::Other;
}

int openFolder(const QByteArray& path, int* error)
{
    if (const int injectedError = injected(Call::OpenFolder)) {
        *error = injectedError;
        return -1;
    }
    const int fd = ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        *error = errno;
    return fd;
}

DIR* openListing(const QByteArray& path, int* error)
{
    if (const int injectedError = injected(Call::ListFolder)) {
        *error = injectedError;
        return nullptr;
    }
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        *error = errno;
    return dir;
}

bool isFileOrLink(const QByteArray& path)
{
    return kindAt(AT_FDCWD, path.constData()) == Kind::File;
}

int renameAt(int dirFd, const char* from, const char* to, QByteArrayList* names)
{
    if (std::strcmp(from, to) == 0)
        return EEXIST;
    const int err = renameOnce(dirFd, from, to, names);
    if (err != EEXIST || !sameFile(dirFd, from, to))
        return err;
    // Both names lead to one file: the file system ignores case (or they are two links to one file,
    // where the second step below is refused and the file goes back).
    int tempErr = 0;
    const QByteArray temporary = moveAsideAt(dirFd, QByteArray(from), &tempErr, names);
    if (temporary.isEmpty())
        return tempErr;
    const int finalErr = renameOnce(dirFd, temporary.constData(), to, names);
    if (finalErr == 0 || (names && !names->isEmpty()))
        return finalErr;
    QByteArrayList back;
    if (renameOnce(dirFd, temporary.constData(), from, &back) != 0 && names)
        *names = back.isEmpty() ? QByteArrayList { temporary } : back;
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
    return renameFlags(dirFd, a, b, RENAME_EXCHANGE, Call::Exchange);
}

bool exchangeUnsupported(int error)
{
    return flagUnsupported(error);
}

QByteArray moveAsideAt(int dirFd, const QByteArray& name, int* error, QByteArrayList* names)
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
        QByteArrayList left;
        err = renameOnce(dirFd, name.constData(), candidate.constData(), &left);
        if (err == 0)
            return candidate;
        if (!left.isEmpty()) { // under its name and the temporary one: no next name is tried
            if (names)
                *names = left;
            break;
        }
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

void failCallForTesting(Call call, int error, int skip, int times)
{
    Injection& in = injections[int(call)];
    in.error.store(0);
    in.skip.store(skip);
    in.times.store(times);
    in.error.store(error);
}

void clearFailuresForTesting()
{
    for (Injection& in : injections)
        in.error.store(0);
}

} // namespace diskfs
