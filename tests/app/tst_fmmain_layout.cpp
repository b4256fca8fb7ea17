// Tests of the main window's layout and start state: places, sizes, captions, colours, focus and the timer.
#include <QAccessible>
#include <QLabel>
#include <QRadioButton>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/clickablelabel.h"
#include "app/fmmain.h"
#include "app/plantabs.h"
#include "app/renamelistview.h"
#include "app/textbox.h"
#include "fakeservices.h"
#include "rename/renamelist.h"
#include "widgets/ibutton/ibutton.h"

using namespace Qt::StringLiterals;

class TestFmMainLayout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowFrame();
    void controls_data();
    void controls();
    void buttons_data();
    void buttons();
    void startState();
    void focusOrder();
    void accessibility_data();
    void accessibility();
    void accessibleActions_data();
    void accessibleActions();
    void timerFiresOnce();
    void listColumns();
    void chineseFontIsPinned();
    void minimiseAndClose();

private:
    FakeServices m_services;
    std::unique_ptr<fmMain> m_window;
};

void TestFmMainLayout::init()
{
    m_window = makeTestWindow(m_services);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFmMainLayout::cleanup()
{
    m_window.reset();
}

void TestFmMainLayout::windowFrame()
{
    QCOMPARE(m_window->size(), QSize(680, 580));
    QCOMPARE(m_window->windowTitle(), u"青禾更名器"_s);
    QVERIFY(m_window->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(m_window->windowFlags() & Qt::WindowMinimizeButtonHint);
}

void TestFmMainLayout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // pixels; an empty width means "as wide as its text"
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("colour"); // text colour, or invalid when not checked

    // clang-format off
    const QColor step(215, 135, 2);
    const QColor field(64, 64, 64);
    const QColor sample(128, 128, 128);
    const QColor none;
    QTest::newRow("step 1") << "lbInfo(0)" << QRect(16, 36, 0, 12) << "第一步，添加文件，您可以：" << step;
    QTest::newRow("or") << "lbInfo(1)" << QRect(280, 36, 0, 12) << "或者" << step;
    QTest::newRow("step 2") << "lbInfo(2)" << QRect(16, 63, 0, 12) << "第二步，请选择一种改名格式，用来生成新的文件名：" << step;
    QTest::newRow("prefix caption") << "lbInfo(3)" << QRect(24, 16, 36, 12) << "前缀：" << field;
    QTest::newRow("sample no padding") << "lbInfo(7)" << QRect(296, 29, 306, 12) << "前缀“青禾”，编号从“1”开始，不补零，后缀“木舟”" << sample;
    QTest::newRow("sample result") << "lbInfo(18)" << QRect(296, 77, 144, 12) << "生成文件名为：青禾01木舟" << sample;
    QTest::newRow("step 3") << "lbInfo(8)" << QRect(16, 208, 0, 12) << "第三步，扩展名设置：" << step;
    QTest::newRow("step 4") << "lbInfo(9)" << QRect(16, 232, 0, 12) << "第四步，调整文件顺序(支持鼠标拖动)：" << step;
    QTest::newRow("add before") << "lbInfo(12)" << QRect(16, 16, 144, 12) << "添加文字：在文件名前添加" << field;
    QTest::newRow("delete hint") << "lbInfo(14)" << QRect(16, 72, 516, 12) << "删除文字：在替换文字选项中只填写需要替换的文字，不填写替换后文字，将实现文字删除效果。" << field;
    QTest::newRow("tip") << "lbInfo(15)" << QRect(16, 536, 0, 12) << "小提示：使用批量更名后，在文件列表改变之前，可以使用还原功能恢复原文件名" << field;
    // The captions keep their columns and are centred in the 18-pixel strip, which a taller line would overflow.
    QTest::newRow("header old name") << "lbTListCount" << QRect(24, 0, 0, 18) << "原文件名" << QColor(63, 112, 172);
    QTest::newRow("header new name") << "lbInfo(21)" << QRect(278, 0, 0, 18) << "新文件名" << QColor(63, 112, 172);
    QTest::newRow("header outcome") << "lbInfo(22)" << QRect(506, 0, 0, 18) << "状态" << QColor(63, 112, 172);
    QTest::newRow("logo") << "picLogo" << QRect(528, 28, 120, 40) << "" << none;
    QTest::newRow("numbering tab") << "btDIY" << QRect(40, 80, 80, 19) << "" << none;
    QTest::newRow("replace tab") << "btReplace" << QRect(120, 80, 106, 19) << "" << none;
    QTest::newRow("numbering panel") << "planDIY" << QRect(40, 98, 609, 98) << "" << none;
    QTest::newRow("replace panel") << "planReplace" << QRect(40, 98, 609, 98) << "" << none;
    QTest::newRow("prefix field") << "txtNewName1" << QRect(64, 14, 185, 18) << "" << none;
    QTest::newRow("start field") << "txtNewName2" << QRect(80, 43, 29, 18) << "1" << none;
    QTest::newRow("digits field") << "txtNewNameF" << QRect(224, 43, 25, 19) << "" << none;
    QTest::newRow("after field") << "txtAdd2" << QRect(368, 14, 91, 18) << "" << none;
    QTest::newRow("extension field") << "txtExp" << QRect(288, 207, 73, 18) << "" << none;
    QTest::newRow("keep option") << "Option1" << QRect(152, 207, 65, 17) << "不改变" << field;
    QTest::newRow("change option") << "Option2" << QRect(224, 207, 73, 17) << "修改为：" << field;
    QTest::newRow("header strip") << "Picture8" << QRect(16, 248, 599, 18) << "" << none;
    QTest::newRow("list") << "ListReName" << QRect(16, 264, 601, 257) << "" << none;
    QTest::newRow("new version link") << "lbNewVersion" << QRect(504, 72, 169, 17) << "" << QColor(192, 0, 0);
    QTest::newRow("background") << "Image1" << QRect(0, 0, 680, 580) << "" << none;
    QTest::newRow("separator") << "Line1" << QRect(280, 8, 1, 80) << "" << none;
    QTest::newRow("under restore") << "picMenu(4)" << QRect(560, 528, 52, 22) << "" << none;
    // clang-format on
}

void TestFmMainLayout::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QColor, colour);

    QWidget* widget = control(*m_window, name);
    QVERIFY(widget);
    // Positions are the design's: on the window, or in a plan panel; the plan tabs lie in their tab strip.
    const QWidget* container
        = qobject_cast<PlanTabList*>(widget->parentWidget()) ? widget->window() : widget->parentWidget();
    QCOMPARE(container ? widget->mapTo(container, QPoint(0, 0)) : widget->pos(), geometry.topLeft());
    if (qobject_cast<QLabel*>(widget) && !qobject_cast<ClickableLabel*>(widget)) {
        // Labels keep their place and never cut their text: at least the designed size, and the text's.
        QVERIFY(widget->width() >= geometry.width());
        QVERIFY(widget->height() >= geometry.height());
        QVERIFY2(widget->width() >= widget->sizeHint().width(), "a label is as wide as its text");
        QVERIFY2(widget->height() >= widget->fontMetrics().height(), "a label is as high as its line");
    } else {
        QCOMPARE(widget->size(), geometry.size());
    }
    if (auto* label = qobject_cast<QLabel*>(widget); label && !caption.isEmpty())
        QCOMPARE(label->text(), caption);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        QCOMPARE(edit->text(), caption);
    if (auto* option = qobject_cast<QRadioButton*>(widget))
        QCOMPARE(option->text(), caption);
    if (colour.isValid())
        QCOMPARE(widget->palette().color(QPalette::WindowText), colour);
}

