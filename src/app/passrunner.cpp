// PassRunner: the pass's work off the window's thread, its progress counters and its cancel flag.
#include "app/passrunner.h"

#include <QTimer>

PassRunner::PassRunner(QObject* parent)
    : QObject(parent)
    , m_tick(new QTimer(this))
    , m_task(this, [this](PassOutcome outcome) {
        m_tick->stop();
        m_outcome = std::move(outcome);
        emit finished();
    })
{
    m_tick->setInterval(100);
    connect(
        m_tick, &QTimer::timeout, this, [this] { emit progress(m_counters->done.load(), m_counters->total.load()); });
}

PassRunner::~PassRunner()
{
    m_counters->cancel.store(true);
    m_task.wait();
}

void PassRunner::start(PassParameters parameters)
{
    if (m_task.isRunning())
        return;
    m_counters->cancel.store(false);
    m_counters->done.store(0);
    m_counters->total.store(static_cast<int>(parameters.requests.size()));
    m_task.start([counters = m_counters, parameters = std::move(parameters)] {
        batchrename::PassControl control;
        control.cancel = &counters->cancel;
        control.progress = [&counters](int done, int total) {
            counters->done.store(done, std::memory_order_relaxed);
            counters->total.store(total, std::memory_order_relaxed);
        };
        control.beforeStep = parameters.beforeStep;
        PassOutcome outcome;
        outcome.results = batchrename::renameBatch(parameters.requests, control);
        outcome.facts = batchrename::readFolderFacts(parameters.folders);
        return outcome;
    });
    m_tick->start();
}

void PassRunner::cancel()
{
    if (m_task.isRunning())
        m_counters->cancel.store(true);
}
