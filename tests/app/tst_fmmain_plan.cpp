// Tests of the plan inputs as a user types them: file-name checks, digit filters, extension field, plan tabs.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QRadioButton>
#include <QTest>

#include "app/clickablelabel.h"
#include "app/fmmain.h"
#include "app/renamelistview.h"
#include "app/textbox.h"
#include "fakeservices.h"
#include "rename/renamelist.h"
#include "widgets/ibutton/ibutton.h"

using namespace Qt::StringLiterals;

class TestFmMainPlan : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void refusedCharacterTyped_data();
    void refusedCharacterTyped();
    void everyOccurrenceRemoved();
    void pastedTwoRefusedCharacters();
    void refusedCharacterInMiddleRemoved();
    void textArrives_data();
    void textArrives();
    void emptyingFieldRefreshes();
    void digitFields_data();
    void digitFields();
    void startFieldSelectsAllOnFocus();
    void extensionField_data();
    void extensionField();
    void extensionFieldEmptiedKeepsOwnExtensions();
    void keepExtensionRestoresOwnExtensions();
    void switchingPlansKeepsTexts();
    void planKeys_data();
    void planKeys();
    void refreshClosesRestoreWindow();
    void refreshOnEmptyListLeavesRestoreButton();
    void sortMenuReordersAndClosesRestore();

private:
    void addRows(const QStringList& names);
    TextBox* field(const QString& name) const { return control<TextBox>(*m_window, name); }
    /// Clicks the tab of the replace plan when `box` lies on that plan's panel; `box` is shown afterwards.
    void showPanelOf(const TextBox* box);
    QStringList newNames() const { return m_window->model()->newNames(); }

    FakeServices m_services;
    std::unique_ptr<fmMain> m_window;
};

void TestFmMainPlan::init()
{
    m_window = makeTestWindow(m_services);
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestFmMainPlan::cleanup()
{
    m_window.reset();
}

void TestFmMainPlan::addRows(const QStringList& names)
{
    for (const QString& name : names)
        m_window->model()->append(name, u"/tmp/photos/"_s);
    m_window->RefreshNewNames();
}

void TestFmMainPlan::showPanelOf(const TextBox* box)
{
    if (box->parentWidget() == control(*m_window, u"planReplace"_s))
        clickControl(*m_window, u"btReplace"_s);
    QVERIFY(box->isVisible()); // a user types only into a field that is shown
}

void TestFmMainPlan::refusedCharacterTyped_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("expectedName");
    // clang-format off
    QTest::newRow("colon in prefix") << "txtNewName1" << "ab:" << "ab" << "ab1.txt";
    QTest::newRow("question mark in suffix") << "txtNewName3" << "x?" << "x" << "1x.txt";
    QTest::newRow("quote before base name") << "txtAdd1" << "\"" << "" << "a.txt";
    QTest::newRow("greater-than after base name") << "txtAdd2" << "z>" << "z" << "az.txt";
    QTest::newRow("star in find text") << "txtReplaceOld" << "a*" << "a" << ".txt";
    QTest::newRow("backslash in replacement") << "txtReplaceNew" << "b\\" << "b" << "a.txt";
    // clang-format on
}

void TestFmMainPlan::refusedCharacterTyped()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(QString, expectedName);
    addRows({ u"a.txt"_s });
    TextBox* box = this->field(field);
    showPanelOf(box);
    box->setFocus();
    m_services.onWarning = [box] { box->setCursorPosition(0); }; // the caret wandered while the box was open
    QTest::keyClicks(box, typed);

    QCOMPARE(box->text(), expected);
    QCOMPARE(m_services.warnings.size(), 1);
    QCOMPARE(m_services.warnings[0].title, u"非法字符"_s);
    QCOMPARE(m_services.warnings[0].text, u"文件名中不能包含以下字符:\r\n      \\/|:*?\"<>"_s);
    QCOMPARE(box->cursorPosition(), int(expected.size()));
    QCOMPARE(newNames(), QStringList { expectedName });
}

void TestFmMainPlan::everyOccurrenceRemoved()
{
    TextBox* prefix = field(u"txtNewName1"_s);
    prefix->setText(u"a/b/"_s);
    QCOMPARE(prefix->text(), u"ab"_s);
    QCOMPARE(m_services.warnings.size(), 1);
}

