// fmMain's pass: renaming and restoring on a worker thread, its progress and cancel, and the input it drops.
#include "app/fmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLocale>
#include <QProgressBar>

#include "app/clickablelabel.h"
#include "app/passinputguard.h"
#include "app/passrunner.h"
#include "app/platformservices.h"
#include "app/skinprogressbar.h"
#include "app/twips.h"
#include "disk/batchrename.h"
#include "rename/renamelist.h"
#include "widgets/ibutton/ibutton.h"

void fmMain::buildPassControls()
{
    // The caption takes the tip line's place; bar and cancel button follow it on the line of 开始更名.
    lbProgress = new QLabel(this);
    styleLabel(lbProgress, twips::rect(240, 8040, 2700, 180), QString(), QColor(64, 64, 64), true);
    picProgress = new SkinProgressBar(this);
    picProgress->setGeometry(196, 532, 208, 14);
    btCancel = addButton(QStringLiteral("bt_cancel"), QRect(412, 528, 52, 22));
    if (btCancel->BackPicture().isNull())
        btCancel->setCaption(QStringLiteral("取消"));
    for (QWidget* control :
        { static_cast<QWidget*>(lbProgress), static_cast<QWidget*>(picProgress), static_cast<QWidget*>(btCancel) })
        control->hide();
}

void fmMain::connectPassHandlers()
{
    m_pass = new PassRunner(this);
    m_checker = new CheckRunner(this);
    connect(m_checker, &CheckRunner::checked, this, &fmMain::showCheck);
    connect(m_pass, &PassRunner::progress, this, &fmMain::showPassProgress);
    connect(m_pass, &PassRunner::finished, this, &fmMain::passStopped);
    connect(btCancel, &iButton::Click, this, &fmMain::btCancel_Click);
    connect(m_list, &QAbstractItemModel::rowsInserted, this, [this] { m_rowsAdded = true; });
}

bool fmMain::isPassRunning() const
{
    return m_pass->isRunning();
}

void fmMain::btReName_Click()
{
    if (m_list->count() == 0 || isPassRunning())
        return;
    // Rows already renamed in the open restore are done: only the rest is renamed, so 开始更名 after 取消
    // finishes the batch and a second click after a full success changes nothing.
    batchrename::RowRequests pass = batchrename::continueRequests(*m_list);
    if (pass.requests.size() == pass.kept)
        return;
    startPass(PassKind::Rename, std::move(pass));
}

void fmMain::btCallBack_Click()
{
    if (m_list->count() == 0 || isPassRunning())
        return;
    batchrename::RowRequests pass = batchrename::restoreRowRequests(*m_list);
    if (pass.rows.isEmpty())
        return;
    startPass(PassKind::Restore, std::move(pass));
}

void fmMain::btCancel_Click()
{
    m_pass->cancel();
}

void fmMain::startPass(PassKind kind, batchrename::RowRequests requests)
{
    m_passKind = kind;
    m_passRequests = std::move(requests);
    m_callBackWasEnabled = btCallBack->isEnabled();
    // A menu of the list left open would still take input; none outlives the start of a pass.
    for (int i = 0; i < 8 && QApplication::activePopupWidget(); ++i)
        QApplication::activePopupWidget()->close();
    // Disabling the focused button would hand the focus on along the tab order (to 上移, where one Space
    // after the pass would move a row and close the restore). With the guard in place no control takes
    // it; it comes back when the pass ends.
    m_inputGuard = new PassInputGuard(this, { btCancel, btMin, btClose, Image1 }, [this] { btCancel_Click(); });
    // The two buttons that start a pass show that they cannot be used now.
    btReName->setEnabled(false);
    btCallBack->setEnabled(false);
    m_passClock.start();
    PassParameters parameters;
    parameters.requests = m_passRequests.requests; // shared, not copied
    parameters.folders = listFolders();
    parameters.beforeStep = m_options.passStepHook;
    m_pass->start(std::move(parameters));
}

void fmMain::showPassProgress(int done, int total)
{
    // Short passes show nothing; a longer one shows how far it has come, in place of the tip line.
    if (m_passClock.elapsed() < kProgressDelayMs)
        return;
    const QLocale grouped(QLocale::English);
    const QString verb = m_passKind == PassKind::Rename ? QStringLiteral("正在更名") : QStringLiteral("正在还原");
    lbProgress->setText(QStringLiteral("%1 %2 / %3").arg(verb, grouped.toString(done), grouped.toString(total)));
    lbProgress->adjustSize();
    picProgress->setMaximum(std::max(total, 1));
    picProgress->setValue(std::clamp(done, 0, std::max(total, 1)));
    if (!lbProgress->isVisible()) {
        lbInfo[15]->hide();
        lbProgress->show();
        picProgress->show();
        btCancel->show();
    }
}

void fmMain::passStopped()
{
    PassOutcome outcome = m_pass->takeOutcome();
    btReName->setEnabled(true);
    const bool cancelled = std::any_of(outcome.results.cbegin(), outcome.results.cend(),
        [](const batchrename::Result& r) { return r.reason == batchrename::Reason::NotReached; });
    if (m_passKind == PassKind::Rename) {
        batchrename::applyRenameResults(*m_list, m_passRequests, outcome.results);
        // 还原 is offered only for files this restore window renamed.
        btCallBack->setEnabled(m_list->restorableCount() > 0);
    } else {
        for (qsizetype i = 0; i < outcome.results.size(); ++i) {
            const batchrename::Result& r = outcome.results.at(i);
            if (r.reason != batchrename::Reason::NotReached)
                ++(r.done ? m_restoredInWindow : m_restoreFailedInWindow);
        }
        batchrename::applyRestoreResults(*m_list, m_passRequests, outcome.results);
        btCallBack->setEnabled(m_callBackWasEnabled);
    }
    releaseOffThread(std::exchange(m_passRequests, {}));
    delete std::exchange(m_inputGuard, nullptr); // the focus goes back where it was
    releaseOffThread(std::exchange(m_folderFacts, std::move(outcome.facts)));
    ++m_factsGeneration;
    reportPass(cancelled);
    CheckNewNames();
    lbProgress->hide();
    picProgress->hide();
    btCancel->hide();
    showTip();
    emit passFinished();
    if (m_closeWhenStopped) {
        m_closeWhenStopped = false;
        close();
    }
}

void fmMain::closeRestoreWindow()
{
    btCallBack->setEnabled(false);
    m_list->closeRestore();
    m_passTip.clear();
    m_restoredInWindow = 0;
    m_restoreFailedInWindow = 0;
}

void fmMain::closeEvent(QCloseEvent* event)
{
    // A pass is never abandoned half way: once the user agrees, it is asked to stop, and the window closes
    // once it has.
    if (isPassRunning() || m_closeWhenStopped) {
        event->ignore();
        if (m_closeWhenStopped || !confirmCloseDuringPass())
            return;
        if (!isPassRunning()) { // it ended while the question was open
            close();
            return;
        }
        m_closeWhenStopped = true;
        m_pass->cancel();
        return;
    }
    QWidget::closeEvent(event);
}

bool fmMain::confirmCloseDuringPass()
{
    return m_services->askQuestion(this, windowTitle(),
        QStringLiteral("正在更名（或还原），关闭窗口将在当前文件之后停止。已更名的文件无法再还原。确定要关闭吗？"));
}
