// PassRunner: runs one batch rename or restore on a worker thread while the window's event loop keeps turning.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QList>
#include <QObject>
#include <QStringList>

#include "disk/batchrename.h"

class QThread;
class QTimer;

/// What one pass is given. Everything is a copy: the worker never touches the list.
struct PassParameters {
    QList<batchrename::Request> requests;
    QStringList folders; // listed again once the moves are done, for the check that follows the pass
    std::function<void(int step)> beforeStep; // test hook, called on the worker before each move
};

/// What one pass returns.
struct PassOutcome {
    QList<batchrename::Result> results; // one per request
    batchrename::FolderFacts facts; // of PassParameters::folders, read after the moves
    bool cancelled = false;
};

/**
 * Owns the worker thread of one pass at a time. Progress is read from counters the pass updates, on a
 * timer of the owner's thread (10 times a second), so watching costs the pass nothing. cancel() asks the
 * pass to stop before its next move; a cycle under way is finished or rolled back first. Destroying the
 * runner cancels a running pass and waits for it, so no pass outlives its window.
 */
class PassRunner : public QObject {
    Q_OBJECT

public:
    explicit PassRunner(QObject* parent = nullptr);
    ~PassRunner() override;

    bool isRunning() const { return m_thread != nullptr; }
    /// Starts a pass; does nothing while one is running.
    void start(PassParameters parameters);
    void cancel();
    bool isCancelled() const { return m_cancel.load(); }
    /// The result of the pass that last finished.
    PassOutcome takeOutcome() { return std::move(m_outcome); }

signals:
    /// On the owner's thread, about every 100 ms while the pass runs.
    void progress(int done, int total);
    /// On the owner's thread, once the worker has stopped; the outcome is in takeOutcome().
    void finished();

private:
    void workerDone();

    QThread* m_thread = nullptr;
    QTimer* m_tick = nullptr;
    std::atomic<bool> m_cancel { false };
    std::atomic<int> m_done { 0 };
    std::atomic<int> m_total { 0 };
    PassOutcome m_outcome;
};
