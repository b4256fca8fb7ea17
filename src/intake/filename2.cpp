// FileName2: splitting an open-file dialog's multi-selection text into a folder and bare file names.
#include "intake/filename2.h"

#include "rename/spacetext.h"

QStringList FileName2(const QString& text)
{
    const QChar nul(0);
    const QChar separator(u'/');

    // parts[0..k-1] collect the kept pieces; parts always holds at least element 0.
    QStringList parts { QString() };
    qsizetype kept = 0;
    qsizetype p = 0;
    while (p < text.size()) {
        const qsizetype end = text.indexOf(nul, p);
        if (end < 0) {
            // A rest without a closing NUL counts only when nothing was collected before: the whole text
            // is then one full path.
            if (parts.size() == 1)
                parts = QStringList { QString(), text };
            break;
        }
        const QStringView piece = QStringView(text).sliced(p, end - p);
        if (!spacetext::isBlank(piece)) {
            if (parts.size() <= kept)
                parts.resize(kept + 1);
            parts[kept] = piece.toString();
            ++kept;
        }
        p = end + 1;
    }

    // One piece is one full path: move it to element 1 so that the split below divides it.
    if (kept == 1) {
        if (parts.size() < 2)
            parts.resize(2);
        parts[1] = parts[0];
        parts[0].clear();
    }

    if (parts.size() == 2) {
        const qsizetype b = parts[1].lastIndexOf(separator) + 1; // 0 when there is no separator
        parts[0] = parts[1].left(b);
        parts[1] = parts[1].mid(b);
    }

    if (parts.size() < 2)
        return { QString() };
    if (!parts[0].isEmpty() && !parts[0].endsWith(separator))
        parts[0].append(separator);
    return parts;
}
