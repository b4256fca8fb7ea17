// Adding the files and folders named on the command line.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "rename/renamelist.h"

namespace intake {

/// A path that added nothing, and why.
struct SkippedPath {
    enum class Reason {
        Missing, // nothing exists there (a broken link included)
        NotFileOrFolder, // a fifo, socket or device
    };
    QString path;
    Reason reason;

    friend bool operator==(const SkippedPath&, const SkippedPath&) = default;
};

/// What one or more consecutive paths add: a folder to list (`folder` set), or files (`files`).
struct PathItem {
    QString folder; // absolute when sortPaths made it
    QList<RenameList::Entry> files;
};

/// `paths` sorted into what they add, in order, and what they do not.
struct SortedPaths {
    QList<PathItem> items; // consecutive files share one item
    QList<SkippedPath> skipped;
};

/// Sorts `paths` as addPaths takes them, without listing any folder.
SortedPaths sortPaths(const QStringList& paths);

/**
 * Adds `paths` in the order given, as a file manager hands them over: a folder (or a link to one) adds its
 * visible files as 添加文件夹 does (see addFolder), a file (or a link to one) adds one row as 添加文件
 * does: its folder, its name as given, icon 1. Relative paths are taken from the current folder. Other
 * paths add nothing and are returned, in order. The caller refreshes the new names afterwards.
 */
QList<SkippedPath> addPaths(RenameList& list, const QStringList& paths);

} // namespace intake
