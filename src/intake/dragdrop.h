// Drag-and-drop reordering of the rename list: where a dropped row lands, and the drop-target highlight.
#pragma once

#include <optional>

#include <QString>

#include "intake/roworder.h"

class QMimeData;
class RenameList;

namespace intake {

/**
 * Moves the selected row to the drop target (ListReName_OLEDragDrop after its hit test and highlight reset).
 *
 * `selected` is the selected row, `target` the row under the pointer at the drop (both 0-based; none
 * when there is none). The drop is ignored, leaving the list as it is, when the data carries a file list,
 * carries no text, the list has fewer than 2 rows, no row is selected, or the text differs from the selected
 * row's old name. Otherwise the selected row is removed and put back at the target's position as it was
 * before the removal, carrying its old name, folder and icon; its new name and outcome start empty.
 * So B dropped on D in A B C D E gives A C D B E, D dropped on B gives A D B C E, and a row dropped on itself
 * keeps its place. A drop below the last row (no target) moves the row to the end, where the user let go.
 * Result: the moved row selected and a refresh; when ignored, the given selection and no refresh.
 */
OrderResult dropRow(RenameList& list, std::optional<int> selected, std::optional<int> target, bool dataHasFiles,
    const std::optional<QString>& dataText);

/// dropRow with the data read from a drop's QMimeData: a file list is a URL list naming at least one
/// local file; the text is the plain text, when the data has any.
OrderResult dropRow(RenameList& list, std::optional<int> selected, std::optional<int> target, const QMimeData& data);

/*
 * The drop-target highlight. The window remembers the row (0-based) it highlighted last, none before the
 * first highlight, and shows its 1-based number as the caption of lbTag. The row is never forgotten, and a
 * row beyond the rows that are left is simply not acted on.
 */

/// The row (0-based) that a reset of the highlight un-marks (at a drop, or when the drag leaves): `marked`
/// when it is a row of a list of `rowCount` rows; none otherwise.
std::optional<int> highlightedRow(std::optional<int> marked, int rowCount);

/// What a drag-over does to the drop-target mark, which the list's view shows.
struct MarkChange {
    std::optional<int> unmark; // the reset: the remembered row, when it is a row of the list
    std::optional<int> mark; // the row under the pointer, when there is one
    std::optional<int> remembered; // the marked row, or the remembered one unchanged when no row was marked
};

/// Drag-over in a list of `rowCount` rows: resets the highlight, then marks `hitRow` (0-based; none when
/// the pointer is over no row).
MarkChange dragOverRow(std::optional<int> marked, std::optional<int> hitRow, int rowCount);

} // namespace intake