void TestFmMainLayout::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    // clang-format off
    QTest::newRow("btMin") << "btMin" << QRect(623, 0, 23, 16);
    QTest::newRow("btClose") << "btClose" << QRect(651, 0, 23, 16);
    QTest::newRow("btOpenFolder") << "btOpenFolder" << QRect(176, 31, 94, 22);
    QTest::newRow("btOpenFiles") << "btOpenFiles" << QRect(312, 31, 106, 22);
    QTest::newRow("btSelectUp") << "btSelectUp" << QRect(624, 272, 40, 40);
    QTest::newRow("btSelectDown") << "btSelectDown" << QRect(624, 328, 40, 40);
    QTest::newRow("btSelectDelete") << "btSelectDelete" << QRect(624, 384, 40, 40);
    QTest::newRow("btListClear") << "btListClear" << QRect(624, 440, 40, 40);
    QTest::newRow("btReName") << "btReName" << QRect(472, 528, 80, 22);
    QTest::newRow("btCallBack") << "btCallBack" << QRect(560, 528, 52, 22);
    // clang-format on
}

void TestFmMainLayout::buttons()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    auto* button = control<iButton>(*m_window, name);
    if (name == u"btCallBack"_s)
        button->show(); // hidden at start; it sizes itself when first shown
    QCOMPARE(button->geometry(), geometry);
    QVERIFY(!button->BackPicture().isNull());
    QCOMPARE(button->BackPicture().width(), geometry.width() * 5); // five cells a strip
}

