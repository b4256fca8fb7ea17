// PassSession: starting a pass from the list, its progress in words, its outcomes, and the report of the restore
// window.
#include "app/passsession.h"

#include <algorithm>

#include <QLocale>

#include "background/backgroundtask.h"
#include "app/foldercheck.h"
#include "app/namecolumn.h"
#include "app/passrunner.h"
#include "rename/renamelist.h"

namespace {

QString grouped(int n)
{
    return QLocale(QLocale::English).toString(n);
}

} // namespace

PassSession::PassSession(RenameList& list, QObject* parent)
    : QObject(parent)
    , m_list(list)
    , m_runner(new PassRunner(this))
{
    connect(m_runner, &PassRunner::progress, this, &PassSession::runnerProgress);
    connect(m_runner, &PassRunner::finished, this, &PassSession::runnerStopped);
}

PassSession::~PassSession() = default;

bool PassSession::isRunning() const
{
    return m_runner->isRunning();
}

bool PassSession::start(Kind kind, const std::function<void(int step)>& beforeStep)
{
    if (m_list.count() == 0 || isRunning())
        return false;
    // A pass renames to the names of the settings in force: when their column is still being made, it is made
    // here first, in parts, rather than taken from an older check.
    if (kind == Kind::Rename && !m_list.hasCurrentColumn()) {
        namecolumn::Made made = namecolumn::make(m_list.columnJob());
        if (m_list.adoptNewNames(made.generation, made.names, std::move(made.extensions)))
            releaseOffThread(std::move(made.names)); // the column it replaced
    }
    // Rows already renamed in the open restore window are done: only the rest is renamed, so 开始更名 after
    // 取消 finishes the batch and a second click after a full success changes nothing.
    batchrename::RowRequests pass
        = kind == Kind::Rename ? batchrename::continueRequests(m_list) : batchrename::restoreRowRequests(m_list);
    if (kind == Kind::Rename ? pass.requests.size() == pass.kept : pass.rows.isEmpty())
        return false;
    m_kind = kind;
    m_requests = std::move(pass);
    m_clock.start();
    PassParameters parameters;
    parameters.requests = m_requests.requests; // shared, not copied
    parameters.folders = FolderCheck::listedFolders(m_list); // every folder: the facts read after the pass replace all
    parameters.beforeStep = beforeStep;
    m_runner->start(std::move(parameters));
    return true;
}

void PassSession::cancel()
{
    m_runner->cancel();
}

void PassSession::cancelForClose()
{
    m_closeWhenStopped = true;
    m_runner->cancel();
}

void PassSession::runnerProgress(int done, int total)
{
    // Short passes show nothing; a longer one shows how far it has come.
    if (m_clock.elapsed() < kProgressDelayMs)
        return;
    const QString verb = m_kind == Kind::Rename ? QStringLiteral("正在更名") : QStringLiteral("正在还原");
    emit progress(QStringLiteral("%1 %2 / %3").arg(verb, grouped(done), grouped(total)), done, total);
}

void PassSession::runnerStopped()
{
    PassOutcome outcome = m_runner->takeOutcome();
    const bool cancelled = std::any_of(outcome.results.cbegin(), outcome.results.cend(),
        [](const batchrename::Result& r) { return r.reason == batchrename::Reason::NotReached; });
    if (m_kind == Kind::Rename) {
        batchrename::applyRenameResults(m_list, m_requests, outcome.results);
    } else {
        for (const batchrename::Result& r : std::as_const(outcome.results)) {
            if (r.reason != batchrename::Reason::NotReached)
                ++(r.done ? m_restored : m_restoreFailed);
        }
        batchrename::applyRestoreResults(m_list, m_requests, outcome.results);
    }
    releaseOffThread(std::exchange(m_requests, {}));
    releaseOffThread(std::move(outcome.results));
    m_facts = std::move(outcome.facts);
    m_report = makeReport(cancelled);
    emit stopped(std::exchange(m_closeWhenStopped, false));
}

PassSession::Report PassSession::makeReport(bool cancelled) const
{
    // Counted over the rows, so a batch finished in several parts reads as one.
    Report report;
    if (m_kind == Kind::Rename) {
        const int renamed = m_list.restorableCount();
        const int rest = m_list.count() - renamed;
        const QString n = grouped(renamed);
        const QString k = grouped(rest);
        if (cancelled) {
            report.variants = { QStringLiteral("已取消：已更名 %1 个，还有 %2 个未更名，按“开始更名”继续").arg(n, k),
                QStringLiteral("已取消：已更名 %1 个，%2 个未更名，按“开始更名”继续").arg(n, k),
                QStringLiteral("已取消：已更名 %1，未更名 %2").arg(n, k) };
        } else if (rest > 0) {
            report.failing = true;
            report.variants = { QStringLiteral("更名完成：成功 %1 个，失败 %2 个").arg(n, k),
                QStringLiteral("完成：成功 %1，失败 %2").arg(n, k) };
        }
    } else {
        const QString n = grouped(m_restored);
        if (cancelled) {
            const QString k = grouped(m_list.restorableCount());
            report.variants = { QStringLiteral("已取消：已还原 %1 个，还有 %2 个未还原，按“还原”继续").arg(n, k),
                QStringLiteral("已取消：已还原 %1 个，%2 个未还原，按“还原”继续").arg(n, k),
                QStringLiteral("已取消：已还原 %1，未还原 %2").arg(n, k) };
        } else if (m_restoreFailed > 0) {
            report.failing = true;
            const QString m = grouped(m_restoreFailed);
            report.variants = { QStringLiteral("还原完成：成功 %1 个，失败 %2 个").arg(n, m),
                QStringLiteral("还原：成功 %1，失败 %2").arg(n, m) };
        }
    }
    return report;
}

void PassSession::closeRestoreWindow()
{
    m_list.closeRestore();
    m_report.reset();
    m_restored = 0;
    m_restoreFailed = 0;
}
