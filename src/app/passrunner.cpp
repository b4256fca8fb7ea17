// PassRunner: the worker thread of a pass, its progress counters and its cancel flag.
#include "app/passrunner.h"

#include <QThread>
#include <QTimer>

PassRunner::PassRunner(QObject* parent)
    : QObject(parent)
    , m_tick(new QTimer(this))
{
    m_tick->setInterval(100);
    connect(m_tick, &QTimer::timeout, this, [this] { emit progress(m_done.load(), m_total.load()); });
}

PassRunner::~PassRunner()
{
    if (!m_thread)
        return;
    m_cancel.store(true);
    m_thread->wait();
    delete m_thread;
}

void PassRunner::start(PassParameters parameters)
{
    if (m_thread)
        return;
    m_cancel.store(false);
    m_done.store(0);
    m_total.store(static_cast<int>(parameters.requests.size()));
    m_outcome = {};
    m_thread = QThread::create([this, parameters = std::move(parameters)]() mutable {
        batchrename::PassControl control;
        control.cancel = &m_cancel;
        control.progress = [this](int done, int total) {
            m_done.store(done, std::memory_order_relaxed);
            m_total.store(total, std::memory_order_relaxed);
        };
        control.beforeStep = parameters.beforeStep;
        PassOutcome outcome;
        outcome.results = batchrename::renameBatch(parameters.requests, control);
        outcome.cancelled = m_cancel.load();
        outcome.facts = batchrename::readFolderFacts(parameters.folders);
        parameters = {}; // freed here rather than with the thread object, on the window's thread
        m_outcome = std::move(outcome); // read on the owner's thread only after the thread has finished
    });
    // Queued to this object's thread: the outcome is taken there, after the worker has returned.
    connect(m_thread, &QThread::finished, this, &PassRunner::workerDone, Qt::QueuedConnection);
    m_thread->start();
    m_tick->start();
}

void PassRunner::cancel()
{
    if (m_thread)
        m_cancel.store(true);
}

void PassRunner::workerDone()
{
    m_tick->stop();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    emit finished();
}
