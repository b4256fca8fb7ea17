// Adding the files and folders named on the command line.
#include "intake/pathintake.h"

#include <QFileInfo>

#include "intake/folderlisting.h"
#include "rename/renamelist.h"

namespace intake {

QList<SkippedPath> addPaths(RenameList& list, const QStringList& paths)
{
    QList<SkippedPath> skipped;
    QList<RenameList::Entry> files; // consecutive files go in as one insertion
    const auto flushFiles = [&] {
        if (!files.isEmpty())
            list.append(files);
        files.clear();
    };
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            flushFiles();
            addFolder(list, info.absoluteFilePath());
        } else if (info.isFile()) {
            files.append({ info.fileName(), info.absolutePath(), RowIcon::Added });
        } else {
            skipped.append(
                { path, info.exists() ? SkippedPath::Reason::NotFileOrFolder : SkippedPath::Reason::Missing });
        }
    }
    flushFiles();
    return skipped;
}

} // namespace intake