void TestFmMainLayout::startState()
{
    fmMain& w = *m_window;
    auto* planDIY = control(w, u"planDIY"_s);
    auto* planReplace = control(w, u"planReplace"_s);
    auto* option1 = control<QRadioButton>(w, u"Option1"_s);
    auto* option2 = control<QRadioButton>(w, u"Option2"_s);
    auto* txtExp = control<TextBox>(w, u"txtExp"_s);
    auto* txtNewName2 = control<TextBox>(w, u"txtNewName2"_s);
    auto* lbADR = control<ClickableLabel>(w, u"lbADR"_s);
    auto* lbNewVersion = control<ClickableLabel>(w, u"lbNewVersion"_s);
    auto* btCallBack = control<iButton>(w, u"btCallBack"_s);
    auto* btDIY = control<ClickableLabel>(w, u"btDIY"_s);
    auto* btReplace = control<ClickableLabel>(w, u"btReplace"_s);
    auto* picLogo = control(w, u"picLogo"_s);
    const auto picMenu = [&w](int i) { return control<QLabel>(w, u"picMenu(%1)"_s.arg(i)); };

    QVERIFY(planDIY->isVisible());
    QVERIFY(!planReplace->isVisible());
    QVERIFY(option1->isChecked());
    QVERIFY(!option2->isChecked());
    QVERIFY(!txtExp->isEnabled());
    QCOMPARE(txtExp->palette().color(QPalette::Base), QColor(239, 239, 239));
    QCOMPARE(txtNewName2->text(), u"1"_s);
    for (const QString& empty : { u"txtNewName1"_s, u"txtNewNameF"_s, u"txtNewName3"_s, u"txtReplaceOld"_s,
             u"txtReplaceNew"_s, u"txtAdd1"_s, u"txtAdd2"_s, u"txtExp"_s })
        QVERIFY(control<QLineEdit>(w, empty)->text().isEmpty());
    QCOMPARE(lbADR->text(), u"By 青禾木舟"_s);
    QCOMPARE(lbADR->geometry().right() + 1, 673); // right-aligned at its designed right edge
    QVERIFY(lbNewVersion->text().isEmpty());
    QVERIFY(btCallBack->isHidden());
    QVERIFY(picMenu(4)->isVisible());
    QCOMPARE(btDIY->pixmap().toImage(), picMenu(0)->pixmap().toImage());
    QCOMPARE(btReplace->pixmap().toImage(), picMenu(3)->pixmap().toImage());
    for (const QString& name : { u"lbTag"_s, u"lbSoftUrl"_s, u"lbADUR"_s }) {
        auto* holder = control<QLabel>(w, name);
        QVERIFY(!holder->isVisible());
        QVERIFY(holder->text().isEmpty());
    }
    QCOMPARE(w.model()->rowCount(), 0);
    QCOMPARE(w.focusWidget(), control(w, u"ListReName"_s));
    QCOMPARE(picLogo->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(lbADR->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(lbNewVersion->cursor().shape() != Qt::PointingHandCursor);
}

void TestFmMainLayout::focusOrder()
{
    fmMain& w = *m_window;
    auto* list = control(w, u"ListReName"_s);
    QList<QWidget*> expected;
    for (const QString& name :
        { u"ListReName"_s, u"Option1"_s, u"Option2"_s, u"txtExp"_s, u"btDIY"_s, u"btReplace"_s, u"txtNewNameF"_s,
            u"txtNewName3"_s, u"txtNewName2"_s, u"txtNewName1"_s, u"txtReplaceNew"_s, u"txtReplaceOld"_s, u"txtAdd1"_s,
            u"txtAdd2"_s, u"btOpenFiles"_s, u"btOpenFolder"_s, u"btReName"_s, u"btCallBack"_s, u"btSelectUp"_s,
            u"btSelectDown"_s, u"btSelectDelete"_s, u"btListClear"_s, u"btMin"_s, u"btClose"_s })
        expected << control(w, name);
    QList<QWidget*> chain;
    QWidget* current = list;
    do {
        if (expected.contains(current))
            chain.append(current);
        current = current->nextInFocusChain();
    } while (current != list && chain.size() <= expected.size());
    QCOMPARE(chain, expected);

    // Tab from the list reaches the keep-extension option first; only visible, enabled fields take the focus.
    QVERIFY(QTest::qWaitForWindowActive(&w));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), control(w, u"Option1"_s));
}

