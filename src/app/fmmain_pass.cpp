// fmMain's pass: wiring 开始更名, 还原 and 取消 to the pass session, its progress, and closing during a pass.
#include "app/fmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QProgressBar>

#include "app/clickablelabel.h"
#include "app/passinputguard.h"
#include "app/foldercheck.h"
#include "app/platformservices.h"
#include "app/skinprogressbar.h"
#include "app/twips.h"
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
    m_folderCheck = new FolderCheck(*m_list, this);
    m_session = new PassSession(*m_list, this);
    connect(m_folderCheck, &FolderCheck::checked, this, [this] {
        showTip();
        emit newNamesChecked();
    });
    connect(m_session, &PassSession::progress, this, &fmMain::showPassProgress);
    connect(m_session, &PassSession::stopped, this, &fmMain::passStopped);
    connect(btCancel, &iButton::Click, this, &fmMain::btCancel_Click);
}

bool fmMain::isPassRunning() const
{
    return m_session->isRunning();
}

void fmMain::btReName_Click()
{
    startPass(PassSession::Kind::Rename);
}

void fmMain::btCallBack_Click()
{
    startPass(PassSession::Kind::Restore);
}

void fmMain::btCancel_Click()
{
    m_session->cancel();
}

void fmMain::startPass(PassSession::Kind kind)
{
    if (!m_session->start(kind, m_options.passStepHook))
        return;
    m_folderCheck->passStarted();
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
}

void fmMain::showPassProgress(const QString& caption, int done, int total)
{
    // In place of the tip line.
    lbProgress->setText(caption);
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

void fmMain::passStopped(bool closeWindow)
{
    btReName->setEnabled(true);
    // 还原 is offered only for files this restore window renamed.
    btCallBack->setEnabled(
        m_session->kind() == PassSession::Kind::Rename ? m_list->restorableCount() > 0 : m_callBackWasEnabled);
    delete std::exchange(m_inputGuard, nullptr); // the focus goes back where it was
    m_folderCheck->passEnded(m_session->takeFolderFacts());
    CheckNewNames();
    lbProgress->hide();
    picProgress->hide();
    btCancel->hide();
    showTip();
    emit passFinished();
    if (closeWindow)
        close();
}

void fmMain::closeEvent(QCloseEvent* event)
{
    // A pass is never abandoned half way: once the user agrees, it is asked to stop, and the window closes
    // once it has.
    if (isPassRunning() || m_session->isClosing()) {
        event->ignore();
        if (m_session->isClosing() || !confirmCloseDuringPass())
            return;
        if (!isPassRunning()) { // it ended while the question was open
            close();
            return;
        }
        m_session->cancelForClose();
        return;
    }
    QWidget::closeEvent(event);
}

bool fmMain::confirmCloseDuringPass()
{
    return m_services->askQuestion(this, windowTitle(),
        QStringLiteral("正在更名（或还原），关闭窗口将在当前文件之后停止。已更名的文件无法再还原。确定要关闭吗？"));
}
