// diskfs: the few file-system operations the batch rename needs, none of which ever replaces a file.
#pragma once

#include <dirent.h>

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringView>

namespace diskfs {

/**
 * Whether `name` may be given to a file of a folder: not empty, not "." or "..", and holding neither
 * "/" nor NUL. Anything else would name the folder itself, its parent, or a place outside the folder.
 */
bool isAcceptableName(QStringView name);

/// The longest name a folder entry may have, in bytes of UTF-8 (NAME_MAX on every Linux file system).
inline constexpr int kMaxNameBytes = 255;

/// The bytes the operating system knows `path` by.
inline QByteArray encode(const QString& path)
{
    return path.toUtf8();
}

/// What a folder entry is, as far as the batch is concerned.
enum class Kind : quint8 {
    None, // nothing bears the name (ENOENT, ENOTDIR)
    File, // a regular file, or a symbolic link that does not lead to a folder (a broken one included)
    Other, // a folder, a link to a folder, a fifo, a socket or a device: never renamed
    Unknown, // the name cannot be looked at (EACCES in a folder that may not be searched...): not "nothing"
};

/// The kind of the entry `name` of the folder open as `dirFd` (an O_PATH descriptor will do); for
/// Unknown, the errno goes to `*error` when given.
Kind kindAt(int dirFd, const char* name, int* error = nullptr);

/// Opens the folder `path` for renaming in it (O_PATH); returns the descriptor, or -1 and the errno in
/// `*error`.
int openFolder(const QByteArray& path, int* error);

/// Opens the folder `path` for reading its names; returns nullptr and the errno in `*error` on failure.
DIR* openListing(const QByteArray& path, int* error);

/**
 * Whether `path` is something the batch renames: a regular file, or a symbolic link that does not lead
 * to a folder (a broken link included: renaming a link renames the link itself, and within one batch
 * its target may be moving too). Hidden names count; a folder, a fifo or a device is not a file.
 */
bool isFileOrLink(const QByteArray& path);

/**
 * Renames the entry `from` to `to` of the folder open as `dirFd` unless `to` exists; returns 0 or the
 * errno of the failure (EEXIST when taken).
 *
 * Uses renameat2 with RENAME_NOREPLACE. Where the file system does not offer that flag, a hard link
 * under the new name followed by removing the old one, which refuses an existing target just the same;
 * should the removal fail, the new link is removed again (only while the old name still leads to the
 * same file, so that nothing is lost), so that the file keeps its old name only and the removal's errno
 * is returned. Never copies. When both names lead to the same file (a name that differs only in letter
 * case on a file system that ignores case), the file goes through a temporary name in the same folder;
 * should the second step fail, it is moved back. Equal names give EEXIST.
 *
 * On a failure that leaves the file elsewhere than under `from` alone (both removals refused: `from`
 * and `to`; a temporary name it could not leave), `*names` receives every name the file bears.
 */
int renameAt(int dirFd, const char* from, const char* to, QByteArrayList* names = nullptr);

/// renameAt over two paths of one folder (AT_FDCWD).
int renameNoReplace(const QByteArray& from, const QByteArray& to);

/// The same for two names of one folder (ending in "/"): a refused name (see isAcceptableName) gives
/// EINVAL before anything touches the disk, and equal names give EEXIST (there is nothing to rename).
int renameInFolder(const QString& folder, const QString& oldName, const QString& newName);

/**
 * Exchanges the entries `a` and `b` of the folder open as `dirFd` atomically (renameat2 with
 * RENAME_EXCHANGE): at no instant does either name stand empty. Returns 0 or the errno; EINVAL, ENOSYS
 * or ENOTSUP mean the file system cannot exchange (see exchangeUnsupported).
 */
int exchangeAt(int dirFd, const char* a, const char* b);

/// Whether `error` from exchangeAt means the file system has no exchange, rather than a failure.
bool exchangeUnsupported(int error);

/**
 * Moves the entry `name` of the folder open as `dirFd` to a fresh temporary name in the same folder;
 * returns that name (with the folder part `name` had, if any), or an empty array when that failed
 * (errno in `*error` when given; `*names` as for renameAt when the file was left under two names).
 *
 * The temporary name is "青禾更名器临时文件-<pid>-<counter>-<random hex>", followed by "-<old name>" when
 * that fits in a name: visible in every file manager and recognisable as this program's, so that a file
 * caught under it (the program killed at that instant) is never hidden from the user. It is taken with
 * a no-replace rename, so that even an unlikely clash is refused (then a next name is tried).
 */
QByteArray moveAsideAt(int dirFd, const QByteArray& name, int* error = nullptr, QByteArrayList* names = nullptr);

/// moveAsideAt for a path (AT_FDCWD); returns the new path.
QByteArray moveToTemporary(const QByteArray& path, int* error = nullptr);

/// The start of every temporary name.
inline constexpr char kTemporaryPrefix[] = "青禾更名器临时文件-";

/// For tests: behave as a file system without RENAME_NOREPLACE (rename by link and unlink) and/or
/// without RENAME_EXCHANGE (cycles through a temporary name), as many network and FUSE file systems do.
void setMissingFeaturesForTesting(bool noReplace, bool exchange);

/// The system calls a test can make fail (see failCallForTesting).
enum class Call : quint8 {
    Lookup, // fstatat: what bears a name
    OpenFolder, // opening a folder to rename in it
    ListFolder, // opening a folder to read its names
    Rename, // renameat2 with RENAME_NOREPLACE
    Exchange, // renameat2 with RENAME_EXCHANGE
    Link, // linkat (renaming without RENAME_NOREPLACE)
    Unlink, // unlinkat (the same)
};

/// For tests: after `skip` more calls of `call` that go through, the next `times` calls (every one when
/// negative) fail with `error` without reaching the system. An error of 0 lets every call through again.
void failCallForTesting(Call call, int error, int skip = 0, int times = 1);

/// For tests: every call goes through again.
void clearFailuresForTesting();

} // namespace diskfs
