// listrequests: the list's side of a pass: requests made from the rows, and results written back into them.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "disk/batchrename.h"
#include "disk/rowfolders.h"

class RenameList;

namespace batchrename {

/// One request per row: folder, old name, new name.
QList<Request> renameRequests(const RenameList& list);

/// The requests of a pass over some of the list's rows, and the row each request is for.
struct RowRequests {
    QList<Request> requests;
    QList<int> rows; // rows[i]: the row of requests[i]
    int kept = 0; // the first `kept` requests only hold renamed files where they are; their results are not written
};

/**
 * The requests of 开始更名 over the list's columns. A row renamed in the open restore (its given name set) is
 * done: it is not renamed again, and enters first as a request that keeps its file under the name it was
 * given, so that no other row can rename that file or claim its name. Every other row is requested as it
 * reads. `givenNames` may be empty (no row is done).
 */
RowRequests continueRequests(const batchrename::RowFolders& folders, const QStringList& oldNames,
    const QStringList& newNames, const QStringList& givenNames);
RowRequests continueRequests(const RenameList& list);
/// The requests of 还原: every row reading exactly "成功" whose given name is set, from that name back to the
/// old name.
RowRequests restoreRowRequests(const RenameList& list);
/// One request per row reading exactly "成功" with a given name (given name back to old name); `rows` receives
/// their rows.
QList<Request> restoreRequests(const RenameList& list, QList<int>* rows);

/// The reason text of `result` for the request of `requests` it belongs to, naming rows, not requests.
QString rowReasonText(const RowRequests& requests, Result result);

/// Writes "成功" (with the name given) / "失败" and their icons into the rows of the requests after the kept
/// ones; NotReached rows are left as they were.
void applyRenameResults(RenameList& list, const RowRequests& requests, const QList<Result>& results);
/// applyRenameResults for one request per row, in row order.
void applyRenameResults(RenameList& list, const QList<Result>& results);
/// Writes "还原成功" / "还原失败" into the rows of the requests and forgets their given names; NotReached
/// rows stay.
void applyRestoreResults(RenameList& list, const RowRequests& requests, const QList<Result>& results);
void applyRestoreResults(RenameList& list, const QList<int>& rows, const QList<Result>& results);

/**
 * The batch rename on the calling thread: renameBatch over continueRequests, then applyRenameResults.
 * Old names, folders and new names are left as they are. Nothing happens on an empty list, nor when every
 * row is done.
 */
void renameAll(RenameList& list);

/**
 * The restore: every row reading exactly "成功" with a given name has its file renamed from that name back
 * to its old one, in one pass with the same rules, and reads "还原成功" or "还原失败". Other rows are not
 * touched, so a second restore changes nothing.
 */
void restoreAll(RenameList& list);

} // namespace batchrename
