// fmMain's controls: places, sizes, captions, colours and fonts, in twips as the window is designed.
#include "app/fmmain.h"

#include <QFrame>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

#include "app/clickablelabel.h"
#include "app/picturedensitywatch.h"
#include "app/plantabs.h"
#include "app/renamelistview.h"
#include "app/skinpictures.h"
#include "app/textbox.h"
#include "app/twips.h"
#include "widgets/ibutton/ibutton.h"
#include "widgets/ibutton/propertybag.h"

namespace {

const QColor kStepColour(215, 135, 2);
const QColor kFieldLabelColour(64, 64, 64);
const QColor kSampleColour(128, 128, 128);
const QColor kHeaderColour(63, 112, 172);
const QColor kPanelGrey(237, 238, 240);

// The name of the picture a label or button shows, kept on it so the pictures can be loaded again for
// another screen density.
constexpr char kSkinProperty[] = "skinName";

// The device pixel ratio the window's pictures are loaded for.
qreal pictureRatio(const QWidget* widget)
{
    return widget->devicePixelRatioF();
}

ClickableLabel* addPicture(QWidget* parent, const QRect& geometry, const QString& skinName)
{
    auto* picture = new ClickableLabel(parent);
    picture->setGeometry(geometry);
    if (!skinName.isEmpty()) {
        picture->setProperty(kSkinProperty, skinName);
        picture->setPixmap(skinpictures::pixmap(skinName, pictureRatio(parent)));
    }
    return picture;
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    widget->setPalette(p);
}

void setBackColour(QWidget* widget, const QColor& colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

} // namespace

QFont fmMain::windowFont()
{
    QFont font;
    font.setFamilies({ QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC") });
    font.setPixelSize(12); // 9 points at 96 dots per inch: one Chinese character is 180 twips
    font.setWeight(QFont::Normal);
    return font;
}

QLabel* fmMain::addLabel(
    int index, QWidget* parent, const QRect& geometry, const QString& text, const QColor& colour, bool autoSize)
{
    QLabel* label = styleLabel(new QLabel(parent), geometry, text, colour, autoSize);
    if (index >= 0)
        lbInfo[index] = label;
    return label;
}

QLabel* fmMain::styleLabel(
    QLabel* label, const QRect& geometry, const QString& text, const QColor& colour, bool autoSize)
{
    label->setText(text);
    label->setGeometry(geometry);
    label->setFont(windowFont());
    setTextColour(label, colour);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The designed heights fit a bitmap font's 12-pixel line; a scalable CJK font needs a taller line, and
    // a label never cuts its text: it keeps its place and grows down and to the right as far as needed.
    const int height = std::max(geometry.height(), label->fontMetrics().height());
    const int width = autoSize ? label->sizeHint().width() : std::max(geometry.width(), label->sizeHint().width());
    label->resize(width, height);
    return label;
}

TextBox* fmMain::addTextBox(QWidget* parent, const QRect& geometry)
{
    auto* box = new TextBox(parent);
    box->setGeometry(geometry);
    box->setFont(windowFont());
    box->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid rgb(168,178,190); padding: 0px 2px; }"
                                      "QLineEdit:focus { border: 1px solid rgb(215,135,2); }"));
    QPalette p = box->palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, QColor(30, 30, 30));
    box->setPalette(p);
    return box;
}

iButton* fmMain::addButton(const QString& skinName, const QRect& geometry)
{
    auto* button = new iButton(this);
    button->setGeometry(geometry);
    // The window's buttons keep only their picture, font, draw mode and text colour; the rest are defaults.
    PropertyBag bag;
    button->setProperty(kSkinProperty, skinName);
    // The strip as drawn (2× on a dense screen): the button cuts it into cells in device pixels.
    bag.WriteProperty(QStringLiteral("BackPicture"), skinpictures::drawn(skinName, pictureRatio(this)));
    bag.WriteProperty(QStringLiteral("cFont"), windowFont());
    bag.WriteProperty(QStringLiteral("cDrawMode"), 13);
    bag.WriteProperty(QStringLiteral("cForeColor"), palette().color(QPalette::ButtonText));
    button->ReadProperties(bag);
    return button;
}

