// fmMain's check of every row: what is known of the listed folders, the rows that would fail, and the tip line.
#include "app/fmmain.h"

#include <QEvent>
#include <QSet>
#include <QThread>

#include "app/passrunner.h"
#include "disk/batchrename.h"
#include "rename/renamelist.h"

namespace {

const QColor kTipColour(64, 64, 64);
const QColor kFailingColour(192, 0, 0);

} // namespace

QStringList fmMain::listFolders() const
{
    // Rows of one folder mostly follow each other: comparing with the previous row spares most lookups.
    QStringList folders;
    QSet<QString> seen;
    const QString* previous = nullptr;
    for (int row = 0; row < m_list->count(); ++row) {
        const QString& folder = m_list->folder(row);
        if (previous && *previous == folder)
            continue;
        previous = &folder;
        if (!seen.contains(folder)) {
            seen.insert(folder);
            folders.append(folder);
        }
    }
    return folders;
}

void fmMain::learnFolders(const QStringList& folders)
{
    // Files were just added from these folders: list them now, so the new rows are judged by what is there.
    if (folders.isEmpty())
        return;
    const batchrename::FolderFacts fresh = batchrename::readFolderFacts(folders);
    for (const QString& folder : folders) {
        if (const batchrename::FolderFacts::Folder* facts = fresh.folder(folder))
            m_folderFacts.insert(folder, *facts);
    }
    ++m_factsGeneration;
}

void fmMain::relistFolders()
{
    // Another program may have changed the folders while the window was in the background. Listing
    // 100,000 files takes longer than a keystroke may, so it is done off the window's thread.
    if (m_relisting || m_list->count() == 0)
        return;
    const QStringList folders = listFolders();
    auto result = std::make_shared<batchrename::FolderFacts>();
    const int generation = m_factsGeneration;
    m_relisting = QThread::create([folders, result] { *result = batchrename::readFolderFacts(folders); });
    connect(
        m_relisting, &QThread::finished, this,
        [this, result, generation] {
            m_relisting->wait();
            delete m_relisting;
            m_relisting = nullptr;
            // Facts learnt meanwhile (files added) or made by a pass are newer than these.
            if (generation != m_factsGeneration || isPassRunning())
                return;
            releaseOffThread(std::exchange(m_folderFacts, std::move(*result)));
            CheckNewNames();
        },
        Qt::QueuedConnection);
    m_relisting->start();
}

void fmMain::CheckNewNames()
{
    if (m_list->count() == 0) {
        m_list->setCheckReasons({});
        showTip();
        emit newNamesChecked();
        return;
    }
    // Rows came in (by whatever way): a folder the window has never listed is listed once now.
    if (m_rowsAdded) {
        m_rowsAdded = false;
        QStringList unknown;
        for (const QString& folder : listFolders()) {
            if (!m_folderFacts.folder(folder))
                unknown.append(folder);
        }
        learnFolders(unknown);
    }
    // The columns go to the worker as shared lists: nothing is copied here.
    m_checker->request({ m_list->folders(), m_list->oldNames(), m_list->newNames(), m_folderFacts });
}

void fmMain::showCheck(const CheckRunner::Input& input, const QStringList& reasons)
{
    // The worker held the columns it judged, so any change of the list since has given it new ones.
    if (input.folders.constData() != m_list->folders().constData()
        || input.oldNames.constData() != m_list->oldNames().constData()
        || input.newNames.constData() != m_list->newNames().constData() || reasons.size() != m_list->count())
        return;
    m_list->setCheckReasons(reasons);
    showTip();
    emit newNamesChecked();
}

void fmMain::showTip()
{
    // During a pass the progress stands where the tip line is.
    if (isPassRunning() && lbProgress->isVisible())
        return;
    QLabel* tip = lbInfo[15];
    const int failing = m_list->failingCount();
    const QString text
        = failing > 0 ? QStringLiteral("有 %1 个文件无法更名，请查看红色的新文件名").arg(failing) : m_designedTip;
    if (tip->text() != text) {
        QPalette p = tip->palette();
        p.setColor(QPalette::WindowText, failing > 0 ? kFailingColour : kTipColour);
        tip->setPalette(p);
        tip->setText(text);
        tip->resize(tip->sizeHint().width(), tip->height());
    }
    tip->show();
}

void fmMain::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (!isActiveWindow())
            m_wasInactive = true;
        else if (m_wasInactive) {
            m_wasInactive = false;
            relistFolders();
        }
    }
    QWidget::changeEvent(event);
}
