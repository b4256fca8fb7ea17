// batchrename: the batch rename of every listed file and the restore of their old names.
#pragma once

#include <QList>
#include <QString>

class RenameList;

namespace batchrename {

/// One file to rename: `from` and `to` are bare names inside `folder`, which ends in "/".
struct Request {
    QString folder;
    QString from;
    QString to;
};

/**
 * Renames every request's file in one pass; element i of the result tells whether request i's file
 * now bears its name `to` because of this pass, or `to` equals `from` and a file is there.
 *
 * Nothing is ever replaced and nothing leaves its folder: a refused name (see diskfs::isAcceptableName)
 * or a folder without its closing "/" fails before the disk is touched, and a name held by a file
 * outside the batch (or by a folder) fails. Names that chain within the batch are renamed in an order
 * that frees each name before it is needed; names that form a cycle pass through a temporary name
 * in the same folder, and no temporary name is left when the pass returns (see diskfs::moveToTemporary;
 * only another program taking the names meanwhile could strand one).
 * When several requests want one name, the first in order gets it and the others fail. A file asked
 * for more than once is renamed by its first request; a later one succeeds only if it asked for the
 * name the file ends up with. Paths compare exactly, so a change of letter case alone is a rename.
 * Planning is linear in the number of requests.
 */
QList<bool> renameBatch(const QList<Request>& requests);

/**
 * The batch rename: renames every row's file from its old name to its new name and writes "成功"
 * (RowIcon::Renamed) or "失败" (RowIcon::RenameFailed) into each row, as renameBatch() judges.
 * Old names, folders and new names are left as they are. Nothing happens on an empty list.
 */
void renameAll(RenameList& list);

/**
 * The restore: every row reading exactly "成功" has its file renamed from its new name back to its old
 * one, in one pass with the same rules, and reads "还原成功" (RowIcon::Restored) or "还原失败"
 * (RowIcon::RestoreFailed). Other rows are not touched, so a second restore changes nothing.
 */
void restoreAll(RenameList& list);

} // namespace batchrename