namespace {

// The states a screen reader is told of, as words.
QStringList stateWords(const QAccessible::State& state)
{
    QStringList words;
    const std::pair<bool, const char*> flags[] = { { bool(state.focusable), "focusable" },
        { bool(state.disabled), "disabled" }, { bool(state.invisible), "invisible" },
        { bool(state.selected), "selected" }, { bool(state.focused), "focused" }, { bool(state.checked), "checked" } };
    for (const auto& [on, word] : flags)
        if (on)
            words << QString::fromLatin1(word);
    return words;
}

} // namespace

// What a screen reader is told of every control at start: role, name, states and actions, in tab order, then
// the controls that take no focus.
void TestFmMainLayout::accessibility_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("states");
    QTest::addColumn<QStringList>("actions");

    // clang-format off
    const QStringList focusable { u"focusable"_s };
    const QStringList press { QAccessibleActionInterface::pressAction() };
    const QStringList button { QAccessibleActionInterface::pressAction(),
        QAccessibleActionInterface::setFocusAction() };
    const QStringList field { QAccessibleActionInterface::setFocusAction() };
    const QStringList hiddenField { u"focusable"_s, u"invisible"_s };
    QTest::newRow("list") << "ListReName" << int(QAccessible::Table) << "文件列表" << QStringList { u"focusable"_s, u"focused"_s } << QStringList {};
    QTest::newRow("keep extension") << "Option1" << int(QAccessible::RadioButton) << "不改变" << QStringList { u"focusable"_s, u"checked"_s } << QStringList { QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::setFocusAction() };
    QTest::newRow("change extension") << "Option2" << int(QAccessible::RadioButton) << "修改为：" << focusable << QStringList { QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::setFocusAction() };
    QTest::newRow("extension") << "txtExp" << int(QAccessible::EditableText) << "扩展名" << QStringList { u"focusable"_s, u"disabled"_s } << QStringList {};
    QTest::newRow("numbering tab") << "btDIY" << int(QAccessible::PageTab) << "重新命名" << QStringList { u"focusable"_s, u"selected"_s } << press;
    QTest::newRow("replace tab") << "btReplace" << int(QAccessible::PageTab) << "原文件名修改" << focusable << press;
    QTest::newRow("digits") << "txtNewNameF" << int(QAccessible::EditableText) << "补零位数" << focusable << field;
    QTest::newRow("suffix") << "txtNewName3" << int(QAccessible::EditableText) << "后缀" << focusable << field;
    QTest::newRow("start") << "txtNewName2" << int(QAccessible::EditableText) << "开始编号" << focusable << field;
    QTest::newRow("prefix") << "txtNewName1" << int(QAccessible::EditableText) << "前缀" << focusable << field;
    QTest::newRow("replace with") << "txtReplaceNew" << int(QAccessible::EditableText) << "替换成" << hiddenField << field;
    QTest::newRow("replace what") << "txtReplaceOld" << int(QAccessible::EditableText) << "要替换的文字" << hiddenField << field;
    QTest::newRow("add before") << "txtAdd1" << int(QAccessible::EditableText) << "在文件名前添加" << hiddenField << field;
    QTest::newRow("add after") << "txtAdd2" << int(QAccessible::EditableText) << "在文件名后追加" << hiddenField << field;
    const std::pair<const char*, const char*> buttons[]
        = { { "btOpenFiles", "添加文件" }, { "btOpenFolder", "添加文件夹" }, { "btReName", "开始更名" },
              { "btSelectUp", "上移" }, { "btSelectDown", "下移" }, { "btSelectDelete", "删除" },
              { "btListClear", "清空" }, { "btMin", "最小化" }, { "btClose", "关闭" } };
    for (const auto& [control, name] : buttons)
        QTest::newRow(control) << control << int(QAccessible::PushButton) << name << focusable << button;
    QTest::newRow("btCallBack") << "btCallBack" << int(QAccessible::PushButton) << "还原" << QStringList { u"focusable"_s, u"invisible"_s } << button;

    QTest::newRow("window") << "fmMain" << int(QAccessible::Window) << "青禾更名器" << QStringList {} << QStringList {};
    QTest::newRow("plan tab list") << "planTabs" << int(QAccessible::PageTabList) << "改名格式" << QStringList {} << QStringList {};
    QTest::newRow("numbering panel") << "planDIY" << int(QAccessible::Grouping) << "重新命名" << QStringList {} << QStringList {};
    QTest::newRow("replace panel") << "planReplace" << int(QAccessible::Grouping) << "原文件名修改" << QStringList { u"invisible"_s } << QStringList {};
    QTest::newRow("logo") << "picLogo" << int(QAccessible::Graphic) << "青禾更名器" << QStringList {} << QStringList {};
    QTest::newRow("new version, none yet") << "lbNewVersion" << int(QAccessible::Link) << "" << QStringList { u"invisible"_s } << press;
    QTest::newRow("credit link") << "lbADR" << int(QAccessible::Link) << "By 青禾木舟" << QStringList {} << press;
    QTest::newRow("tip line") << "lbInfo(15)" << int(QAccessible::StatusBar) << "小提示：使用批量更名后，在文件列表改变之前，可以使用还原功能恢复原文件名" << QStringList {} << QStringList {};
    QTest::newRow("progress line") << "lbProgress" << int(QAccessible::StatusBar) << "" << QStringList { u"invisible"_s } << QStringList {};
    QTest::newRow("progress bar") << "picProgress" << int(QAccessible::ProgressBar) << "进度" << QStringList { u"invisible"_s } << QStringList {};
    QTest::newRow("cancel") << "btCancel" << int(QAccessible::PushButton) << "取消" << QStringList { u"focusable"_s, u"invisible"_s } << button;
    // clang-format on
}

