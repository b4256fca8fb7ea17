// Row ordering commands of the rename list: move the selected row up or down, remove it, clear it, sort it.
#pragma once

#include <optional>

#include <QStringView>

class RenameList;

namespace intake {

/// What an ordering command leaves behind for the window.
struct OrderResult {
    std::optional<int> selection; // the row to select afterwards (0-based); none: select nothing
    bool refreshNames = false; // the new names must be recomputed (RefreshNewNames)

    friend bool operator==(const OrderResult&, const OrderResult&) = default;
};

/*
 * The commands take the selected row (0-based; none when nothing is selected). A selection outside the
 * list counts as none. With rows but no selection, up, down and remove do nothing. A command that does
 * nothing returns the selection it was given and no refresh.
 */

/// btSelectUp: exchanges the carried cells (old name, folder, icon) of the selected row and the one above;
/// the moved file stays selected. Nothing on the first row or with fewer than 2 rows.
OrderResult moveUp(RenameList& list, std::optional<int> selected);

/// btSelectDown: as moveUp, with the row below. Nothing on the last row or with fewer than 2 rows.
OrderResult moveDown(RenameList& list, std::optional<int> selected);

/// btSelectDelete: removes the selected row; the row now at its position (the one that followed) becomes
/// selected, none when the last row was removed. Refreshes whenever a row was removed, also the only one
/// (the refresh of an empty list does nothing).
OrderResult removeSelected(RenameList& list, std::optional<int> selected);

/// btListClear: removes every row. Selects nothing and asks for no refresh; the window disables the
/// restore button itself.
OrderResult clearAll(RenameList& list);

/**
 * Natural order of two file names, as a Chinese desktop sorts them (NameOrder with DigitRuns::ByValue):
 * runs of the digits 0-9 compare by their value (file2 before file10, a1b2 before a1b10), Chinese characters
 * by pinyin, letter case ignored. A name that is a beginning of the other comes first. Names only this order
 * cannot tell apart (01 and 1, a01 and A1, A and a) fall back to the case-folded text and then to the exact
 * text (01 before 1, a01 before A1, A before a), so the result is 0 only for equal names.
 */
int naturalCompare(QStringView a, QStringView b);

/*
 * The two sorts reorder the rows' carried cells (old name, folder, icon) as moves do: the new names are to
 * be recomputed and each outcome text stays at its position. Rows the sort cannot tell apart keep their
 * order. The selected file stays selected. When no row changes place nothing happens (no refresh).
 */

/// 按名称排序（自然顺序）: by old name in naturalCompare order.
OrderResult sortByName(RenameList& list, std::optional<int> selected);

/// 按修改时间排序: oldest first; equal times by name as sortByName; files whose time cannot be read
/// (missing, no access) go last, among themselves by name.
OrderResult sortByModificationTime(RenameList& list, std::optional<int> selected);

} // namespace intake
