// Drag-and-drop reordering of the rename list: where a dropped row lands, and the drop-target highlight.
#include "intake/dragdrop.h"

#include <algorithm>

#include <QMimeData>
#include <QUrl>

#include "rename/renamelist.h"

namespace intake {

OrderResult dropRow(RenameList& list, std::optional<int> selected, std::optional<int> target, bool dataHasFiles,
    const std::optional<QString>& dataText)
{
    const int rows = list.count();
    const bool selectionIsRow = selected && *selected >= 0 && *selected < rows;
    const OrderResult ignored { selectionIsRow ? selected : std::nullopt, false };
    if (dataHasFiles || !dataText || rows < 2 || !selectionIsRow)
        return ignored;
    const int from = *selected;
    if (*dataText != list.oldName(from))
        return ignored;

    // The target position is the one before the removal; no target (or one past the rows) means the end.
    const int to = (target && *target >= 0 && *target < rows) ? *target : rows - 1;
    const RenameList::Entry carried = list.entry(from);
    list.remove(from);
    list.insert(to, carried);
    return { to, true };
}

OrderResult dropRow(RenameList& list, std::optional<int> selected, std::optional<int> target, const QMimeData& data)
{
    const QList<QUrl> urls = data.hasUrls() ? data.urls() : QList<QUrl>();
    const bool hasFiles = std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); });
    const std::optional<QString> text = data.hasText() ? std::optional<QString>(data.text()) : std::nullopt;
    return dropRow(list, selected, target, hasFiles, text);
}

std::optional<int> highlightedRow(std::optional<int> marked, int rowCount)
{
    if (!marked || *marked < 0 || *marked >= rowCount)
        return std::nullopt;
    return marked;
}

MarkChange dragOverRow(std::optional<int> marked, std::optional<int> hitRow, int rowCount)
{
    const std::optional<int> unmark = highlightedRow(marked, rowCount);
    if (!hitRow || *hitRow < 0 || *hitRow >= rowCount)
        return { unmark, std::nullopt, marked };
    return { unmark, hitRow, hitRow };
}

} // namespace intake