void fmMain::buildLayout()
{
    setFont(windowFont());
    Image1 = addPicture(this, twips::rect(0, 0, 10200, 8700), QStringLiteral("background"));
    Image1->lower();
    buildTopBand();
    buildPlanPanels();
    buildListBand();
    buildBottomBand();
    new PictureDensityWatch(this, [this](qreal ratio) { reloadPictures(ratio); });
}

void fmMain::reloadPictures(qreal ratio)
{
    // The tabs show copies of the hidden tab looks: note which, to show the new copies afterwards.
    const auto lookOf = [this](const QLabel* tab) {
        for (int i = 0; i < 4; ++i)
            if (picMenu[i] && tab->pixmap().cacheKey() == picMenu[i]->pixmap().cacheKey())
                return i;
        return -1;
    };
    const int diyLook = lookOf(btDIY);
    const int replaceLook = lookOf(btReplace);
    for (QLabel* label : findChildren<QLabel*>()) {
        const QString name = label->property(kSkinProperty).toString();
        if (!name.isEmpty())
            label->setPixmap(skinpictures::pixmap(name, ratio));
    }
    for (iButton* button : findChildren<iButton*>()) {
        const QString name = button->property(kSkinProperty).toString();
        if (!name.isEmpty())
            button->setBackPicture(skinpictures::drawn(name, ratio));
    }
    if (diyLook >= 0)
        btDIY->setPixmap(picMenu[diyLook]->pixmap());
    if (replaceLook >= 0)
        btReplace->setPixmap(picMenu[replaceLook]->pixmap());
    ListReName->setDragPointer(skinpictures::pixmap(QStringLiteral("drag_cursor"), ratio));
    update();
}

void fmMain::nameControls()
{
    // Each control answers to its design name (findChild, accessibility tools, style sheets); members of
    // a control array read "lbInfo(15)".
#define QINGHE_NAMED(control) std::pair<QObject*, const char*>(control, #control)
    const std::pair<QObject*, const char*> named[] = { QINGHE_NAMED(Image1), QINGHE_NAMED(picLogo),
        QINGHE_NAMED(lbNewVersion), QINGHE_NAMED(lbADR), QINGHE_NAMED(lbTag), QINGHE_NAMED(lbSoftUrl),
        QINGHE_NAMED(lbADUR), QINGHE_NAMED(lbTListCount), QINGHE_NAMED(btDIY), QINGHE_NAMED(btReplace),
        QINGHE_NAMED(planDIY), QINGHE_NAMED(planReplace), QINGHE_NAMED(Picture8), QINGHE_NAMED(Line1),
        QINGHE_NAMED(txtNewName1), QINGHE_NAMED(txtNewName2), QINGHE_NAMED(txtNewNameF), QINGHE_NAMED(txtNewName3),
        QINGHE_NAMED(txtReplaceOld), QINGHE_NAMED(txtReplaceNew), QINGHE_NAMED(txtAdd1), QINGHE_NAMED(txtAdd2),
        QINGHE_NAMED(txtExp), QINGHE_NAMED(Option1), QINGHE_NAMED(Option2), QINGHE_NAMED(ListReName),
        QINGHE_NAMED(btOpenFiles), QINGHE_NAMED(btOpenFolder), QINGHE_NAMED(btReName), QINGHE_NAMED(btCallBack),
        QINGHE_NAMED(btSelectUp), QINGHE_NAMED(btSelectDown), QINGHE_NAMED(btSelectDelete), QINGHE_NAMED(btListClear),
        QINGHE_NAMED(btMin), QINGHE_NAMED(btClose), QINGHE_NAMED(Timer1), QINGHE_NAMED(mnuListOrder),
        QINGHE_NAMED(lbProgress), QINGHE_NAMED(picProgress), QINGHE_NAMED(btCancel) };
#undef QINGHE_NAMED
    for (const auto& [control, name] : named) {
        if (control)
            control->setObjectName(QLatin1String(name));
    }
    for (size_t i = 0; i < lbInfo.size(); ++i) {
        if (lbInfo[i])
            lbInfo[i]->setObjectName(QStringLiteral("lbInfo(%1)").arg(i));
    }
    for (size_t i = 0; i < picMenu.size(); ++i)
        picMenu[i]->setObjectName(QStringLiteral("picMenu(%1)").arg(i));
}