void TestFmMainPlan::pastedTwoRefusedCharacters()
{
    addRows({ u"p.png"_s });
    TextBox* prefix = field(u"txtNewName1"_s);
    prefix->setText(u"a:/"_s);
    QCOMPARE(prefix->text(), u"a"_s);
    QCOMPARE(m_services.warnings.size(), 1); // one change, one warning
    QCOMPARE(newNames(), QStringList { u"a1.png"_s });
}

void TestFmMainPlan::refusedCharacterInMiddleRemoved()
{
    addRows({ u"p.png"_s });
    TextBox* prefix = field(u"txtNewName1"_s);
    prefix->setText(u"a:b"_s);
    QCOMPARE(prefix->text(), u"ab"_s);
    QCOMPARE(m_services.warnings.size(), 1);
    QCOMPARE(newNames(), QStringList { u"ab1.png"_s });
}

enum class Way { Key, InputMethod, Paste, Drop };

void TestFmMainPlan::textArrives_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor"); // -1: the whole text selected
    QTest::addColumn<QString>("arriving");
    QTest::addColumn<QString>("after"); // a ^ marks where the caret must be
    QTest::addColumn<int>("beeps");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QString>("newName"); // of a.txt

    // clang-format off
    const QString start = u"txtNewName2"_s;
    const QString digits = u"txtNewNameF"_s;
    const QString prefix = u"txtNewName1"_s;
    // Digit fields: every digit stays, every other character goes with one beep each.
    QTest::newRow("start: key 9") << start << Way::Key << "1" << 1 << "9" << "19" << 0 << 0 << "19.txt";
    QTest::newRow("start: keys 0 and 5") << start << Way::Key << "1" << 1 << "05" << "105" << 0 << 0 << "105.txt";
    QTest::newRow("digits: key 9") << digits << Way::Key << "" << 0 << "9" << "9" << 0 << 0 << "000000001.txt";
    QTest::newRow("start: keys x and 9") << start << Way::Key << "1" << 1 << "x9" << "19" << 1 << 0 << "19.txt";
    QTest::newRow("start: input method commits 啊") << start << Way::InputMethod << "1" << 1 << u"啊"_s << "1" << 1 << 0 << "1.txt";
    QTest::newRow("start: input method commits 啊 over the selected number") << start << Way::InputMethod << "12" << -1 << u"啊"_s << "12" << 1 << 0 << "12.txt";
    QTest::newRow("start: paste x9 over the selected number") << start << Way::Paste << "12" << -1 << "x9" << "9" << 1 << 0 << "9.txt";
    QTest::newRow("start: input method commits 9") << start << Way::InputMethod << "1" << 1 << "9" << "19" << 0 << 0 << "19.txt";
    QTest::newRow("start: input method commits a full-width digit") << start << Way::InputMethod << "1" << 1 << u"２"_s << "1" << 1 << 0 << "1.txt";
    QTest::newRow("start: paste x9 in the middle") << start << Way::Paste << "12" << 1 << "x9" << "19^2" << 1 << 0 << "192.txt";
    QTest::newRow("start: paste an emoji") << start << Way::Paste << "1" << 1 << u"😀"_s << "1" << 1 << 0 << "1.txt";
    QTest::newRow("digits: paste a1b2") << digits << Way::Paste << "" << 0 << "a1b2" << "12" << 2 << 0 << "000000000001.txt";
    QTest::newRow("digits: drop 3a") << digits << Way::Drop << "" << 0 << "3a" << "3" << 1 << 0 << "001.txt";
    // Name fields: refused characters anywhere go, with one warning per change.
    QTest::newRow("prefix: key ? in the middle") << prefix << Way::Key << "ab" << 1 << "?" << "ab" << 0 << 1 << "ab1.txt";
    QTest::newRow("prefix: input method commits 青/禾") << prefix << Way::InputMethod << "" << 0 << u"青/禾"_s << u"青禾"_s << 0 << 1 << u"青禾1.txt"_s;
    QTest::newRow("prefix: paste a?b/c") << prefix << Way::Paste << "" << 0 << "a?b/c" << "abc" << 0 << 1 << "abc1.txt";
    QTest::newRow("prefix: paste a?b in the middle") << prefix << Way::Paste << "xy" << 1 << "a?b" << "xaby^" << 0 << 1 << "xaby1.txt"; // the caret goes to the end, as after the warning
    QTest::newRow("prefix: paste clean text") << prefix << Way::Paste << "" << 0 << u"木舟"_s << u"木舟"_s << 0 << 0 << u"木舟1.txt"_s;
    QTest::newRow("suffix: drop x|y") << u"txtNewName3"_s << Way::Drop << "" << 0 << "x|y" << "xy" << 0 << 1 << "1xy.txt";
    QTest::newRow("before name: input method commits <x>") << u"txtAdd1"_s << Way::InputMethod << "" << 0 << "<x>" << "x" << 0 << 1 << "xa.txt";
    // clang-format on
}

