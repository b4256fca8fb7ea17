// PassRunner: runs one batch rename or restore off the window's thread while the window's event loop keeps turning.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QList>
#include <QObject>
#include <QStringList>

#include "background/backgroundtask.h"
#include "disk/batchrename.h"
#include "disk/folderfacts.h"

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
};

/**
 * Runs one pass at a time. Progress is read from counters the pass updates, on a timer of the owner's
 * thread (10 times a second), so watching costs the pass nothing. cancel() asks the pass to stop before its
 * next move; a cycle under way is finished or rolled back first. Destroying the runner cancels a running
 * pass and waits for it, so no pass outlives its window.
 */
class PassRunner : public QObject {
    Q_OBJECT

public:
    explicit PassRunner(QObject* parent = nullptr);
    ~PassRunner() override;

    bool isRunning() const { return m_task.isRunning(); }
    /// Starts a pass; does nothing while one is running.
    void start(PassParameters parameters);
    void cancel();
    /// The result of the pass that last finished.
    PassOutcome takeOutcome() { return std::move(m_outcome); }

signals:
    /// On the owner's thread, about every 100 ms while the pass runs.
    void progress(int done, int total);
    /// On the owner's thread, once the pass has stopped; the outcome is in takeOutcome().
    void finished();

private:
    // Shared with the worker, which may still be reading them while the runner is being destroyed.
    struct Counters {
        std::atomic<bool> cancel { false };
        std::atomic<int> done { 0 };
        std::atomic<int> total { 0 };
    };

    std::shared_ptr<Counters> m_counters = std::make_shared<Counters>();
    QTimer* m_tick = nullptr;
    PassOutcome m_outcome;
    BackgroundTask<PassOutcome> m_task;
};
