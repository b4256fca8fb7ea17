// fmMain's file commands: adding files, ordering rows and dragging rows. None acts while a pass runs.
#include "app/fmmain.h"

#include <QMimeData>

#include "app/platformservices.h"
#include "app/renamelistview.h"
#include "app/foldercheck.h"
#include "app/folderintake.h"
#include "app/passsession.h"
#include "intake/addfiles.h"
#include "intake/dragdrop.h"
#include "intake/folderlisting.h"
#include "intake/roworder.h"
#include "rename/renamelist.h"
#include "widgets/ibutton/ibutton.h"

void fmMain::connectFileHandlers()
{
    connect(btOpenFiles, &iButton::Click, this, &fmMain::btOpenFiles_Click);
    connect(btOpenFolder, &iButton::Click, this, &fmMain::btOpenFolder_Click);
    connect(btSelectUp, &iButton::Click, this, &fmMain::btSelectUp_Click);
    connect(btSelectDown, &iButton::Click, this, &fmMain::btSelectDown_Click);
    connect(btSelectDelete, &iButton::Click, this, &fmMain::btSelectDelete_Click);
    connect(btListClear, &iButton::Click, this, &fmMain::btListClear_Click);
    connect(btReName, &iButton::Click, this, &fmMain::btReName_Click);
    connect(btCallBack, &iButton::Click, this, &fmMain::btCallBack_Click);
    connect(ListReName, &RenameListView::OLEStartDrag, this, &fmMain::ListReName_OLEStartDrag);
    connect(ListReName, &RenameListView::OLEDragOver, this, &fmMain::ListReName_OLEDragOver);
    connect(ListReName, &RenameListView::OLEDragDrop, this,
        [this](const QMimeData* data, const QPoint& point) { ListReName_OLEDragDrop(*data, point); });
    connect(ListReName, &RenameListView::OLECompleteDrag, this, &fmMain::ListReName_OLECompleteDrag);
}

void fmMain::connectIntake()
{
    m_intake = new FolderIntake(*m_list, *m_folderCheck, *m_session, this);
    connect(m_intake, &FolderIntake::rowsAdded, this, &fmMain::RefreshNewNames);
    connect(m_intake, &FolderIntake::idle, this, &fmMain::foldersAdded);
}

bool fmMain::isAddingFolders() const
{
    return m_intake->isBusy();
}

QList<intake::SkippedPath> fmMain::addPaths(const QStringList& paths)
{
    intake::SortedPaths sorted = intake::sortPaths(paths);
    for (intake::PathItem& item : sorted.items)
        m_intake->add(std::move(item));
    return sorted.skipped;
}

void fmMain::btOpenFiles_Click()
{
    if (isPassRunning())
        return;
    const QStringList paths
        = m_services->chooseFiles(this, QStringLiteral("请选择要更名的文件"), QStringLiteral("所有文件(*)"));
    const intake::DialogOutcome outcome
        = paths.isEmpty() ? intake::DialogOutcome::Cancelled : intake::DialogOutcome::Chosen;
    // Files chosen while a folder is being listed go in after its rows.
    FolderIntake::Item files;
    for (const QStringList& split : intake::openFileDialogResult(outcome, paths))
        files.files.append(intake::splitFileEntries(split));
    if (files.files.isEmpty())
        RefreshNewNames(); // as after any choice: the restore window closes
    else
        m_intake->add(std::move(files)); // the names are refreshed when the rows are in
}

void fmMain::btOpenFolder_Click()
{
    if (isPassRunning())
        return;
    const std::optional<QString> folder = m_services->chooseFolder(this, QStringLiteral("请选择改名文件所在目录："));
    if (!folder)
        return;
    addFolderRows(*folder);
}

void fmMain::addFolderRows(const QString& folder)
{
    if (isPassRunning())
        return;
    // Listed off the window's thread; one listing gives the rows and what the check needs to know of their
    // folder. The names are refreshed when the rows arrive (FolderIntake::rowsAdded).
    m_intake->add({ folder, {} });
}

void fmMain::applyOrderResult(const intake::OrderResult& result)
{
    ListReName->selectRow(result.selection);
    if (result.refreshNames)
        RefreshNewNames();
}

void fmMain::btSelectUp_Click()
{
    if (isPassRunning())
        return;
    applyOrderResult(intake::moveUp(*m_list, ListReName->selectedRow()));
}

void fmMain::btSelectDown_Click()
{
    if (isPassRunning())
        return;
    applyOrderResult(intake::moveDown(*m_list, ListReName->selectedRow()));
}

void fmMain::btSelectDelete_Click()
{
    if (isPassRunning())
        return;
    applyOrderResult(intake::removeSelected(*m_list, ListReName->selectedRow()));
}

void fmMain::btListClear_Click()
{
    if (isPassRunning())
        return;
    // What was chosen but is not in the list yet is cleared too: a cleared list stays empty.
    m_intake->drop();
    intake::clearAll(*m_list);
    btCallBack->setEnabled(false);
    m_session->closeRestoreWindow();
    CheckNewNames();
}

void fmMain::ListReName_OLEStartDrag()
{
    ListReName->viewport()->setCursor(QCursor(ListReName->dragPointer(), 0, 0));
}

void fmMain::ListReName_OLEDragOver(const QPoint& point)
{
    const intake::MarkChange change = intake::dragOverRow(m_markedRow, ListReName->rowAt(point), m_list->count());
    if (change.unmark)
        ListReName->setDropMark(*change.unmark, false);
    if (change.mark)
        ListReName->setDropMark(*change.mark, true);
    m_markedRow = change.remembered;
    if (m_markedRow)
        lbTag->setText(QString::number(*m_markedRow + 1));
}

void fmMain::ListReName_OLEDragDrop(const QMimeData& data, const QPoint& point)
{
    const std::optional<int> target = ListReName->rowAt(point);
    ListReName->viewport()->unsetCursor();
    resetDropMark();
    if (isPassRunning())
        return;
    applyOrderResult(intake::dropRow(*m_list, ListReName->selectedRow(), target, data));
}

void fmMain::resetDropMark()
{
    if (const std::optional<int> row = intake::highlightedRow(m_markedRow, m_list->count()))
        ListReName->setDropMark(*row, false);
}

void fmMain::ListReName_OLECompleteDrag()
{
    ListReName->viewport()->unsetCursor();
    resetDropMark();
}
