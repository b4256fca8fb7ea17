// listrequests: the list's side of a pass: requests made from the rows, and results written back into them.
#include "rename/listrequests.h"

#include <algorithm>

#include "rename/outcometexts.h"
#include "rename/renamelist.h"
#include "rename/reasontexts.h"
#include "rename/renamerow.h"

namespace batchrename {

QList<Request> renameRequests(const RenameList& list)
{
    const int n = list.count();
    QList<Request> requests;
    requests.reserve(n);
    for (int row = 0; row < n; ++row)
        requests.append({ list.folder(row), list.oldName(row), list.newName(row) });
    return requests;
}

RowRequests continueRequests(const batchrename::RowFolders& folders, const QStringList& oldNames,
    const QStringList& newNames, const QStringList& givenNames)
{
    const qsizetype n = std::min({ folders.size(), oldNames.size(), newNames.size() });
    const bool anyDone = givenNames.size() == n
        && std::any_of(givenNames.cbegin(), givenNames.cend(), [](const QString& g) { return !g.isEmpty(); });
    RowRequests pass;
    pass.requests.reserve(n);
    pass.rows.reserve(n);
    if (anyDone) {
        for (qsizetype row = 0; row < n; ++row) {
            const QString& given = givenNames.at(row);
            if (given.isEmpty())
                continue;
            pass.requests.append({ folders.at(row), given, given });
            pass.rows.append(int(row));
        }
        pass.kept = int(pass.requests.size());
    }
    for (qsizetype row = 0; row < n; ++row) {
        if (anyDone && !givenNames.at(row).isEmpty())
            continue;
        pass.requests.append({ folders.at(row), oldNames.at(row), newNames.at(row) });
        pass.rows.append(int(row));
    }
    return pass;
}

RowRequests continueRequests(const RenameList& list)
{
    return continueRequests(list.folders(), list.oldNames(), list.newNames(),
        list.restorableCount() > 0 ? list.givenNames() : QStringList());
}

RowRequests restoreRowRequests(const RenameList& list)
{
    const QString succeeded = outcome::succeeded();
    RowRequests pass;
    for (int row = 0; row < list.count() && pass.rows.size() < list.restorableCount(); ++row) {
        if (list.outcome(row) != succeeded || list.givenName(row).isEmpty())
            continue;
        pass.rows.append(row);
        pass.requests.append({ list.folder(row), list.givenName(row), list.oldName(row) });
    }
    return pass;
}

QList<Request> restoreRequests(const RenameList& list, QList<int>* rows)
{
    RowRequests pass = restoreRowRequests(list);
    *rows = std::move(pass.rows);
    return std::move(pass.requests);
}

QString rowReasonText(const RowRequests& requests, Result result)
{
    // The requests are not the rows: name the earlier row, not the earlier request.
    if (result.otherRequest >= 0 && result.otherRequest < requests.rows.size())
        result.otherRequest = requests.rows[result.otherRequest];
    return reasonText(result);
}

namespace {

// One bulk write: a pass of 100,000 rows must not raise 100,000 change signals.
template <typename Outcome>
void applyResults(RenameList& list, const RowRequests& requests, const QList<Result>& results, Outcome outcomeOf)
{
    QList<int> written;
    QList<RowOutcome> outcomes;
    const qsizetype n = std::min(requests.rows.size(), results.size());
    written.reserve(n);
    outcomes.reserve(n);
    for (qsizetype i = requests.kept; i < n; ++i) {
        const Result& r = results[i];
        if (r.reason == Reason::NotReached)
            continue;
        written.append(requests.rows[i]);
        outcomes.append(outcomeOf(i, r));
    }
    list.setOutcomes(written, outcomes);
}

} // namespace

void applyRenameResults(RenameList& list, const RowRequests& requests, const QList<Result>& results)
{
    const QString succeeded = outcome::succeeded();
    const QString failed = outcome::failed();
    applyResults(list, requests, results, [&](qsizetype i, const Result& r) {
        // The request's own new name is what the file now bears, whatever the row reads later.
        const QString to = i < requests.requests.size() ? requests.requests[i].to : list.newName(requests.rows[i]);
        return r.done ? RowOutcome { succeeded, RowIcon::Renamed, {}, to }
                      : RowOutcome { failed, RowIcon::RenameFailed, rowReasonText(requests, r), {} };
    });
}

void applyRenameResults(RenameList& list, const QList<Result>& results)
{
    // Without the requests, the rows' new names are the names asked for.
    RowRequests pass;
    const int n = std::min(int(results.size()), list.count());
    pass.rows.reserve(n);
    for (int row = 0; row < n; ++row)
        pass.rows.append(row);
    applyRenameResults(list, pass, results);
}

void applyRestoreResults(RenameList& list, const RowRequests& requests, const QList<Result>& results)
{
    const QString restored = outcome::restored();
    const QString restoreFailed = outcome::restoreFailed();
    applyResults(list, requests, results, [&](qsizetype, const Result& r) {
        return r.done ? RowOutcome { restored, RowIcon::Restored, {}, {} }
                      : RowOutcome { restoreFailed, RowIcon::RestoreFailed, rowReasonText(requests, r), {} };
    });
}

void applyRestoreResults(RenameList& list, const QList<int>& rows, const QList<Result>& results)
{
    RowRequests pass;
    pass.rows = rows;
    applyRestoreResults(list, pass, results);
}

void renameAll(RenameList& list)
{
    const RowRequests pass = continueRequests(list);
    if (pass.requests.size() == pass.kept)
        return;
    applyRenameResults(list, pass, renameBatch(pass.requests));
}

void restoreAll(RenameList& list)
{
    const RowRequests pass = restoreRowRequests(list);
    if (pass.rows.isEmpty())
        return;
    applyRestoreResults(list, pass, renameBatch(pass.requests));
}

} // namespace batchrename
