// fmMain: construction, start-up, the window's chrome and links, and the refresh of the new names.
#include "app/fmmain.h"

#include <QApplication>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "background/backgroundtask.h"
#include "app/clickablelabel.h"
#include "app/passsession.h"
#include "app/platformservices.h"
#include "app/renamelistview.h"
#include "app/skinpictures.h"
#include "app/textbox.h"
#include "app/windowaccessibility.h"
#include "rename/spacetext.h"
#include "rename/renamelist.h"
#include "update/weblink.h"
#include "widgets/ibutton/ibutton.h"

// The artwork is compiled into the static library; naming its initialiser keeps the linker from dropping it.
static void initSkins()
{
    Q_INIT_RESOURCE(skins);
}

WindowOptions fmMain::defaultOptions()
{
    return WindowOptions {};
}

fmMain::fmMain(const WindowOptions& options, QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint)
    , m_options(options)
    , m_list(new RenameList(this))
{
    initSkins();
    if (!m_options.services)
        m_ownServices = std::make_unique<QtPlatformServices>();
    m_services = m_options.services ? m_options.services : m_ownServices.get();

    setWindowTitle(QStringLiteral("青禾更名器"));
    setWindowIcon(QIcon(QStringLiteral(":/skins/app_icon_256.png")));
    setAttribute(Qt::WA_DeleteOnClose, false);
    Timer1 = new QTimer(this);
    Timer1->setInterval(20);
    buildLayout();
    buildPassControls();
    m_designedTip = lbInfo[15]->text();
    ListReName->setModel(m_list);
    connectHandlers();
    connectPassHandlers();
    connectIntake();
    nameControls();
    windowaccessibility::describe(*this);
    setTabOrder();
    Form_Load();
}

// The pass session and the folder check wait for their workers as they go.
fmMain::~fmMain() = default;

