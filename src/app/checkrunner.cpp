// CheckRunner: the check's work off the window's thread and the folding of requests made while it runs.
#include "app/checkrunner.h"

#include "rename/listrequests.h"
#include "rename/reasontexts.h"

CheckRunner::CheckRunner(QObject* parent)
    : QObject(parent)
    , m_task(this, [this](Checked result) { workerDone(std::move(result)); })
{
}

QStringList CheckRunner::check(const Input& input)
{
    const qsizetype n = input.oldNames.size();
    QStringList reasons; // one per row once a row fails: a million empty texts are not made for nothing
    auto mark = [&](qsizetype row, const QString& reason) {
        if (reasons.isEmpty())
            reasons.resize(n);
        reasons[row] = reason;
    };
    if (input.givenNames.isEmpty()) {
        const QList<batchrename::Result> results
            = batchrename::checkColumns(input.folders, input.oldNames, input.newNames, input.facts);
        for (qsizetype row = 0; row < n && row < results.size(); ++row) {
            if (!results.at(row).done)
                mark(row, batchrename::reasonText(results.at(row)));
        }
        return reasons;
    }
    // After a pass: the rows it renamed are done and hold their files, as the next 开始更名 would plan them.
    const batchrename::RowRequests pass
        = batchrename::continueRequests(input.folders, input.oldNames, input.newNames, input.givenNames);
    const QList<batchrename::Result> results = batchrename::checkBatch(pass.requests, input.facts);
    for (qsizetype i = pass.kept; i < results.size() && i < pass.rows.size(); ++i) {
        if (!results.at(i).done)
            mark(pass.rows.at(i), batchrename::rowReasonText(pass, results.at(i)));
    }
    return reasons;
}

void CheckRunner::request(Input input)
{
    // A replaced request may hold the only reference to a spare column: it goes on to the next one.
    if (input.column.spare.isEmpty())
        input.column.spare = std::move(m_next.column.spare);
    if (m_pending)
        releaseOffThread(std::exchange(m_next, std::move(input)));
    else
        m_next = std::move(input);
    m_pending = true;
    if (!m_task.isRunning())
        start();
}

void CheckRunner::start()
{
    m_pending = false;
    // The input goes to the worker whole and dies there: its last references to the lists may be the only ones.
    m_task.start([input = std::exchange(m_next, {})]() mutable {
        Checked result { input.generation, {}, std::nullopt };
        if (input.column.recipe) {
            result.column = namecolumn::make(std::move(input.column));
            input.newNames = result.column->names;
        }
        result.reasons = check(input);
        return result;
    });
}

void CheckRunner::workerDone(Checked result)
{
    if (result.column) {
        emit columnMade(*result.column);
        // A request of the same rows and settings need not make their column again.
        if (m_pending && m_next.column.recipe && m_next.column.generation == result.column->generation) {
            m_next.newNames = result.column->names;
            releaseOffThread(std::exchange(m_next.column, {}));
        }
        // When the list took the column, this reference is not the last and costs nothing to drop here. Kept
        // until the release below runs, it could still share the column when the next keystroke writes its
        // names into it: a million names would then be made beside the million kept.
        if (!result.column->names.isDetached())
            result.column->names = {};
    }
    if (m_pending) {
        start(); // this result is already out of date
        releaseOffThread(std::move(result));
        return;
    }
    emit checked(result.generation, result.reasons);
    releaseOffThread(std::move(result));
}
