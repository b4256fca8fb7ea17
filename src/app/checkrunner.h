// CheckRunner: judges every row of the list as the pass would, off the window's thread, the newest request first.
#pragma once

#include <optional>

#include <QObject>
#include <QStringList>

#include "app/namecolumn.h"
#include "background/backgroundtask.h"
#include "disk/batchcheck.h"
#include "rename/renamelist.h"

/**
 * The check of 100,000 rows takes longer than a keystroke may, so it runs off the window's thread. The
 * columns are handed over as implicitly shared lists (no copy on the window's thread); the worker plans
 * the rows against the folder facts and turns the results into reason texts. Requests made while a check
 * runs are folded into one: only the newest is checked next, and a result is reported only if no newer
 * request came in meanwhile. When the new names are not made yet, the worker makes them first (in parts) and
 * hands the column back too. Destroying the runner waits for a check under way.
 */
class CheckRunner : public QObject {
    Q_OBJECT

public:
    /// The columns of the list at the time of a request, and what is known of their folders.
    struct Input {
        batchrename::RowFolders folders;
        QStringList oldNames;
        QStringList newNames; // or, while they are not made, what makes them:
        RenameList::ColumnJob column;
        batchrename::FolderFacts facts;
        QStringList givenNames; // rows done in the open restore (see batchrename::continueRequests); may be empty
        quint64 generation = 0; // the caller's mark of the state the columns were read from; handed back
    };

    explicit CheckRunner(QObject* parent = nullptr);

    void request(Input input);

    /// Reason texts, one per row (empty: the row would be renamed, or is done), for `input`; none when no
    /// row fails.
    static QStringList check(const Input& input);

signals:
    /// On the owner's thread: the new-name column a check made, before its marks are reported (even if they
    /// are out of date, the column may not be).
    void columnMade(const namecolumn::Made& column);
    /// On the owner's thread: the reasons for the newest request, and the generation that request carried.
    void checked(quint64 generation, const QStringList& reasons);

private:
    struct Checked {
        quint64 generation = 0;
        QStringList reasons;
        std::optional<namecolumn::Made> column;
    };
    void start();
    void workerDone(Checked result);

    BackgroundTask<Checked> m_task;
    bool m_pending = false;
    Input m_next;
};