void TestFmMainPlan::textArrives()
{
    QFETCH(QString, field);
    QFETCH(Way, way);
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QString, arriving);
    QFETCH(QString, after);
    QFETCH(int, beeps);
    QFETCH(int, warnings);
    QFETCH(QString, newName);
    addRows({ u"a.txt"_s });
    TextBox* box = this->field(field);
    showPanelOf(box);
    box->setText(before);
    box->setFocus();
    box->deselect();
    if (cursor < 0)
        box->selectAll();
    else
        box->setCursorPosition(cursor);

    switch (way) {
    case Way::Key:
        QTest::keyClicks(box, arriving);
        break;
    case Way::InputMethod: {
        QInputMethodEvent commit;
        commit.setCommitString(arriving);
        QApplication::sendEvent(box, &commit);
        break;
    }
    case Way::Paste:
        QGuiApplication::clipboard()->setText(arriving);
        box->paste(); // what the field's context menu does
        break;
    case Way::Drop: {
        QMimeData data;
        data.setText(arriving);
        QDropEvent drop(
            QPointF(box->width() - 2, box->height() / 2.0), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the field: outside a real drag, the application would not route a drop to it.
        static_cast<QObject*>(box)->event(&drop);
        break;
    }
    }

    if (const qsizetype caret = after.indexOf(u'^'); caret >= 0) {
        after.remove(caret, 1);
        QCOMPARE(box->cursorPosition(), caret);
    }
    QCOMPARE(box->text(), after);
    QCOMPARE(m_services.beeps, beeps);
    QCOMPARE(m_services.warnings.size(), warnings);
    QCOMPARE(newNames(), QStringList { newName });
}

void TestFmMainPlan::emptyingFieldRefreshes()
{
    addRows({ u"p.png"_s });
    TextBox* suffix = field(u"txtNewName3"_s);
    suffix->setText(u"x"_s);
    QCOMPARE(newNames(), QStringList { u"1x.png"_s });
    suffix->clear();
    QCOMPARE(newNames(), QStringList { u"1.png"_s });
}

void TestFmMainPlan::digitFields_data()
{
    QTest::addColumn<bool>("startField");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("beeps");
    // clang-format off
    for (bool start : { true, false }) {
        const QByteArray f = start ? "start: " : "digits: ";
        QTest::newRow(f + "digit typed") << start << "1" << 1 << QKeyCombination(Qt::Key_7) << "17" << 0;
        QTest::newRow(f + "letter swallowed") << start << "1" << 1 << QKeyCombination(Qt::Key_A) << "1" << 1;
        QTest::newRow(f + "minus swallowed") << start << "1" << 0 << QKeyCombination(Qt::Key_Minus) << "1" << 1;
        QTest::newRow(f + "backspace swallowed") << start << "12" << 2 << QKeyCombination(Qt::Key_Backspace) << "12" << 1;
        QTest::newRow(f + "enter beeps") << start << "12" << 2 << QKeyCombination(Qt::Key_Return) << "12" << 1;
        QTest::newRow(f + "paste swallowed") << start << "12" << 2 << QKeyCombination(Qt::ControlModifier, Qt::Key_V) << "12" << 1;
        QTest::newRow(f + "delete works") << start << "12" << 0 << QKeyCombination(Qt::Key_Delete) << "2" << 0;
        QTest::newRow(f + "arrows move") << start << "12" << 2 << QKeyCombination(Qt::Key_Left) << "12" << 0;
    }
    // clang-format on
}

