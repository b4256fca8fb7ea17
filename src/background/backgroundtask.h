// BackgroundTask: the program's one way to run work off its thread and hand the result back to the object that asked.
#pragma once

#include <functional>
#include <utility>

#include <QFuture>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace background {

/// The threads every piece of the window's background work runs on (a pass, a check, a listing, a release).
QThreadPool* pool();

/// Runs work(begin, end) over [0, count) cut into `parts` ranges of about equal size, on pool() and the calling
/// thread, and returns when every range is done. Callable from a pool thread: the caller runs whatever ranges
/// no free thread takes, so it never waits for a thread to come free.
void inParts(qsizetype count, qsizetype parts, const std::function<void(qsizetype begin, qsizetype end)>& work);

} // namespace background

/**
 * Runs one piece of work at a time on a pool (background::pool() unless told) and calls `done` with its result on the
 * owner's thread, from the owner's event loop. The work is handed plain values (copies, implicitly shared lists,
 * atomics the owner keeps alive) and touches nothing else; its result is moved, never copied, to `done`.
 * Destroying the task waits for the work under way, so no worker outlives its owner; `done` is then not
 * called. Keep the task a member of `owner`, so that it is destroyed before the owner stops being a QObject.
 */
template <typename Result> class BackgroundTask {
public:
    BackgroundTask(QObject* owner, std::function<void(Result)> done, QThreadPool* pool = background::pool())
        : m_owner(owner)
        , m_done(std::move(done))
        , m_pool(pool)
    {
    }
    ~BackgroundTask() { m_future.waitForFinished(); }
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    /// From start() until `done` has been called.
    bool isRunning() const { return m_running; }

    /// Starts `work`; does nothing while work runs.
    void start(std::function<Result()> work)
    {
        if (m_running)
            return;
        m_running = true;
        m_future = QtConcurrent::run(m_pool, [this, work = std::move(work)]() mutable {
            Result result = work();
            work = nullptr; // what the work was given dies here, off the owner's thread
            QMetaObject::invokeMethod(
                m_owner,
                [this, result = std::move(result)]() mutable {
                    m_running = false;
                    m_done(std::move(result));
                },
                Qt::QueuedConnection);
        });
    }

    /// Blocks until the work under way has returned (its result still arrives through the event loop).
    void wait() { m_future.waitForFinished(); }

private:
    QObject* m_owner;
    std::function<void(Result)> m_done;
    QThreadPool* m_pool;
    QFuture<void> m_future;
    bool m_running = false;
};

/// Drops `value` on a background thread: the last reference to 100,000 listed names takes longer to free than
/// the window may stand still.
template <typename T> void releaseOffThread(T value)
{
    // Nobody waits for a release: it owns all it touches.
    static_cast<void>(QtConcurrent::run(background::pool(), [value = std::move(value)]() mutable { value = T(); }));
}
