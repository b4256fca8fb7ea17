// CheckRunner: the worker thread of the check and the folding of requests made while it runs.
#include "app/checkrunner.h"

#include <QThread>

CheckRunner::CheckRunner(QObject* parent)
    : QObject(parent)
{
}

CheckRunner::~CheckRunner()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

QStringList CheckRunner::check(const Input& input)
{
    const qsizetype n = input.oldNames.size();
    QStringList reasons(n);
    if (input.givenNames.isEmpty()) {
        const QList<batchrename::Result> results
            = batchrename::checkColumns(input.folders, input.oldNames, input.newNames, input.facts);
        for (qsizetype row = 0; row < n && row < results.size(); ++row) {
            if (!results.at(row).done)
                reasons[row] = batchrename::reasonText(results.at(row));
        }
        return reasons;
    }
    // After a pass: the rows it renamed are done and hold their files, as the next 开始更名 would plan them.
    const batchrename::RowRequests pass
        = batchrename::continueRequests(input.folders, input.oldNames, input.newNames, input.givenNames);
    const QList<batchrename::Result> results = batchrename::checkBatch(pass.requests, input.facts);
    for (qsizetype i = pass.kept; i < results.size() && i < pass.rows.size(); ++i) {
        if (!results.at(i).done)
            reasons[pass.rows.at(i)] = batchrename::rowReasonText(pass, results.at(i));
    }
    return reasons;
}

void CheckRunner::request(Input input)
{
    m_next = std::move(input);
    m_pending = true;
    if (!m_thread)
        start();
}

void CheckRunner::start()
{
    m_running = std::move(m_next);
    m_next = {};
    m_pending = false;
    m_thread = QThread::create([this] { m_result = check(m_running); });
    connect(m_thread, &QThread::finished, this, &CheckRunner::workerDone, Qt::QueuedConnection);
    m_thread->start();
}

void CheckRunner::workerDone()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    if (m_pending) {
        start(); // this result is already out of date
        return;
    }
    Input input = std::move(m_running);
    m_running = {};
    emit checked(input, std::exchange(m_result, {}));
    releaseOffThread(std::move(input));
}