void TestFmMainLayout::accessibility()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QStringList, states);
    QFETCH(QStringList, actions);

    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QObject* object = control == u"fmMain"_s ? m_window.get() : ::control(*m_window, control);
    QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(object);
    QVERIFY(seen);
    QCOMPARE(int(seen->role()), role);
    QCOMPARE(seen->text(QAccessible::Name), name);
    QCOMPARE(stateWords(seen->state()), states);
    QAccessibleActionInterface* doable = seen->actionInterface();
    QCOMPARE(doable ? doable->actionNames() : QStringList {}, actions);
}

// Pressing through the action does what a click does.
void TestFmMainLayout::accessibleActions_data()
{
    QTest::addColumn<QStringList>("pressed"); // controls pressed through their press action, in order
    QTest::addColumn<QString>("shownPanel");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("opened"); // addresses handed to the browser

    // clang-format off
    QTest::newRow("replace tab") << QStringList { u"btReplace"_s } << "planReplace" << 0 << 0;
    QTest::newRow("replace, then numbering tab") << QStringList { u"btReplace"_s, u"btDIY"_s } << "planDIY" << 0 << 0;
    QTest::newRow("添加文件") << QStringList { u"btOpenFiles"_s } << "planDIY" << 1 << 0;
    QTest::newRow("添加文件, 清空") << QStringList { u"btOpenFiles"_s, u"btListClear"_s } << "planDIY" << 0 << 0;
    QTest::newRow("credit link") << QStringList { u"lbADR"_s } << "planDIY" << 0 << 1;
    QTest::newRow("new version link while empty") << QStringList { u"lbNewVersion"_s } << "planDIY" << 0 << 0;
    // clang-format on
}

