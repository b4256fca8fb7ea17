// Empty files made quickly for the window's benchmark stages.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QStringList>

namespace bench {

/// Creates each named file, empty, in `folder` (ending in "/"); stops the benchmark if one cannot be made.
inline void createEmptyFiles(const QString& folder, const QStringList& names)
{
    for (const QString& name : names) {
        const int fd = ::open((folder + name).toUtf8().constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
        if (fd < 0)
            qFatal("cannot create %s", qPrintable(folder + name));
        ::close(fd);
    }
}

} // namespace bench
