// Helpers of the disk tests: lay out a folder from short descriptions and describe what it holds.
#pragma once

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStringList>

namespace folderstate {

/// The content written into the file created as `name` (by layOut or addIntruder).
inline QByteArray contentOf(const QString& name)
{
    return "content:" + name.toUtf8();
}

/**
 * Creates in `dir` one entry per description: "name" a file holding contentOf(name), "name/" a folder,
 * "name@target" a symbolic link to the relative `target`. Returns false when one could not be made.
 */
inline bool layOut(const QString& dir, const QStringList& entries)
{
    for (const QString& entry : entries) {
        const QString path = dir + QLatin1Char('/');
        if (entry.endsWith(QLatin1Char('/'))) {
            if (!QDir().mkdir(path + entry.chopped(1)))
                return false;
        } else if (const qsizetype at = entry.indexOf(QLatin1Char('@')); at > 0) {
            if (::symlink(entry.mid(at + 1).toUtf8().constData(), (path + entry.left(at)).toUtf8().constData()) != 0)
                return false;
        } else {
            QFile file(path + entry);
            if (!file.open(QIODevice::NewOnly) || file.write(contentOf(entry)) < 0)
                return false;
        }
    }
    return true;
}

/// Creates a file at `path` that holds contentOf(`origin`), where no file is.
inline bool addIntruder(const QString& path, const QString& origin)
{
    QFile file(path);
    return file.open(QIODevice::NewOnly) && file.write(contentOf(origin)) >= 0;
}

/**
 * What `dir` holds, sorted: "name/" for a folder, "name@target" for a link, "name=origin" for a file
 * holding contentOf(origin) and just "name" when origin is the name itself; any other content is
 * shown as "name=?<content>". Hidden entries are included.
 */
inline QStringList describe(const QString& dir)
{
    QStringList out;
    const QDir folder(dir);
    const QStringList names
        = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QString path = folder.filePath(name);
        struct stat st;
        if (::lstat(path.toUtf8().constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            out << name + QLatin1Char('/');
        } else if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t len = ::readlink(path.toUtf8().constData(), target, sizeof target);
            out << name + QLatin1Char('@') + QString::fromUtf8(target, std::max<ssize_t>(len, 0));
        } else {
            QFile file(path);
            QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
            if (content.startsWith("content:")) {
                const QString origin = QString::fromUtf8(content.mid(8));
                out << (origin == name ? name : name + QLatin1Char('=') + origin);
            } else {
                out << name + QStringLiteral("=?") + QString::fromUtf8(content);
            }
        }
    }
    out.sort();
    return out;
}

/// The folder description sorted the way describe() sorts, for comparing.
inline QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

/// Whether the running user can write into a folder whose permissions forbid it (root can).
inline bool writesIntoReadOnlyFolders(const QString& dir)
{
    const QString probeDir = dir + QStringLiteral("/probe-ro");
    if (!QDir().mkdir(probeDir))
        return true;
    QFile::setPermissions(probeDir, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(probeDir + QStringLiteral("/probe"));
    const bool writable = probe.open(QIODevice::WriteOnly);
    probe.close();
    QFile::setPermissions(probeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::remove(probeDir + QStringLiteral("/probe"));
    QDir().rmdir(probeDir);
    return writable;
}

} // namespace folderstate