void TestFmMainLayout::accessibleActions()
{
    QFETCH(QStringList, pressed);
    QFETCH(QString, shownPanel);
    QFETCH(int, rows);
    QFETCH(int, opened);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QFile file(dir.filePath(u"a.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    m_services.filesToChoose = { file.fileName() };
    control<QLabel>(*m_window, u"lbADUR"_s)->setText(u"https://example.com/"_s);
    for (const QString& name : pressed) {
        QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(control(*m_window, name));
        QVERIFY(seen && seen->actionInterface());
        seen->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    QVERIFY(control(*m_window, shownPanel)->isVisible());
    QCOMPARE(m_window->model()->rowCount(), rows);
    QCOMPARE(m_services.opened.size(), opened);
}

void TestFmMainLayout::timerFiresOnce()
{
    auto* timer = control<QTimer>(*m_window, u"Timer1"_s);
    QVERIFY(timer->interval() == 20);
    QTRY_VERIFY(!timer->isActive());
    // A fresh window: count the ticks for a while.
    WindowOptions options;
    options.services = &m_services;
    options.checkForUpdates = false;
    fmMain other(options);
    testWindowModel(other);
    auto* otherTimer = control<QTimer>(other, u"Timer1"_s);
    QSignalSpy ticks(otherTimer, &QTimer::timeout);
    QVERIFY(ticks.wait(1000));
    QTest::qWait(150);
    QCOMPARE(ticks.count(), 1);
    QVERIFY(!otherTimer->isActive());
}

void TestFmMainLayout::listColumns()
{
    auto* list = control<RenameListView>(*m_window, u"ListReName"_s);
    QCOMPARE(list->model()->columnCount(), 4);
    QCOMPARE(list->columnWidth(0), qRound(601 * 0.45));
    QCOMPARE(list->columnWidth(1), 0);
    QCOMPARE(list->columnWidth(2), qRound(601 * 0.38));
    // The outcome column reaches the list's right edge, so the selection highlight spans the whole row.
    QVERIFY(list->columnWidth(3) >= qRound(601 * 0.11));
    QCOMPARE(list->columnWidth(0) + list->columnWidth(2) + list->columnWidth(3), list->viewport()->width());
}

void TestFmMainLayout::chineseFontIsPinned()
{
    const QStringList families = fmMain::windowFont().families();
    QCOMPARE(families.value(0), u"宋体"_s);
    QVERIFY(families.contains(u"Noto Sans CJK SC"_s));
    QCOMPARE(control(*m_window, u"lbInfo(0)"_s)->font().families(), families);
}

void TestFmMainLayout::minimiseAndClose()
{
    auto* btMin = control<iButton>(*m_window, u"btMin"_s);
    QSignalSpy clicks(btMin, &iButton::Click);
    QTest::mouseClick(btMin, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QTRY_VERIFY(m_window->isMinimized());
    m_window->showNormal();
    QTRY_VERIFY(!m_window->isMinimized());
    QTest::mouseClick(control(*m_window, u"btClose"_s), Qt::LeftButton);
    QTRY_VERIFY(!m_window->isVisible());
}

QTEST_MAIN(TestFmMainLayout)
#include "tst_fmmain_layout.moc"
