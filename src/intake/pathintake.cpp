// Adding the files and folders named on the command line.
#include "intake/pathintake.h"

#include <QFileInfo>

#include "intake/folderlisting.h"
#include "rename/renamelist.h"

namespace intake {

SortedPaths sortPaths(const QStringList& paths)
{
    SortedPaths sorted;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            sorted.items.append({ info.absoluteFilePath(), {} });
        } else if (info.isFile()) {
            // Consecutive files go in as one insertion.
            if (sorted.items.isEmpty() || !sorted.items.last().folder.isEmpty())
                sorted.items.append(PathItem {});
            sorted.items.last().files.append({ info.fileName(), info.absolutePath(), RowIcon::Added });
        } else {
            sorted.skipped.append(
                { path, info.exists() ? SkippedPath::Reason::NotFileOrFolder : SkippedPath::Reason::Missing });
        }
    }
    return sorted;
}

QList<SkippedPath> addPaths(RenameList& list, const QStringList& paths)
{
    SortedPaths sorted = sortPaths(paths);
    for (const PathItem& item : sorted.items) {
        if (item.folder.isEmpty())
            list.append(item.files);
        else
            addFolder(list, item.folder);
    }
    return sorted.skipped;
}

} // namespace intake
