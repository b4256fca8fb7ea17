// Listing a folder's visible files and adding them as rows of the rename list.
#include "intake/folderlisting.h"

#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QList>

#include "intake/nameorder.h"
#include "rename/spacetext.h"
#include "rename/renamelist.h"

namespace intake {

namespace {

// Closes the directory stream on every way out.
struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

bool isRegularFile(int dirFd, const dirent* entry)
{
    switch (entry->d_type) {
    case DT_REG:
        return true;
    case DT_LNK: // follow the link: only a link to a regular file counts
    case DT_UNKNOWN: { // file systems that do not report the type
        struct stat st;
        return fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    default:
        return false;
    }
}

} // namespace

QStringList visibleFiles(const QString& folderPath)
{
    if (folderPath.isEmpty())
        return {};
    const QByteArray encodedFolder = QFile::encodeName(folderPath);
    std::unique_ptr<DIR, DirCloser> dir(opendir(encodedFolder.constData()));
    if (!dir)
        return {};
    const int fd = dirfd(dir.get());

    QStringList listed;
    while (const dirent* entry = readdir(dir.get())) {
        if (entry->d_name[0] == '.') // hidden files, "." and ".."
            continue;
        if (!isRegularFile(fd, entry))
            continue;
        // File names are UTF-8 (QFile::encodeName). A name that would not come back as the same bytes names
        // another file or none, so it is not offered: invalid UTF-8, and a leading byte-order mark, which
        // decoding drops. This check is what a decode and re-encode would tell, without the re-encoding.
        const QByteArrayView raw(entry->d_name);
        if (!raw.isValidUtf8() || raw.startsWith("\xEF\xBB\xBF"))
            continue;
        QString name = QString::fromUtf8(raw);
        if (spacetext::isBlank(name))
            continue;
        listed.append(std::move(name));
    }
    dir.reset();

    // As the file manager shows the folder; digits as text, as its plain sort by name does.
    QStringList names;
    names.reserve(listed.size());
    for (const int position : NameOrder(DigitRuns::AsText).sortedPositions(listed))
        names.append(std::move(listed[position]));
    return names;
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

int addFolder(RenameList& list, const QString& folderPath)
{
    if (folderPath.isEmpty())
        return 0;
    // The path is kept as given (no cleaning of "..", which would change its meaning across links); only a
    // relative path is anchored, so that every row holds a full path.
    const QString absolute = QDir::isAbsolutePath(folderPath) ? folderPath : QDir::current().filePath(folderPath);
    if (!survivesDecoding(absolute)) // the text would list another folder, or none
        return 0;
    const QStringList names = visibleFiles(absolute);
    if (names.isEmpty())
        return 0;
    const QString folder = RenameList::withClosingSeparator(absolute);
    QList<RenameList::Entry> entries;
    entries.reserve(names.size());
    for (const QString& name : names)
        entries.append({ name, folder, RowIcon::Added });
    list.append(entries);
    return static_cast<int>(entries.size());
}

} // namespace intake
