// FolderIntake: rows coming into the list in the order they were chosen, folders listed off the window's thread.
#pragma once

#include <deque>

#include <QObject>
#include <QStringList>

#include "background/backgroundtask.h"
#include "intake/folderlisting.h"
#include "intake/pathintake.h"
#include "rename/renamelist.h"

class FolderCheck;
class PassSession;

/**
 * Adds folders and files to the list in the order they were chosen. A folder is listed and sorted off the
 * caller's thread, one at a time; its rows go in with one model insertion when the listing ends, and the
 * folder check learns the facts of that very listing. Files chosen while a folder is still being listed wait
 * for it, so rows never overtake rows chosen before them.
 *
 * A pass changes names on the disk, so rows never arrive while one runs, and a listing a pass overlapped is
 * made again once the pass has ended: its rows name the files as the pass left them. drop() forgets
 * everything not yet in the list (the list was cleared): those rows never arrive.
 */
class FolderIntake : public QObject {
    Q_OBJECT

public:
    /// Something to add: a folder to list (`folder` set), or files (`files`).
    using Item = intake::PathItem;

    FolderIntake(RenameList& list, FolderCheck& check, const PassSession& session, QObject* parent = nullptr);
    ~FolderIntake() override;

    /// Adds `item` after everything added before. Files with nothing ahead of them go in at once.
    void add(Item item);
    /// Forgets what waits and the listing under way: their rows never reach the list.
    void drop();
    /// Something added has not reached the list yet.
    bool isBusy() const { return m_listing.isRunning() || !m_waiting.empty(); }

signals:
    /// Rows of one item are in the list (a folder that gave none counts too): the names need refreshing.
    void rowsAdded();
    /// Everything added so far is in the list.
    void idle();

private:
    struct Listed {
        quint64 generation = 0;
        intake::ListedFolder folder;
    };
    void next();
    void listed(Listed result);
    void passStopped();
    void appendFiles(const QList<RenameList::Entry>& files);

    RenameList& m_list;
    FolderCheck& m_check;
    const PassSession& m_session;
    std::deque<Item> m_waiting;
    QString m_underWay; // the folder being listed
    quint64 m_generation = 0; // every drop, and every pass that overlapped a listing
    bool m_announce = false; // something was added since idle() was last emitted
    BackgroundTask<Listed> m_listing;
};
