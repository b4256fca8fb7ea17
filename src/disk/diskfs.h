// diskfs: the few file-system operations the batch rename needs, none of which ever replaces a file.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace diskfs {

/**
 * Whether `name` may be given to a file of a folder: not empty, not "." or "..", and holding neither
 * "/" nor NUL. Anything else would name the folder itself, its parent, or a place outside the folder.
 */
bool isAcceptableName(QStringView name);

/// The bytes the operating system knows `path` by.
inline QByteArray encode(const QString& path)
{
    return path.toUtf8();
}

/**
 * Whether `path` is something the batch renames: a regular file, or a symbolic link that does not lead
 * to a folder (a broken link included: renaming a link renames the link itself, and within one batch
 * its target may be moving too). Hidden names count; a folder, a fifo or a device is not a file.
 */
bool isFileOrLink(const QByteArray& path);

/**
 * Renames `from` to `to` unless `to` exists; returns 0 or the errno of the failure (EEXIST when taken).
 *
 * Uses renameat2 with RENAME_NOREPLACE. Where the file system does not offer that flag, a hard link
 * under the new name followed by removing the old one, which refuses an existing target just the same.
 * Never copies. When both names lead to the same file (a name that differs only in letter case on a
 * file system that ignores case), the file goes through a temporary name in the same folder; should
 * the second step fail, it is moved back. Equal paths give EEXIST.
 */
int renameNoReplace(const QByteArray& from, const QByteArray& to);

/// The same for two names of one folder (ending in "/"): a refused name (see isAcceptableName) gives
/// EINVAL before anything touches the disk, and equal names give EEXIST (there is nothing to rename).
int renameInFolder(const QString& folder, const QString& oldName, const QString& newName);

/**
 * Moves the file at `path` to a fresh temporary name in its folder; returns the new path, or an
 * empty array when that failed (errno in `*error` when given).
 *
 * The temporary name is ".qinghe-tmp-<pid>-<counter>-<random hex>": hidden, unique to this process
 * and call, and taken with a no-replace rename, so that even an unlikely clash is refused (then a
 * next name is tried) rather than replacing anything.
 */
QByteArray moveToTemporary(const QByteArray& path, int* error = nullptr);

/// The prefix every temporary name starts with.
inline constexpr char kTemporaryPrefix[] = ".qinghe-tmp-";

} // namespace diskfs
