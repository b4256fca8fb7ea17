// batchcheck: the preview check, which foretells what a pass would make of each request.
#pragma once

#include <QList>
#include <QStringList>

#include "disk/batchrename.h"
#include "disk/folderfacts.h"
#include "disk/rowfolders.h"

namespace batchrename {

/**
 * The preview check: the planner of renameBatch, judged against `facts` instead of the live disk;
 * touches the disk only for a folder that was found but could not be listed (or its names could not be
 * looked at): there each old name is looked up (once for as long as the rows stay the same) and each new
 * name a chain ends on (once per check). Element i says whether request i would fail and why (done: it
 * would succeed). A folder missing from `facts` holds no file. On a disk unchanged since the facts were
 * read, the pass gives the same results, except for the reasons only a move can tell (permission to
 * rename, full disk...). Names compare exactly, also where the file system ignores letter case.
 *
 * Made for every keystroke: what depends on folders and old names only is kept in the facts' CheckCache
 * and reused while the rows' folder and old-name strings are the very same (unchanged rows of one list),
 * so a check of rows whose new names changed pays for the new names only (its budget at 100,000 rows:
 * docs/ARCHITECTURE.md, "The planner's budget"). Refresh the facts (list the folders again) when files
 * are added or removed, before a pass and when the window is activated.
 */
QList<Result> checkBatch(const QList<Request>& requests, const FolderFacts& facts);
/// checkBatch of request i = (folders.at(i), froms[i], tos[i]), without copying a name (the columns are of
/// equal length).
QList<Result> checkColumns(
    const RowFolders& folders, const QStringList& froms, const QStringList& tos, const FolderFacts& facts);

} // namespace batchrename
