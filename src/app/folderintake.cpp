// FolderIntake: the queue of folders and files on their way into the list.
#include "app/folderintake.h"

#include "app/foldercheck.h"
#include "app/passsession.h"

FolderIntake::FolderIntake(RenameList& list, FolderCheck& check, const PassSession& session, QObject* parent)
    : QObject(parent)
    , m_list(list)
    , m_check(check)
    , m_session(session)
    , m_listing(this, [this](Listed result) { listed(std::move(result)); })
{
    connect(&session, &PassSession::stopped, this, &FolderIntake::passStopped);
}

// Waits for the listing under way (BackgroundTask); its rows are then never added.
FolderIntake::~FolderIntake() = default;

void FolderIntake::add(Item item)
{
    if (item.folder.isEmpty() && item.files.isEmpty())
        return;
    m_waiting.push_back(std::move(item));
    m_announce = true;
    next();
}

void FolderIntake::drop()
{
    ++m_generation; // the listing under way, if any, no longer counts
    m_waiting.clear();
}

void FolderIntake::next()
{
    // One listing at a time, none while a pass moves files; files wait for the folders chosen before them.
    while (!m_listing.isRunning() && !m_session.isRunning() && !m_waiting.empty()) {
        Item item = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (item.folder.isEmpty()) {
            appendFiles(item.files);
            emit rowsAdded();
            continue;
        }
        m_underWay = item.folder;
        m_listing.start([folder = item.folder, generation = m_generation] {
            return Listed { generation, intake::listFolder(folder) };
        });
    }
    if (m_announce && !isBusy()) {
        m_announce = false;
        emit idle();
    }
}

void FolderIntake::listed(Listed result)
{
    if (result.generation != m_generation) { // dropped, or overlapped by a pass and queued again
        releaseOffThread(std::move(result));
        next();
        return;
    }
    if (m_session.isRunning()) {
        // Ended during a pass that started after it: listed again once the pass is over.
        m_waiting.push_front({ m_underWay, {} });
        releaseOffThread(std::move(result));
        return;
    }
    intake::ListedFolder& folder = result.folder;
    if (intake::appendListed(m_list, folder) > 0)
        m_check.learnFolder(folder.folder, std::move(folder.facts));
    // The list shares the names; the last reference to a million of them is not dropped here.
    releaseOffThread(std::move(result));
    emit rowsAdded();
    next();
}

void FolderIntake::passStopped()
{
    if (m_listing.isRunning()) {
        // The listing under way may predate the pass's moves: its result is dropped and the folder listed anew.
        ++m_generation;
        m_waiting.push_front({ m_underWay, {} });
    }
    next();
}

void FolderIntake::appendFiles(const QList<RenameList::Entry>& files)
{
    // Files chosen together share their folder: one spelling per run of rows, not a new text per row.
    QStringList folders;
    const QString* previous = nullptr;
    for (const RenameList::Entry& file : files) {
        if (previous && *previous == file.folder)
            continue;
        previous = &file.folder;
        folders.append(RenameList::withClosingSeparator(file.folder));
    }
    m_list.append(files);
    m_check.learnFolders(FolderCheck::listedFolders(folders));
}
