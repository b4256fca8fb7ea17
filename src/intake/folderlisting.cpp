// Listing a folder's visible files and adding them as rows of the rename list.
#include "intake/folderlisting.h"

#include <memory>

#include <dirent.h>

#include <QDir>
#include <QFile>
#include <QList>

#include "background/backgroundtask.h"
#include "disk/folderentries.h"
#include "intake/nameorder.h"
#include "rename/spacetext.h"
#include "rename/renamelist.h"

namespace intake {

namespace {

// Closes the directory stream on every way out.
struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// What the user adds from a folder: regular files and links to them, hidden and blank names left out.
QStringList sortedVisible(const diskfs::FolderEntries& listing)
{
    QStringList listed;
    listed.reserve(qsizetype(listing.entries.size()));
    for (const diskfs::FolderEntry& entry : listing.entries) {
        if (entry.leads != diskfs::Leads::File || entry.name.startsWith(QLatin1Char('.'))
            || spacetext::isBlank(entry.name))
            continue;
        listed.append(entry.name);
    }
    // As the file manager shows the folder; digits as text, as its plain sort by name does. The names are
    // put in that order where they lie, one cycle of the permutation at a time, rather than into a second list.
    std::vector<int> order = NameOrder(DigitRuns::AsText).sortedPositions(listed);
    QString* names = listed.data();
    for (int start = 0; start < int(order.size()); ++start) {
        if (order[size_t(start)] < 0)
            continue;
        QString first = std::move(names[start]);
        int at = start;
        for (int from = order[size_t(at)]; from != start; from = order[size_t(at)]) {
            names[at] = std::move(names[from]);
            order[size_t(at)] = -1;
            at = from;
        }
        names[at] = std::move(first);
        order[size_t(at)] = -1;
    }
    return listed;
}

} // namespace

QStringList visibleFiles(const QString& folderPath)
{
    if (folderPath.isEmpty())
        return {};
    return sortedVisible(diskfs::listFolderEntries(QFile::encodeName(folderPath)));
}

bool survivesDecoding(const QString& path)
{
    const QChar replacement(QChar::ReplacementCharacter);
    if (!path.contains(replacement))
        return true;
    qsizetype start = 0;
    while (start < path.size()) {
        qsizetype end = path.indexOf(QLatin1Char('/'), start);
        if (end < 0)
            end = path.size();
        const QStringView component = QStringView(path).mid(start, end - start);
        if (component.contains(replacement)) {
            const QString parent = start == 0 ? QDir::currentPath() : path.left(start);
            std::unique_ptr<DIR, DirCloser> dir(opendir(QFile::encodeName(parent).constData()));
            while (dir) {
                const dirent* entry = readdir(dir.get());
                if (!entry)
                    break;
                const QByteArray raw(entry->d_name);
                const QString decoded = QFile::decodeName(raw);
                if (decoded == component && QFile::encodeName(decoded) != raw)
                    return false;
            }
        }
        start = end + 1;
    }
    return true;
}

namespace {

ListedFolder listForAdding(const QString& folderPath, bool withFacts)
{
    if (folderPath.isEmpty())
        return {};
    // The path is kept as given (no cleaning of "..", which would change its meaning across links); only a
    // relative path is anchored, so that every row holds a full path.
    const QString absolute = QDir::isAbsolutePath(folderPath) ? folderPath : QDir::current().filePath(folderPath);
    if (!survivesDecoding(absolute)) // the text would list another folder, or none
        return {};
    const diskfs::FolderEntries listing = diskfs::listFolderEntries(QFile::encodeName(absolute));
    ListedFolder folder;
    folder.folder = RenameList::withClosingSeparator(absolute);
    // The check's facts are gathered while the names are sorted: the sort leaves a core idle at its merges.
    background::inParts(withFacts ? 2 : 1, withFacts ? 2 : 1, [&](qsizetype begin, qsizetype) {
        if (begin == 0)
            folder.names = sortedVisible(listing);
        else
            folder.facts = batchrename::folderFacts(listing);
    });
    return folder;
}

} // namespace

ListedFolder listFolder(const QString& folderPath)
{
    return listForAdding(folderPath, true);
}

int appendListed(RenameList& list, const ListedFolder& listed)
{
    list.appendFolder(listed.folder, listed.names);
    return static_cast<int>(listed.names.size());
}

int addFolder(RenameList& list, const QString& folderPath)
{
    return appendListed(list, listForAdding(folderPath, false));
}

} // namespace intake
