// Row ordering commands of the rename list: move the selected row up or down, remove it, clear the list.
#pragma once

#include <optional>

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

} // namespace intake