void TestFmMainPlan::digitFields()
{
    QFETCH(bool, startField);
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QKeyCombination, key);
    QFETCH(QString, after);
    QFETCH(int, beeps);
    TextBox* box = field(startField ? u"txtNewName2"_s : u"txtNewNameF"_s);
    box->setText(before);
    box->setFocus();
    box->deselect();
    box->setCursorPosition(cursor);
    QTest::keyClick(box, key.key(), key.keyboardModifiers());
    if (const qsizetype caret = after.indexOf(u'^'); caret >= 0) {
        after.remove(caret, 1);
        QCOMPARE(box->cursorPosition(), caret);
    }
    QCOMPARE(box->text(), after);
    QCOMPARE(m_services.beeps, beeps);
}

void TestFmMainPlan::startFieldSelectsAllOnFocus()
{
    addRows({ u"a.txt"_s, u"b.txt"_s });
    TextBox* start = field(u"txtNewName2"_s);
    start->setText(u"12"_s);
    control(*m_window, u"ListReName"_s)->setFocus();
    start->setFocus(Qt::TabFocusReason);
    QCOMPARE(start->selectedText(), u"12"_s);
    QTest::keyClick(start, Qt::Key_5);
    QCOMPARE(start->text(), u"5"_s);
    QCOMPARE(newNames(), (QStringList { u"5.txt"_s, u"6.txt"_s }));
}

void TestFmMainPlan::extensionField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("names");
    // clang-format off
    QTest::newRow("jpg gets a dot") << "jpg" << ".jpg" << QStringList { u"1.jpg"_s, u"2.jpg"_s };
    QTest::newRow(".jpg stays") << ".jpg" << ".jpg" << QStringList { u"1.jpg"_s, u"2.jpg"_s };
    QTest::newRow("spaces before keep the text") << " png" << ". png" << QStringList { u"1. png"_s, u"2. png"_s };
    // clang-format on
}

void TestFmMainPlan::extensionField()
{
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QStringList, names);
    auto* txtExp = this->field(u"txtExp"_s);
    addRows({ u"a.txt"_s, u"noext"_s });
    clickControl(*m_window, u"Option2"_s);
    QVERIFY(txtExp->isEnabled());
    QCOMPARE(txtExp->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    txtExp->setFocus();
    QTest::keyClicks(txtExp, typed);
    QCOMPARE(txtExp->text(), field);
    QCOMPARE(txtExp->cursorPosition(), int(field.size()));
    QCOMPARE(newNames(), names);
}

void TestFmMainPlan::extensionFieldEmptiedKeepsOwnExtensions()
{
    auto* txtExp = field(u"txtExp"_s);
    addRows({ u"a.txt"_s, u"b.tar.gz"_s });
    clickControl(*m_window, u"Option2"_s);
    txtExp->setFocus();
    QTest::keyClick(txtExp, Qt::Key_P);
    QCOMPARE(txtExp->text(), u".p"_s);
    QCOMPARE(newNames(), (QStringList { u"1.p"_s, u"2.p"_s }));
    QTest::keyClick(txtExp, Qt::Key_Backspace);
    QCOMPARE(txtExp->text(), u"."_s);
    QCOMPARE(newNames(), (QStringList { u"1.txt"_s, u"2.gz"_s }));
    QTest::keyClick(txtExp, Qt::Key_Backspace);
    QVERIFY(txtExp->text().isEmpty());
    QCOMPARE(newNames(), (QStringList { u"1.txt"_s, u"2.gz"_s }));
}

void TestFmMainPlan::keepExtensionRestoresOwnExtensions()
{
    auto* txtExp = field(u"txtExp"_s);
    addRows({ u"a.txt"_s, u"b.tar.gz"_s });
    clickControl(*m_window, u"Option2"_s);
    txtExp->setText(u".jpg"_s);
    QCOMPARE(newNames(), (QStringList { u"1.jpg"_s, u"2.jpg"_s }));
    clickControl(*m_window, u"Option1"_s);
    QVERIFY(txtExp->text().isEmpty());
    QVERIFY(!txtExp->isEnabled());
    QCOMPARE(txtExp->palette().color(QPalette::Base), QColor(239, 239, 239));
    QCOMPARE(newNames(), (QStringList { u"1.txt"_s, u"2.gz"_s }));
}