void fmMain::buildTopBand()
{
    btMin = addButton(QStringLiteral("bt_min"), twips::rect(9340, 0, 345, 240));
    btClose = addButton(QStringLiteral("bt_close"), twips::rect(9760, 0, 345, 240));
    picLogo = addPicture(this, twips::rect(7920, 420, 1800, 600), QStringLiteral("logo"));
    picLogo->setCursor(Qt::PointingHandCursor);
    addLabel(
        0, this, twips::rect(240, 540, 2340, 180), QStringLiteral("第一步，添加文件，您可以："), kStepColour, true);
    btOpenFolder = addButton(QStringLiteral("bt_openfolder"), twips::rect(2640, 460, 1410, 330));
    addLabel(1, this, twips::rect(4200, 540, 360, 180), QStringLiteral("或者"), kStepColour, true);
    btOpenFiles = addButton(QStringLiteral("bt_openfiles"), twips::rect(4680, 460, 1590, 330));
    addLabel(2, this, twips::rect(240, 940, 4320, 180),
        QStringLiteral("第二步，请选择一种改名格式，用来生成新的文件名："), kStepColour, true);
    lbNewVersion = new ClickableLabel(this);
    styleLabel(lbNewVersion, twips::rect(7560, 1080, 2535, 255), QString(), QColor(192, 0, 0), false);
    lbNewVersion->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lbNewVersion->setTextFormat(Qt::PlainText); // it shows what the update server sent
}