void fmMain::Form_Load()
{
    // The taskbar entry keeps minimise, restore and close through the window flags set at construction.
    picLogo->setCursor(Qt::PointingHandCursor);
    lbADR->setCursor(Qt::PointingHandCursor);
    setFixedSize(Image1->size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    std::array<QIcon, 5> icons;
    for (int i = 0; i < 5; ++i)
        icons[i] = skinpictures::icon(QStringLiteral("row%1").arg(i + 1));
    ListReName->rowDelegate()->setIcons(icons);
    ListReName->layoutColumns();
    ListReName->setDragPointer(skinpictures::pixmap(QStringLiteral("drag_cursor"), devicePixelRatioF()));

    btDIY_Click();
    Option1_Click();
    ListReName->setFocus();
    Timer1->start();
}

void fmMain::connectHandlers()
{
    connect(Timer1, &QTimer::timeout, this, &fmMain::Timer1_Timer);
    connect(btMin, &iButton::Click, this, &fmMain::btMin_Click);
    connect(btClose, &iButton::Click, this, &fmMain::btClose_Click);
    connect(picLogo, &ClickableLabel::clicked, this, &fmMain::picLogo_Click);
    connect(lbADR, &ClickableLabel::clicked, this, &fmMain::lbADR_Click);
    connect(lbNewVersion, &ClickableLabel::clicked, this, &fmMain::lbNewVersion_Click);
    connect(Image1, &ClickableLabel::mousePressed, this,
        [this](Qt::MouseButton button) { m_moveArmed = button == Qt::LeftButton; });
    connect(Image1, &ClickableLabel::mouseReleased, this, [this] { m_moveArmed = false; });
    connect(Image1, &ClickableLabel::mouseMoved, this, &fmMain::Image1_MouseMove);

    connect(btDIY, &ClickableLabel::clicked, this, &fmMain::btDIY_Click);
    connect(btReplace, &ClickableLabel::clicked, this, &fmMain::btReplace_Click);
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(txtExp, &QLineEdit::textChanged, this, &fmMain::txtExp_Change);
    connect(txtNewName1, &QLineEdit::textChanged, this, &fmMain::txtNewName1_Change);
    connect(txtNewName3, &QLineEdit::textChanged, this, &fmMain::txtNewName3_Change);
    connect(txtReplaceOld, &QLineEdit::textChanged, this, &fmMain::txtReplaceOld_Change);
    connect(txtReplaceNew, &QLineEdit::textChanged, this, &fmMain::txtReplaceNew_Change);
    connect(txtAdd1, &QLineEdit::textChanged, this, &fmMain::txtAdd1_Change);
    connect(txtAdd2, &QLineEdit::textChanged, this, &fmMain::txtAdd2_Change);
    connect(txtNewName2, &TextBox::KeyPress, this, &fmMain::txtNewName2_KeyPress);
    connect(txtNewNameF, &TextBox::KeyPress, this, &fmMain::txtNewNameF_KeyPress);
    connect(txtNewName2, &TextBox::GotFocus, this, &fmMain::txtNewName2_GotFocus);
    connect(txtNewName2, &QLineEdit::textChanged, this, &fmMain::txtNewName2_Change);
    connect(txtNewNameF, &QLineEdit::textChanged, this, &fmMain::txtNewNameF_Change);
    connectFileHandlers();
    connectSortMenu();
    // Keys of the list that do what the buttons beside it do.
    connect(ListReName, &RenameListView::deleteRowPressed, this, &fmMain::btSelectDelete_Click);
    connect(ListReName, &RenameListView::moveRowPressed, this,
        [this](int step) { step < 0 ? btSelectUp_Click() : btSelectDown_Click(); });
}

void fmMain::setTabOrder()
{
    // The plan tabs stand before the fields of the plan they show; only the selected tab takes the focus.
    const QList<QWidget*> order { ListReName, Option1, Option2, txtExp, btDIY, btReplace, txtNewNameF, txtNewName3,
        txtNewName2, txtNewName1, txtReplaceNew, txtReplaceOld, txtAdd1, txtAdd2, btOpenFiles, btOpenFolder, btReName,
        btCallBack, btSelectUp, btSelectDown, btSelectDelete, btListClear, btMin, btClose };
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

PlanSettings fmMain::planSettings() const
{
    PlanSettings s;
    s.plan = m_plan;
    s.prefix = txtNewName1->text();
    s.startText = txtNewName2->text();
    s.digitsText = txtNewNameF->text();
    s.suffix = txtNewName3->text();
    s.replaceOld = txtReplaceOld->text();
    s.replaceNew = txtReplaceNew->text();
    s.addBefore = txtAdd1->text();
    s.addAfter = txtAdd2->text();
    // A lone dot is an extension still being typed: meanwhile the names keep their own extensions.
    s.extensionText = spacetext::trimSpaces(txtExp->text()) == u"." ? QString() : txtExp->text();
    return s;
}

void fmMain::RefreshNewNames()
{
    if (m_list->count() == 0) {
        m_session->forgetReport(); // the last row went: nothing is left to report on
        showTip();
        return;
    }
    // Only the rows shown are named now; the check makes the whole column off the window's thread. The names
    // being replaced are freed there too: a million of them take milliseconds.
    releaseOffThread(m_list->setPlan(planSettings()));
    btCallBack->setEnabled(false);
    m_session->closeRestoreWindow();
    CheckNewNames();
    btCallBack->show();
}

void fmMain::btMin_Click()
{
    setWindowState(windowState() | Qt::WindowMinimized);
}

void fmMain::btClose_Click()
{
    close();
}

void fmMain::Image1_MouseMove(Qt::MouseButtons buttons)
{
    // The window manager follows the mouse from here until the button is released. It is asked once per
    // press: moves queued before it grabs the pointer would otherwise each ask again, and a request that
    // reaches it after the release starts a move that no button holds, which then follows the bare pointer.
    if (!m_moveArmed || !(buttons & Qt::LeftButton) || !windowHandle())
        return;
    m_moveArmed = false;
    windowHandle()->startSystemMove();
}

void fmMain::openAddress(const QString& address)
{
    // Addresses may come from the update server: only web addresses are handed to the browser.
    if (const std::optional<QUrl> url = weblink::webAddress(address))
        m_services->openAddress(*url);
}

void fmMain::picLogo_Click()
{
    openAddress(m_options.addresses.homePage);
}

void fmMain::lbADR_Click()
{
    openAddress(lbADUR->text());
}

void fmMain::lbNewVersion_Click()
{
    if (spacetext::isBlank(lbNewVersion->text()))
        return;
    openAddress(lbSoftUrl->text());
}

void fmMain::Timer1_Timer()
{
    CheckNewVersion();
    Timer1->stop();
}
