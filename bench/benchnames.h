// Realistic file names for the benchmark stages.
#pragma once

#include <QString>
#include <QStringList>

namespace bench {

/// The i-th of a varied set of names: camera photos, documents, music, with CJK and spaces.
inline QString realisticName(int i)
{
    switch (i % 4) {
    case 0:
        return QStringLiteral("IMG_%1.jpg").arg(i, 6, 10, QLatin1Char('0'));
    case 1:
        return QStringLiteral("会议纪要 第%1期.docx").arg(i);
    case 2:
        return QStringLiteral("track-%1 - artist name.mp3").arg(i);
    default:
        return QStringLiteral("scan.%1.tar.gz").arg(i);
    }
}

/// The first `count` realistic names.
inline QStringList realisticNames(int count)
{
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names << realisticName(i);
    return names;
}

} // namespace bench