void fmMain::buildPlanPanels()
{
    // The tabs keep their places on the window inside a strip exactly as large as the two together.
    auto* planTabs = new PlanTabList(this);
    planTabs->setObjectName(QStringLiteral("planTabs"));
    planTabs->setGeometry(twips::rect(600, 1200, 1200 + 1590, 285));
    auto* diyTab = new PlanTab(planTabs);
    diyTab->setGeometry(twips::rect(600, 1200, 1200, 285).translated(-planTabs->pos()));
    auto* replaceTab = new PlanTab(planTabs);
    replaceTab->setGeometry(twips::rect(1800, 1200, 1590, 285).translated(-planTabs->pos()));
    btDIY = diyTab;
    btReplace = replaceTab;
    // The tab looks wait outside the window's right edge, as the design keeps them.
    const char* looks[] = { "tab_diy_on", "tab_diy_off", "tab_replace_on", "tab_replace_off" };
    const int tops[] = { 3840, 4200, 4560, 4920 };
    const int widths[] = { 1200, 1200, 1590, 1590 };
    for (int i = 0; i < 4; ++i) {
        picMenu[i] = addPicture(this, twips::rect(10560, tops[i], widths[i], 285), QString::fromLatin1(looks[i]));
        picMenu[i]->hide();
    }

    planDIY = addPicture(this, twips::rect(600, 1470, 9135, 1470), QStringLiteral("panel_diy"));
    setBackColour(planDIY, kPanelGrey);
    planReplace = addPicture(this, twips::rect(600, 1470, 9135, 1470), QStringLiteral("panel_replace"));
    setBackColour(planReplace, Qt::white);
    diyTab->setPanel(planDIY);
    replaceTab->setPanel(planReplace);

    addLabel(3, planDIY, twips::rect(360, 240, 540, 180), QStringLiteral("前缀："), kFieldLabelColour, false);
    txtNewName1 = addTextBox(planDIY, twips::rect(960, 210, 2780, 270));
    addLabel(4, planDIY, twips::rect(360, 680, 720, 180), QStringLiteral("编号：从"), kFieldLabelColour, false);
    txtNewName2 = addTextBox(planDIY, twips::rect(1200, 650, 435, 270));
    txtNewName2->setText(QStringLiteral("1"));
    addLabel(
        5, planDIY, twips::rect(1680, 675, 1620, 180), QStringLiteral("开始，不足位数补零"), kFieldLabelColour, false);
    txtNewNameF = addTextBox(planDIY, twips::rect(3360, 650, 375, 285));
    addLabel(19, planDIY, twips::rect(3800, 675, 180, 180), QStringLiteral("位"), kFieldLabelColour, false);
    addLabel(6, planDIY, twips::rect(360, 1080, 540, 180), QStringLiteral("后缀："), kFieldLabelColour, false);
    txtNewName3 = addTextBox(planDIY, twips::rect(960, 1050, 2780, 270));
    Line1 = new QFrame(planDIY);
    Line1->setGeometry(twips::toPixels(4200), twips::toPixels(120), 1, twips::toPixels(1320 - 120));
    setBackColour(Line1, QColor(224, 224, 224));
    addLabel(20, planDIY, twips::rect(4440, 180, 360, 180), QStringLiteral("例："), kSampleColour, false);
    addLabel(7, planDIY, twips::rect(4440, 435, 4590, 180),
        QStringLiteral("前缀“青禾”，编号从“1”开始，不补零，后缀“木舟”"), kSampleColour, false);
    addLabel(16, planDIY, twips::rect(4440, 680, 2070, 180), QStringLiteral("生成文件名为：青禾1木舟"), kSampleColour,
        false);
    addLabel(17, planDIY, twips::rect(4440, 920, 4680, 180),
        QStringLiteral("前缀“青禾”，编号从“1”开始，补零2位，后缀“木舟”"), kSampleColour, false);
    addLabel(18, planDIY, twips::rect(4440, 1160, 2160, 180), QStringLiteral("生成文件名为：青禾01木舟"), kSampleColour,
        false);

    addLabel(12, planReplace, twips::rect(240, 240, 2160, 180), QStringLiteral("添加文字：在文件名前添加"),
        kFieldLabelColour, false);
    txtAdd1 = addTextBox(planReplace, twips::rect(2520, 210, 1605, 270));
    addLabel(
        13, planReplace, twips::rect(4200, 240, 1260, 180), QStringLiteral("在文件名后追加"), kFieldLabelColour, false);
    txtAdd2 = addTextBox(planReplace, twips::rect(5520, 210, 1365, 270));
    addLabel(11, planReplace, twips::rect(240, 680, 2160, 180), QStringLiteral("替换文字：将原文件名中的"),
        kFieldLabelColour, false);
    txtReplaceOld = addTextBox(planReplace, twips::rect(2520, 650, 1605, 270));
    addLabel(10, planReplace, twips::rect(4200, 675, 540, 180), QStringLiteral("替换成"), kFieldLabelColour, false);
    txtReplaceNew = addTextBox(planReplace, twips::rect(4800, 650, 1365, 270));
    addLabel(14, planReplace, twips::rect(240, 1080, 7740, 180),
        QStringLiteral("删除文字：在替换文字选项中只填写需要替换的文字，不填写替换后文字，将实现文字删除效果。"),
        kFieldLabelColour, false);
}