void TestFmMainPlan::switchingPlansKeepsTexts()
{
    fmMain& w = *m_window;
    auto* prefix = field(u"txtNewName1"_s);
    auto* find = field(u"txtReplaceOld"_s);
    auto* btDIY = control<ClickableLabel>(w, u"btDIY"_s);
    auto* btReplace = control<ClickableLabel>(w, u"btReplace"_s);
    const auto picMenu = [&w](int i) { return control<QLabel>(w, u"picMenu(%1)"_s.arg(i)); };
    addRows({ u"IMG_a.jpg"_s });
    prefix->setText(u"青禾"_s);
    QCOMPARE(newNames(), QStringList { u"青禾1.jpg"_s });
    QTest::mouseClick(btReplace, Qt::LeftButton);
    QVERIFY(control(w, u"planReplace"_s)->isVisible() && !control(w, u"planDIY"_s)->isVisible());
    QCOMPARE(btDIY->pixmap().toImage(), picMenu(1)->pixmap().toImage());
    QCOMPARE(btReplace->pixmap().toImage(), picMenu(2)->pixmap().toImage());
    find->setText(u"IMG_"_s);
    field(u"txtAdd1"_s)->setText(u"x"_s);
    QCOMPARE(newNames(), QStringList { u"xa.jpg"_s });
    QTest::mouseClick(btDIY, Qt::LeftButton);
    QCOMPARE(prefix->text(), u"青禾"_s);
    QCOMPARE(newNames(), QStringList { u"青禾1.jpg"_s });
    QTest::mouseClick(btReplace, Qt::LeftButton);
    QCOMPARE(find->text(), u"IMG_"_s);
    QCOMPARE(newNames(), QStringList { u"xa.jpg"_s });
}

// The keyboard switches plans as the tab pictures do: Ctrl+Tab and its kin anywhere in the window, the arrow
// keys on the focused tab. The focus follows the tab only when it was on a tab.
void TestFmMainPlan::planKeys_data()
{
    QTest::addColumn<QString>("focus"); // the control the keys are pressed on
    QTest::addColumn<QList<QKeyCombination>>("keys");
    QTest::addColumn<QString>("shown"); // the plan panel shown afterwards
    QTest::addColumn<QString>("focusAfter");

    // clang-format off
    const QKeyCombination ctrlTab(Qt::ControlModifier, Qt::Key_Tab);
    QTest::newRow("Ctrl+Tab in the list") << "ListReName" << QList { ctrlTab } << "planReplace" << "ListReName";
    QTest::newRow("Ctrl+PageDown in the list") << "ListReName" << QList { QKeyCombination(Qt::ControlModifier, Qt::Key_PageDown) } << "planReplace" << "ListReName";
    QTest::newRow("Ctrl+Tab twice") << "ListReName" << QList { ctrlTab, ctrlTab } << "planDIY" << "ListReName";
    QTest::newRow("Ctrl+Shift+Tab in the suffix field") << "txtNewName3" << QList { QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Backtab) } << "planReplace" << "btReplace"; // the field went with its plan: the focus goes to the tab shown
    QTest::newRow("Ctrl+PageDown on 开始更名") << "btReName" << QList { QKeyCombination(Qt::ControlModifier, Qt::Key_PageDown) } << "planReplace" << "btReName";
    QTest::newRow("Ctrl+PageUp on an extension option") << "Option1" << QList { QKeyCombination(Qt::ControlModifier, Qt::Key_PageUp) } << "planReplace" << "Option1";
    QTest::newRow("Right on the numbering tab") << "btDIY" << QList { QKeyCombination(Qt::Key_Right) } << "planReplace" << "btReplace";
    QTest::newRow("Left on the numbering tab wraps") << "btDIY" << QList { QKeyCombination(Qt::Key_Left) } << "planReplace" << "btReplace";
    QTest::newRow("Right, then Home") << "btDIY" << QList { QKeyCombination(Qt::Key_Right), QKeyCombination(Qt::Key_Home) } << "planDIY" << "btDIY";
    QTest::newRow("Ctrl+Tab on the numbering tab") << "btDIY" << QList { ctrlTab } << "planReplace" << "btReplace";
    QTest::newRow("Space on the numbering tab") << "btDIY" << QList { QKeyCombination(Qt::Key_Space) } << "planDIY" << "btDIY";
    QTest::newRow("Tab from the numbering tab") << "btDIY" << QList { QKeyCombination(Qt::Key_Tab) } << "planDIY" << "txtNewNameF";
    QTest::newRow("Right on the list moves no plan") << "ListReName" << QList { QKeyCombination(Qt::Key_Right) } << "planDIY" << "ListReName";
    // clang-format on
}

