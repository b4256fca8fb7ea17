// FolderCheck: what the window knows of the listed folders, and the check of every row against it.
#pragma once

#include <QObject>
#include <QStringList>

#include "app/namecolumn.h"
#include "background/backgroundtask.h"
#include "disk/folderfacts.h"

class CheckRunner;
class RenameList;

/**
 * Keeps the facts of the list's folders (each listed once, not once per row) and marks the rows of the list
 * that would fail, as the pass would judge them. Folders are listed when rows come in from them, again off
 * the caller's thread on relist(), and by the pass once its moves are done. Checks and listings run off the
 * caller's thread; the caller never waits for either.
 *
 * Whether a result is still current is decided by one rule: the list and the facts each count their
 * changes (a generation), a result carries the generations it was made from, and it is used only if they
 * are still the current ones. Every change of the list counts, whoever makes it, except the marks this
 * object writes; so a change made without asking for a new check still makes an old result stale. New names
 * not made yet are made by the check, which hands the column to the list (RenameList::adoptNewNames) when it is
 * still the column of the settings in force.
 */
class FolderCheck : public QObject {
    Q_OBJECT

public:
    explicit FolderCheck(RenameList& list, QObject* parent = nullptr);
    ~FolderCheck() override;

    /// Each distinct folder of `list`'s rows once, in the order of the rows.
    static QStringList listedFolders(const RenameList& list);
    /// The same over the folders of some rows, in their order.
    static QStringList listedFolders(const QStringList& rowFolders);

    /// Files were just added from `folders`: lists them now, so the new rows are judged by what is there.
    void learnFolders(const QStringList& folders);
    /// Files were just added from `folder`, and `facts` come from the listing that found them.
    void learnFolder(const QString& folder, batchrename::FolderFacts::Folder facts);
    /// Lists the list's folders again off the caller's thread (another program may have changed them) and
    /// checks the rows against the new listing. Does nothing while a listing or a pass runs.
    void relist();
    /// A pass is moving files: a listing under way is out of date.
    void passStarted();
    /// The pass has ended; `facts` were read after its moves and replace what was known.
    void passEnded(batchrename::FolderFacts facts);
    /// Judges every row against the facts off the caller's thread; checked() tells when the marks are in.
    void check();

signals:
    /// The list's check marks describe the list as it stands.
    void checked();

private:
    struct Listing {
        quint64 factsGeneration = 0;
        bool unchanged = false; // the folders read as the facts already say: `facts` is left empty
        batchrename::FolderFacts facts;
    };
    void listChanged();
    void factsChanged();
    void showCheck(quint64 generation, const QStringList& reasons);
    void adoptColumn(const namecolumn::Made& column);
    void relisted(Listing listing);
    void writeMarks(const QStringList& reasons);

    RenameList& m_list;
    CheckRunner* m_checker = nullptr;
    batchrename::FolderFacts m_facts;
    quint64 m_factsGeneration = 0; // every replacement of the facts, and every pass
    quint64 m_generation = 0; // every change of the list or of the facts: what a check reads
    bool m_rowsAdded = false; // rows came in since the last check: their folders may be unknown
    bool m_passRunning = false;
    bool m_writingMarks = false;
    BackgroundTask<Listing> m_relisting;
};
