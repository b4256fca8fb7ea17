// fmMain's check of every row: what is known of the listed folders, the rows that would fail, and the tip line.
#include "app/fmmain.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLocale>
#include <QSet>
#include <QThread>

#include "app/passrunner.h"
#include "disk/batchrename.h"
#include "rename/renamelist.h"
#include "widgets/ibutton/ibutton.h"

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
    m_checker->request({ m_list->folders(), m_list->oldNames(), m_list->newNames(), m_folderFacts,
        m_list->restorableCount() > 0 ? m_list->givenNames() : QStringList() });
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

namespace {

QString grouped(int n)
{
    return QLocale(QLocale::English).toString(n);
}

// The first of `variants` (longest first) that fits `width` at `font`; the numbers are in every variant.
QString fitted(const QStringList& variants, const QFont& font, int width)
{
    const QFontMetrics metrics(font);
    for (const QString& text : variants) {
        if (metrics.horizontalAdvance(text) <= width)
            return text;
    }
    return variants.last();
}

// The reason every failing row shares, or nothing when they differ.
std::optional<QString> commonReason(const QStringList& reasons)
{
    const QString* first = nullptr;
    for (const QString& reason : reasons) {
        if (reason.isEmpty())
            continue;
        if (!first)
            first = &reason;
        else if (reason != *first)
            return std::nullopt;
    }
    return first ? std::optional<QString>(*first) : std::nullopt;
}

} // namespace

void fmMain::reportPass(bool cancelled)
{
    // Counted over the rows, so a batch finished in several parts reads as one.
    QStringList variants;
    m_passTipFailing = false;
    if (m_passKind == PassKind::Rename) {
        const int renamed = m_list->restorableCount();
        const int rest = m_list->count() - renamed;
        const QString n = grouped(renamed);
        const QString k = grouped(rest);
        if (cancelled) {
            variants = { QStringLiteral("已取消：已更名 %1 个，还有 %2 个未更名，按“开始更名”继续").arg(n, k),
                QStringLiteral("已取消：已更名 %1 个，%2 个未更名，按“开始更名”继续").arg(n, k),
                QStringLiteral("已取消：已更名 %1，未更名 %2").arg(n, k) };
        } else if (rest > 0) {
            m_passTipFailing = true;
            variants = { QStringLiteral("更名完成：成功 %1 个，失败 %2 个").arg(n, k),
                QStringLiteral("完成：成功 %1，失败 %2").arg(n, k) };
        }
    } else {
        const QString n = grouped(m_restoredInWindow);
        if (cancelled) {
            const QString k = grouped(m_list->restorableCount());
            variants = { QStringLiteral("已取消：已还原 %1 个，还有 %2 个未还原，按“还原”继续").arg(n, k),
                QStringLiteral("已取消：已还原 %1 个，%2 个未还原，按“还原”继续").arg(n, k),
                QStringLiteral("已取消：已还原 %1，未还原 %2").arg(n, k) };
        } else if (m_restoreFailedInWindow > 0) {
            m_passTipFailing = true;
            const QString m = grouped(m_restoreFailedInWindow);
            variants = { QStringLiteral("还原完成：成功 %1 个，失败 %2 个").arg(n, m),
                QStringLiteral("还原：成功 %1，失败 %2").arg(n, m) };
        }
    }
    // Every row done: the window's own tip, which tells what 还原 can do now.
    m_passTip = variants.isEmpty() ? m_designedTip : fitted(variants, lbInfo[15]->font(), tipWidth());
}

int fmMain::tipWidth() const
{
    return btReName->x() - lbInfo[15]->x() - 8;
}

void fmMain::showTip()
{
    // During a pass the progress stands where the tip line is.
    if (isPassRunning() && lbProgress->isVisible())
        return;
    QLabel* tip = lbInfo[15];
    QString text = m_designedTip;
    bool failingColour = false;
    if (m_list->count() > 0 && !m_passTip.isEmpty()) {
        text = m_passTip;
        failingColour = m_passTipFailing;
    } else if (const int failing = m_list->failingCount(); failing > 0) {
        const QString n = grouped(failing);
        QStringList variants;
        if (const std::optional<QString> reason = commonReason(m_list->checkReasons()))
            variants << QStringLiteral("有 %1 个文件无法更名：%2").arg(n, *reason);
        variants << QStringLiteral("有 %1 个文件无法更名，请查看红色的新文件名").arg(n)
                 << QStringLiteral("有 %1 个文件无法更名").arg(n);
        text = fitted(variants, tip->font(), tipWidth());
        failingColour = true;
    }
    const QColor colour = failingColour ? kFailingColour : kTipColour;
    if (tip->text() != text || tip->palette().color(QPalette::WindowText) != colour) {
        QPalette p = tip->palette();
        p.setColor(QPalette::WindowText, colour);
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
