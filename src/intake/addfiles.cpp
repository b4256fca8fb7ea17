// Adding files from the open-file dialog: the dialog's outcome as split results, and the rows they become.
#include "intake/addfiles.h"

#include <QFileInfo>
#include <QHash>

#include "intake/filename2.h"
#include "intake/folderlisting.h"
#include "rename/spacetext.h"
#include "rename/renamelist.h"

namespace intake {

namespace {

bool isBlankName(const QString& name)
{
    return spacetext::isBlank(name);
}

} // namespace

QString openFileDialogText(const QStringList& paths)
{
    QStringList names;
    QString folder;
    QString onlyPath;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        const QString name = info.fileName();
        if (isBlankName(name))
            continue;
        if (names.isEmpty()) {
            folder = info.absolutePath();
            onlyPath = info.absoluteFilePath();
        }
        names.append(name);
    }

    const QChar nul(0);
    if (names.isEmpty())
        return QString();
    if (names.size() == 1)
        return onlyPath + nul;
    QString text = folder + nul;
    for (const QString& name : std::as_const(names))
        text += name + nul;
    return text;
}

QList<QStringList> openFileDialogResult(DialogOutcome outcome, const QStringList& paths)
{
    if (outcome == DialogOutcome::Failed)
        return { QStringList() };
    if (outcome == DialogOutcome::Cancelled || paths.isEmpty())
        return { QStringList { QString() } };

    // Group the paths by folder, keeping the order in which folders and names appear; one hash lookup
    // per path keeps this linear in the number of folders too. A path whose text does not lead back to
    // the file it was decoded from is left out, as the folder listing leaves such names out.
    QHash<QString, qsizetype> groupOf;
    QList<QStringList> groups;
    for (const QString& path : paths) {
        if (!survivesDecoding(path))
            continue;
        const QString folder = QFileInfo(path).absolutePath();
        auto it = groupOf.constFind(folder);
        if (it == groupOf.cend()) {
            it = groupOf.insert(folder, groups.size());
            groups.append(QStringList());
        }
        groups[it.value()].append(path);
    }
    if (groups.isEmpty())
        return { QStringList { QString() } };

    QList<QStringList> results;
    results.reserve(groups.size());
    for (const QStringList& group : std::as_const(groups))
        results.append(FileName2(openFileDialogText(group)));
    return results;
}

QList<RenameList::Entry> splitFileEntries(const QStringList& split)
{
    if (split.size() < 2)
        return {};
    const QString& folder = split.at(0);
    QList<RenameList::Entry> entries;
    entries.reserve(split.size() - 1);
    for (qsizetype i = 1; i < split.size(); ++i)
        entries.append({ split.at(i), folder, RowIcon::Added });
    return entries;
}

int appendSplitFiles(RenameList& list, const QStringList& split)
{
    const QList<RenameList::Entry> entries = splitFileEntries(split);
    if (entries.isEmpty())
        return 0;
    list.append(entries);
    return static_cast<int>(entries.size());
}

} // namespace intake
