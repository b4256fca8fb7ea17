// Adding files from the open-file dialog: the dialog's outcome as split results, and the rows they become.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "rename/renamelist.h"

namespace intake {

/// How the open-file dialog ended.
enum class DialogOutcome {
    Chosen, // the user confirmed one or more files
    Cancelled, // the user closed the dialog without choosing
    Failed, // the dialog reported an error
};

/**
 * The selection text a multi-select open-file dialog hands over for `paths` (absolute paths of one folder):
 * "folder NUL name NUL name ... NUL" for two or more files, "full path NUL" for one. Paths whose name is
 * empty or only spaces are left out, since the split could not tell them apart from a missing name.
 */
QString openFileDialogText(const QStringList& paths);

/**
 * The split results (see FileName2) of an open-file dialog's outcome, as the window's file command uses them.
 *
 * Chosen: one split result per folder, in the order the folders first appear in `paths`, each made by
 * FileName2 from openFileDialogText of that folder's paths (names keep their order). A dialog shows one
 * folder, so this is normally a single result; a name typed with a subfolder ("sub/b.jpg") still lands
 * in its own folder's row instead of being taken for a file of the first folder. A path that does not
 * survive decoding (see survivesDecoding) is left out. Chosen with no paths (or none left) counts as
 * Cancelled. Linear in the number of paths, however many folders they span.
 * Cancelled: one result holding only the empty text (no file chosen).
 * Failed: one empty result (no elements at all).
 */
QList<QStringList> openFileDialogResult(DialogOutcome outcome, const QStringList& paths);

/**
 * Appends one row per file of a split result, in one insertion: for i = 1..n the old name is element i, the
 * folder element 0, the icon 1. An empty result or one holding only element 0 adds nothing.
 * Returns the number of rows added. The caller refreshes the new names afterwards in every case.
 */
int appendSplitFiles(RenameList& list, const QStringList& split);

/// The rows appendSplitFiles would append for `split`.
QList<RenameList::Entry> splitFileEntries(const QStringList& split);

} // namespace intake
