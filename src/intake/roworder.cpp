// Row ordering commands of the rename list: move the selected row up or down, remove it, clear the list.
#include "intake/roworder.h"

#include "rename/renamelist.h"

namespace intake {

namespace {

bool isRow(const RenameList& list, std::optional<int> row)
{
    return row && *row >= 0 && *row < list.count();
}

OrderResult unchanged(const RenameList& list, std::optional<int> selected)
{
    return { isRow(list, selected) ? selected : std::nullopt, false };
}

OrderResult exchangeWith(RenameList& list, int selected, int neighbour)
{
    list.exchangeCarried(neighbour, selected);
    return { neighbour, true };
}

} // namespace

OrderResult moveUp(RenameList& list, std::optional<int> selected)
{
    if (list.count() < 2 || !isRow(list, selected) || *selected == 0)
        return unchanged(list, selected);
    return exchangeWith(list, *selected, *selected - 1);
}

OrderResult moveDown(RenameList& list, std::optional<int> selected)
{
    if (list.count() < 2 || !isRow(list, selected) || *selected == list.count() - 1)
        return unchanged(list, selected);
    return exchangeWith(list, *selected, *selected + 1);
}

OrderResult removeSelected(RenameList& list, std::optional<int> selected)
{
    if (list.count() == 0 || !isRow(list, selected))
        return unchanged(list, selected);
    const int row = *selected;
    list.remove(row);
    return { row < list.count() ? std::optional<int>(row) : std::nullopt, true };
}

OrderResult clearAll(RenameList& list)
{
    list.clear();
    return { std::nullopt, false };
}

} // namespace intake
