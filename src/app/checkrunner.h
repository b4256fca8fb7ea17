// CheckRunner: judges every row of the list as the pass would, on a worker thread, the newest request first.
#pragma once

#include <QObject>
#include <QStringList>

#include "disk/batchrename.h"

class QThread;

/// Drops `value` on a pool thread: the last reference to 100,000 listed names takes longer to free than
/// the window may stand still.
template <typename T> void releaseOffThread(T value);

/**
 * The check of 100,000 rows takes longer than a keystroke may, so it runs off the window's thread. The
 * columns are handed over as implicitly shared lists (no copy on the window's thread); the worker plans
 * the rows against the folder facts and turns the results into reason texts. Requests
 * made while a check runs are folded into one: only the newest is checked next, and a result is reported
 * only if no newer request came in meanwhile. Destroying the runner waits for a check under way.
 */
class CheckRunner : public QObject {
    Q_OBJECT

public:
    /// The columns of the list at the time of a request, and what is known of their folders.
    struct Input {
        QStringList folders;
        QStringList oldNames;
        QStringList newNames;
        batchrename::FolderFacts facts;
        QStringList givenNames; // rows done in the open restore (see batchrename::continueRequests); may be empty
    };

    explicit CheckRunner(QObject* parent = nullptr);
    ~CheckRunner() override;

    void request(Input input);
    bool isBusy() const { return m_thread != nullptr; }

    /// Reason texts, one per row (empty: the row would be renamed, or is done), for the input given as `input`.
    static QStringList check(const Input& input);

signals:
    /// On the owner's thread: the reasons for the newest request, and that request's input.
    void checked(const CheckRunner::Input& input, const QStringList& reasons);

private:
    void start();
    void workerDone();

    QThread* m_thread = nullptr;
    Input m_running;
    QStringList m_result;
    bool m_pending = false;
    Input m_next;
};

#include <QThreadPool>

template <typename T> void releaseOffThread(T value)
{
    QThreadPool::globalInstance()->start([value = std::move(value)]() mutable { value = T(); });
}