void TestFmMainPlan::planKeys()
{
    QFETCH(QString, focus);
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(QString, shown);
    QFETCH(QString, focusAfter);

    fmMain& w = *m_window;
    addRows({ u"a.txt"_s });
    QWidget* target = control(w, focus);
    target->setFocus();
    QCOMPARE(QApplication::focusWidget(), target);
    for (const QKeyCombination key : keys)
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    QVERIFY(control(w, shown)->isVisible());
    QVERIFY(!control(w, shown == u"planDIY"_s ? u"planReplace"_s : u"planDIY"_s)->isVisible());
    QCOMPARE(newNames(), QStringList { shown == u"planDIY"_s ? u"1.txt"_s : u"a.txt"_s });
    QCOMPARE(QApplication::focusWidget(), control(w, focusAfter));
}

void TestFmMainPlan::refreshClosesRestoreWindow()
{
    fmMain& w = *m_window;
    auto* btCallBack = control<iButton>(w, u"btCallBack"_s);
    addRows({ u"a.txt"_s });
    QVERIFY(btCallBack->isVisible());
    QVERIFY(!btCallBack->isEnabled());
    btCallBack->setEnabled(true); // as after a rename
    clickControl(w, u"Option2"_s); // choosing "修改为：" alone keeps the restore open
    QVERIFY(btCallBack->isEnabled());
    field(u"txtNewNameF"_s)->setText(u"3"_s);
    QVERIFY(btCallBack->isVisible());
    QVERIFY(!btCallBack->isEnabled());
    QCOMPARE(newNames(), QStringList { u"001.txt"_s });
    btCallBack->setEnabled(true);
    clickControl(w, u"btDIY"_s);
    QVERIFY(!btCallBack->isEnabled());
}

void TestFmMainPlan::refreshOnEmptyListLeavesRestoreButton()
{
    fmMain& w = *m_window;
    auto* btCallBack = control<iButton>(w, u"btCallBack"_s);
    field(u"txtNewName1"_s)->setText(u"abc"_s);
    clickControl(w, u"btReplace"_s);
    QVERIFY(btCallBack->isHidden());
    btCallBack->show();
    btCallBack->setEnabled(true);
    w.RefreshNewNames();
    QVERIFY(btCallBack->isEnabled());
}

void TestFmMainPlan::sortMenuReordersAndClosesRestore()
{
    fmMain& w = *m_window;
    auto* list = control<RenameListView>(w, u"ListReName"_s);
    auto* btCallBack = control<iButton>(w, u"btCallBack"_s);
    auto* menu = control<QMenu>(w, u"mnuListOrder"_s);
    addRows({ u"file10.jpg"_s, u"file2.jpg"_s, u"File1.jpg"_s });
    list->selectRow(0);
    btCallBack->setEnabled(true); // as after a rename
    QCOMPARE(list->contextMenuPolicy(), Qt::CustomContextMenu);
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->text(), u"按名称排序（自然顺序）"_s);
    QCOMPARE(actions[1]->text(), u"按修改时间排序"_s);
    // A right click on the list opens the menu where the pointer is; a click on its first line sorts.
    const QPoint point = list->visualRect(w.model()->index(1, 0)).center();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, point, list->viewport()->mapToGlobal(point));
    QCoreApplication::sendEvent(list->viewport(), &rightClick);
    QTRY_VERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(actions[0]).center());
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(w.model()->oldNames(), (QStringList { u"File1.jpg"_s, u"file2.jpg"_s, u"file10.jpg"_s }));
    QCOMPARE(newNames(), (QStringList { u"1.jpg"_s, u"2.jpg"_s, u"3.jpg"_s }));
    QCOMPARE(list->selectedRow(), std::optional<int>(2));
    QVERIFY(!btCallBack->isEnabled());
}

QTEST_MAIN(TestFmMainPlan)
#include "tst_fmmain_plan.moc"