void fmMain::buildListBand()
{
    addLabel(8, this, twips::rect(240, 3120, 1800, 180), QStringLiteral("第三步，扩展名设置："), kStepColour, true);
    Option1 = new QRadioButton(QStringLiteral("不改变"), this);
    Option1->setGeometry(twips::rect(2280, 3100, 975, 255));
    Option2 = new QRadioButton(QStringLiteral("修改为："), this);
    Option2->setGeometry(twips::rect(3360, 3100, 1095, 255));
    for (QRadioButton* option : { Option1, Option2 }) {
        option->setFont(windowFont());
        setBackColour(option, kPanelGrey);
        setTextColour(option, kFieldLabelColour);
    }
    Option1->setChecked(true);
    txtExp = addTextBox(this, twips::rect(4320, 3100, 1095, 270));
    addLabel(9, this, twips::rect(240, 3480, 3240, 180), QStringLiteral("第四步，调整文件顺序(支持鼠标拖动)："),
        kStepColour, true);

    ListReName = new RenameListView(this);
    ListReName->setGeometry(twips::rect(240, 3960, 9015, 3855));
    ListReName->setFont(windowFont());
    // The header strip lies over the list's top edge.
    Picture8 = addPicture(this, twips::rect(240, 3720, 8985, 270), QStringLiteral("header"));
    lbTListCount
        = addLabel(-1, Picture8, twips::rect(360, 60, 720, 180), QStringLiteral("原文件名"), kHeaderColour, true);
    addLabel(21, Picture8, twips::rect(4170, 60, 720, 180), QStringLiteral("新文件名"), kHeaderColour, true);
    addLabel(22, Picture8, twips::rect(7590, 60, 360, 180), QStringLiteral("状态"), kHeaderColour, true);
    // The strip is only 18 pixels high and the list covers its bottom edge, so a caption whose scalable font
    // needs a taller line than the designed 12 pixels is centred in the strip rather than hung from 4 pixels
    // down, where the strip would cut its bottom off.
    for (QLabel* caption : { lbTListCount, lbInfo[21], lbInfo[22] }) {
        caption->setGeometry(caption->x(), 0, caption->width(), Picture8->height());
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    btSelectUp = addButton(QStringLiteral("bt_up"), twips::rect(9360, 4080, 600, 600));
    btSelectDown = addButton(QStringLiteral("bt_down"), twips::rect(9360, 4920, 600, 600));
    btSelectDelete = addButton(QStringLiteral("bt_delete"), twips::rect(9360, 5760, 600, 600));
    btListClear = addButton(QStringLiteral("bt_clear"), twips::rect(9360, 6600, 600, 600));
}

void fmMain::buildBottomBand()
{
    addLabel(15, this, twips::rect(240, 8040, 6480, 180),
        QStringLiteral("小提示：使用批量更名后，在文件列表改变之前，可以使用还原功能恢复原文件名"), kFieldLabelColour,
        true);
    btReName = addButton(QStringLiteral("bt_rename"), twips::rect(7080, 7920, 1200, 330));
    picMenu[4] = addPicture(this, twips::rect(8400, 7920, 780, 330), QStringLiteral("callback_under"));
    btCallBack = addButton(QStringLiteral("bt_callback"), twips::rect(8400, 7920, 780, 330));
    btCallBack->hide();
    picMenu[4]->stackUnder(btCallBack);

    // The credit link keeps its right edge when its text changes.
    lbADR = new ClickableLabel(this);
    styleLabel(lbADR, twips::rect(9105, 8460, 990, 180), QString(), kSampleColour, false);
    lbADR->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lbADR->setTextFormat(Qt::PlainText); // the update server may replace its text
    setCreditText(QStringLiteral("By 青禾木舟"));
    lbADR->setCursor(Qt::PointingHandCursor);

    // Hidden holders of small pieces of state.
    lbTag = addLabel(-1, this, twips::rect(3720, 3480, 1095, 255), QString(), Qt::black, false);
    lbSoftUrl = addLabel(-1, this, twips::rect(120, 8760, 1575, 375), QString(), Qt::black, false);
    lbADUR = addLabel(-1, this, twips::rect(1920, 8760, 1215, 375), QString(), Qt::black, false);
    for (QLabel* holder : { lbTag, lbSoftUrl, lbADUR }) {
        holder->setTextFormat(Qt::PlainText);
        holder->hide();
    }
}
