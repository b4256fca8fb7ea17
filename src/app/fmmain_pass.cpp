// fmMain's pass: renaming and restoring on a worker thread, its progress and cancel, and the input it drops.
#include "app/fmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>

#include "app/clickablelabel.h"
#include "app/passrunner.h"
#include "app/platformservices.h"
#include "app/twips.h"
#include "disk/batchrename.h"
#include "rename/renamelist.h"
#include "widgets/ibutton/ibutton.h"

namespace {

// Events by which a person acts on a widget. Paint, timer and window events are not among them: the
// window keeps painting and its timers keep running during a pass.
bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// The pass's progress bar: the skin's groove, and the skin's full bar cut at the done fraction.
class SkinProgressBar : public QProgressBar {
public:
    explicit SkinProgressBar(QWidget* parent)
        : QProgressBar(parent)
        , m_trough(QStringLiteral(":/skins/progress_trough.png"))
        , m_fill(QStringLiteral(":/skins/progress_fill.png"))
    {
        setTextVisible(false);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const int span = maximum() - minimum();
        const double fraction = span > 0 ? double(value() - minimum()) / span : 0.0;
        const int filled = qRound(width() * std::clamp(fraction, 0.0, 1.0));
        if (!m_trough.isNull() && !m_fill.isNull()) {
            p.drawPixmap(rect(), m_trough);
            p.drawPixmap(
                QRect(0, 0, filled, height()), m_fill, QRect(0, 0, qRound(m_fill.width() * fraction), m_fill.height()));
            return;
        }
        // Without the pictures: a plain groove and bar in the colours of the window.
        p.setPen(QColor(160, 172, 190));
        p.setBrush(QColor(236, 239, 243));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.fillRect(QRect(1, 1, std::max(0, filled - 2), height() - 2), QColor(215, 135, 2));
    }

private:
    QPixmap m_trough;
    QPixmap m_fill;
};

} // namespace

/**
 * Installed on the application while a pass runs. Input meant for the window is dropped as it arrives
 * (the event loop keeps turning, so nothing waits in a queue to be carried out after the pass), except
 * input for the controls that can neither change the list or the plan nor start a pass: cancel,
 * minimise, close, and the background by which the window is moved. Esc anywhere in the window cancels.
 */
class PassInputGuard : public QObject {
public:
    PassInputGuard(fmMain* window, QList<QWidget*> allowed, std::function<void()> onEscape)
        : QObject(window)
        , m_window(window)
        , m_allowed(std::move(allowed))
        , m_onEscape(std::move(onEscape))
    {
        qApp->installEventFilter(this);
        // Qt gives the focus on a press before any filter sees it: no control takes the focus by a click,
        // the wheel or Tab while the pass runs, so dropped input moves no focus (Esc still cancels).
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (child->focusPolicy() != Qt::NoFocus) {
                m_focusPolicies.append({ child, child->focusPolicy() });
                child->setFocusPolicy(Qt::NoFocus);
            }
        }
    }
    ~PassInputGuard() override
    {
        qApp->removeEventFilter(this);
        for (const auto& [child, policy] : m_focusPolicies) {
            if (child)
                child->setFocusPolicy(policy);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!isUserInput(event->type()))
            return false;
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() != m_window)
            return false;
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease
            || event->type() == QEvent::ShortcutOverride) {
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                if (event->type() == QEvent::KeyPress)
                    m_onEscape();
                return true;
            }
        }
        return !isAllowed(widget);
    }

private:
    bool isAllowed(const QWidget* widget) const
    {
        return std::any_of(m_allowed.cbegin(), m_allowed.cend(), [widget](const QWidget* w) { return w == widget; });
    }

    fmMain* m_window;
    QList<QWidget*> m_allowed;
    std::function<void()> m_onEscape;
    QList<std::pair<QPointer<QWidget>, Qt::FocusPolicy>> m_focusPolicies;
};

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
    // Disabling the focused button would hand the focus on along the tab order (to 上移, where one Space
    // after the pass would move a row and close the restore). With the guard in place no control takes
    // it; it comes back when the pass ends.
    m_focusBeforePass = focusWidget();
    // A menu of the list left open would still take input; none outlives the start of a pass.
    for (int i = 0; i < 8 && QApplication::activePopupWidget(); ++i)
        QApplication::activePopupWidget()->close();
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
    delete m_inputGuard;
    m_inputGuard = nullptr;
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
    if (m_focusBeforePass && m_focusBeforePass->isEnabled())
        m_focusBeforePass->setFocus(Qt::OtherFocusReason);
    m_focusBeforePass = nullptr;
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
