// Tests of the plan inputs as a user types them: file-name checks, digit filters, extension field, plan tabs.
#include <QApplication>
#include <QClipboard>
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
    void refreshClosesRestoreWindow();
    void refreshOnEmptyListLeavesRestoreButton();
    void sortMenuReordersAndClosesRestore();

private:
    void addRows(const QStringList& names);
    TextBox* field(const QString& name) const;
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

TextBox* TestFmMainPlan::field(const QString& name) const
{
    const fmMain& w = *m_window;
    const std::map<QString, TextBox*> fields { { u"txtNewName1"_s, w.txtNewName1 }, { u"txtNewName2"_s, w.txtNewName2 },
        { u"txtNewNameF"_s, w.txtNewNameF }, { u"txtNewName3"_s, w.txtNewName3 }, { u"txtAdd1"_s, w.txtAdd1 },
        { u"txtAdd2"_s, w.txtAdd2 }, { u"txtReplaceOld"_s, w.txtReplaceOld }, { u"txtReplaceNew"_s, w.txtReplaceNew } };
    return fields.at(name);
}

void TestFmMainPlan::refusedCharacterTyped_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("expectedName");
    QTest::newRow("colon in prefix") << "txtNewName1"
                                     << "ab:"
                                     << "ab"
                                     << "ab1.txt";
    QTest::newRow("question mark in suffix") << "txtNewName3"
                                             << "x?"
                                             << "x"
                                             << "1x.txt";
    QTest::newRow("quote before base name") << "txtAdd1"
                                            << "\""
                                            << ""
                                            << "a.txt";
    QTest::newRow("greater-than after base name") << "txtAdd2"
                                                  << "z>"
                                                  << "z"
                                                  << "az.txt";
    QTest::newRow("star in find text") << "txtReplaceOld"
                                       << "a*"
                                       << "a"
                                       << ".txt";
    QTest::newRow("backslash in replacement") << "txtReplaceNew"
                                              << "b\\"
                                              << "b"
                                              << "a.txt";
}

void TestFmMainPlan::refusedCharacterTyped()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(QString, expectedName);
    fmMain& w = *m_window;
    addRows({ u"a.txt"_s });
    TextBox* box = this->field(field);
    if (box->parentWidget() == w.planReplace)
        w.btReplace_Click();
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
    m_window->txtNewName1->setText(u"a/b/"_s);
    QCOMPARE(m_window->txtNewName1->text(), u"ab"_s);
    QCOMPARE(m_services.warnings.size(), 1);
}

void TestFmMainPlan::pastedTwoRefusedCharacters()
{
    addRows({ u"p.png"_s });
    m_window->txtNewName1->setText(u"a:/"_s);
    QCOMPARE(m_window->txtNewName1->text(), u"a"_s);
    QCOMPARE(m_services.warnings.size(), 1); // one change, one warning
    QCOMPARE(newNames(), QStringList { u"a1.png"_s });
}

void TestFmMainPlan::refusedCharacterInMiddleRemoved()
{
    addRows({ u"p.png"_s });
    m_window->txtNewName1->setText(u"a:b"_s);
    QCOMPARE(m_window->txtNewName1->text(), u"ab"_s);
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
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QString>("newName"); // of a.txt

    const QString start = u"txtNewName2"_s;
    const QString digits = u"txtNewNameF"_s;
    const QString prefix = u"txtNewName1"_s;
    // Digit fields: every digit stays, every other character goes with one beep each.
    QTest::newRow("start: key 9") << start << Way::Key << "1" << 1 << "9"
                                  << "19" << 0 << 0 << "19.txt";
    QTest::newRow("start: keys 0 and 5") << start << Way::Key << "1" << 1 << "05"
                                         << "105" << 0 << 0 << "105.txt";
    QTest::newRow("digits: key 9") << digits << Way::Key << "" << 0 << "9"
                                   << "9" << 0 << 0 << "000000001.txt";
    QTest::newRow("start: keys x and 9") << start << Way::Key << "1" << 1 << "x9"
                                         << "19" << 1 << 0 << "19.txt";
    QTest::newRow("start: input method commits 啊")
        << start << Way::InputMethod << "1" << 1 << u"啊"_s << "1" << 1 << 0 << "1.txt";
    QTest::newRow("start: input method commits 啊 over the selected number")
        << start << Way::InputMethod << "12" << -1 << u"啊"_s << "12" << 1 << 0 << "12.txt";
    QTest::newRow("start: paste x9 over the selected number") << start << Way::Paste << "12" << -1 << "x9"
                                                              << "9" << 1 << 0 << "9.txt";
    QTest::newRow("start: input method commits 9") << start << Way::InputMethod << "1" << 1 << "9"
                                                   << "19" << 0 << 0 << "19.txt";
    QTest::newRow("start: input method commits a full-width digit")
        << start << Way::InputMethod << "1" << 1 << u"２"_s << "1" << 1 << 0 << "1.txt";
    QTest::newRow("start: paste x9 in the middle") << start << Way::Paste << "12" << 1 << "x9"
                                                   << "192" << 1 << 0 << "192.txt";
    QTest::newRow("start: paste an emoji") << start << Way::Paste << "1" << 1 << u"😀"_s << "1" << 1 << 0 << "1.txt";
    QTest::newRow("digits: paste a1b2") << digits << Way::Paste << "" << 0 << "a1b2"
                                        << "12" << 2 << 0 << "000000000001.txt";
    QTest::newRow("digits: drop 3a") << digits << Way::Drop << "" << 0 << "3a"
                                     << "3" << 1 << 0 << "001.txt";
    // Name fields: refused characters anywhere go, with one warning per change.
    QTest::newRow("prefix: key ? in the middle") << prefix << Way::Key << "ab" << 1 << "?"
                                                 << "ab" << 0 << 1 << "ab1.txt";
    QTest::newRow("prefix: input method commits 青/禾")
        << prefix << Way::InputMethod << "" << 0 << u"青/禾"_s << u"青禾"_s << 0 << 1 << u"青禾1.txt"_s;
    QTest::newRow("prefix: paste a?b/c") << prefix << Way::Paste << "" << 0 << "a?b/c"
                                         << "abc" << 0 << 1 << "abc1.txt";
    QTest::newRow("prefix: paste clean text")
        << prefix << Way::Paste << "" << 0 << u"木舟"_s << u"木舟"_s << 0 << 0 << u"木舟1.txt"_s;
    QTest::newRow("suffix: drop x|y") << u"txtNewName3"_s << Way::Drop << "" << 0 << "x|y"
                                      << "xy" << 0 << 1 << "1xy.txt";
    QTest::newRow("before name: input method commits <x>") << u"txtAdd1"_s << Way::InputMethod << "" << 0 << "<x>"
                                                           << "x" << 0 << 1 << "xa.txt";
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
    if (box->parentWidget() == m_window->planReplace)
        m_window->btReplace_Click();
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

    QCOMPARE(box->text(), after);
    QCOMPARE(m_services.beeps, beeps);
    QCOMPARE(m_services.warnings.size(), warnings);
    QCOMPARE(newNames(), QStringList { newName });
}

void TestFmMainPlan::emptyingFieldRefreshes()
{
    addRows({ u"p.png"_s });
    m_window->txtNewName3->setText(u"x"_s);
    QCOMPARE(newNames(), QStringList { u"1x.png"_s });
    m_window->txtNewName3->clear();
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
    for (bool start : { true, false }) {
        const QByteArray f = start ? "start: " : "digits: ";
        QTest::newRow(f + "digit typed") << start << "1" << 1 << QKeyCombination(Qt::Key_7) << "17" << 0;
        QTest::newRow(f + "letter swallowed") << start << "1" << 1 << QKeyCombination(Qt::Key_A) << "1" << 1;
        QTest::newRow(f + "minus swallowed") << start << "1" << 0 << QKeyCombination(Qt::Key_Minus) << "1" << 1;
        QTest::newRow(f + "backspace swallowed")
            << start << "12" << 2 << QKeyCombination(Qt::Key_Backspace) << "12" << 1;
        QTest::newRow(f + "enter beeps") << start << "12" << 2 << QKeyCombination(Qt::Key_Return) << "12" << 1;
        QTest::newRow(f + "paste swallowed")
            << start << "12" << 2 << QKeyCombination(Qt::ControlModifier, Qt::Key_V) << "12" << 1;
        QTest::newRow(f + "delete works") << start << "12" << 0 << QKeyCombination(Qt::Key_Delete) << "2" << 0;
        QTest::newRow(f + "arrows move") << start << "12" << 2 << QKeyCombination(Qt::Key_Left) << "12" << 0;
    }
}

void TestFmMainPlan::digitFields()
{
    QFETCH(bool, startField);
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QKeyCombination, key);
    QFETCH(QString, after);
    QFETCH(int, beeps);
    TextBox* box = startField ? m_window->txtNewName2 : m_window->txtNewNameF;
    box->setText(before);
    box->setFocus();
    box->deselect();
    box->setCursorPosition(cursor);
    QTest::keyClick(box, key.key(), key.keyboardModifiers());
    QCOMPARE(box->text(), after);
    QCOMPARE(m_services.beeps, beeps);
}

void TestFmMainPlan::startFieldSelectsAllOnFocus()
{
    addRows({ u"a.txt"_s, u"b.txt"_s });
    m_window->txtNewName2->setText(u"12"_s);
    m_window->ListReName->setFocus();
    m_window->txtNewName2->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_window->txtNewName2->selectedText(), u"12"_s);
    QTest::keyClick(m_window->txtNewName2, Qt::Key_5);
    QCOMPARE(m_window->txtNewName2->text(), u"5"_s);
    QCOMPARE(newNames(), (QStringList { u"5.txt"_s, u"6.txt"_s }));
}

void TestFmMainPlan::extensionField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("jpg gets a dot") << "jpg"
                                    << ".jpg" << QStringList { u"1.jpg"_s, u"2.jpg"_s };
    QTest::newRow(".jpg stays") << ".jpg"
                                << ".jpg" << QStringList { u"1.jpg"_s, u"2.jpg"_s };
    QTest::newRow("spaces before keep the text") << " png"
                                                 << ". png" << QStringList { u"1. png"_s, u"2. png"_s };
}

void TestFmMainPlan::extensionField()
{
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QStringList, names);
    addRows({ u"a.txt"_s, u"noext"_s });
    m_window->Option2->click();
    QVERIFY(m_window->txtExp->isEnabled());
    QCOMPARE(m_window->txtExp->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    m_window->txtExp->setFocus();
    QTest::keyClicks(m_window->txtExp, typed);
    QCOMPARE(m_window->txtExp->text(), field);
    QCOMPARE(m_window->txtExp->cursorPosition(), int(field.size()));
    QCOMPARE(newNames(), names);
}

void TestFmMainPlan::extensionFieldEmptiedKeepsOwnExtensions()
{
    addRows({ u"a.txt"_s, u"b.tar.gz"_s });
    m_window->Option2->click();
    m_window->txtExp->setFocus();
    QTest::keyClick(m_window->txtExp, Qt::Key_P);
    QCOMPARE(m_window->txtExp->text(), u".p"_s);
    QCOMPARE(newNames(), (QStringList { u"1.p"_s, u"2.p"_s }));
    QTest::keyClick(m_window->txtExp, Qt::Key_Backspace);
    QCOMPARE(m_window->txtExp->text(), u"."_s);
    QCOMPARE(newNames(), (QStringList { u"1.txt"_s, u"2.gz"_s }));
    QTest::keyClick(m_window->txtExp, Qt::Key_Backspace);
    QVERIFY(m_window->txtExp->text().isEmpty());
    QCOMPARE(newNames(), (QStringList { u"1.txt"_s, u"2.gz"_s }));
}

void TestFmMainPlan::keepExtensionRestoresOwnExtensions()
{
    addRows({ u"a.txt"_s, u"b.tar.gz"_s });
    m_window->Option2->click();
    m_window->txtExp->setText(u".jpg"_s);
    QCOMPARE(newNames(), (QStringList { u"1.jpg"_s, u"2.jpg"_s }));
    m_window->Option1->click();
    QVERIFY(m_window->txtExp->text().isEmpty());
    QVERIFY(!m_window->txtExp->isEnabled());
    QCOMPARE(m_window->txtExp->palette().color(QPalette::Base), QColor(239, 239, 239));
    QCOMPARE(newNames(), (QStringList { u"1.txt"_s, u"2.gz"_s }));
}

void TestFmMainPlan::switchingPlansKeepsTexts()
{
    fmMain& w = *m_window;
    addRows({ u"IMG_a.jpg"_s });
    w.txtNewName1->setText(u"青禾"_s);
    QCOMPARE(newNames(), QStringList { u"青禾1.jpg"_s });
    w.btReplace_Click();
    QVERIFY(w.planReplace->isVisible() && !w.planDIY->isVisible());
    QCOMPARE(w.btDIY->pixmap().toImage(), w.picMenu[1]->pixmap().toImage());
    QCOMPARE(w.btReplace->pixmap().toImage(), w.picMenu[2]->pixmap().toImage());
    w.txtReplaceOld->setText(u"IMG_"_s);
    w.txtAdd1->setText(u"x"_s);
    QCOMPARE(newNames(), QStringList { u"xa.jpg"_s });
    w.btDIY_Click();
    QCOMPARE(w.txtNewName1->text(), u"青禾"_s);
    QCOMPARE(newNames(), QStringList { u"青禾1.jpg"_s });
    w.btReplace_Click();
    QCOMPARE(w.txtReplaceOld->text(), u"IMG_"_s);
    QCOMPARE(newNames(), QStringList { u"xa.jpg"_s });
}

void TestFmMainPlan::refreshClosesRestoreWindow()
{
    fmMain& w = *m_window;
    addRows({ u"a.txt"_s });
    QVERIFY(w.btCallBack->isVisible());
    QVERIFY(!w.btCallBack->isEnabled());
    w.btCallBack->setEnabled(true); // as after a rename
    w.Option2->click(); // choosing "修改为：" alone keeps the restore open
    QVERIFY(w.btCallBack->isEnabled());
    w.txtNewNameF->setText(u"3"_s);
    QVERIFY(w.btCallBack->isVisible());
    QVERIFY(!w.btCallBack->isEnabled());
    QCOMPARE(newNames(), QStringList { u"001.txt"_s });
    w.btCallBack->setEnabled(true);
    w.btDIY->clicked();
    QVERIFY(!w.btCallBack->isEnabled());
}

void TestFmMainPlan::refreshOnEmptyListLeavesRestoreButton()
{
    fmMain& w = *m_window;
    w.txtNewName1->setText(u"abc"_s);
    w.btReplace_Click();
    QVERIFY(w.btCallBack->isHidden());
    w.btCallBack->show();
    w.btCallBack->setEnabled(true);
    w.RefreshNewNames();
    QVERIFY(w.btCallBack->isEnabled());
}

void TestFmMainPlan::sortMenuReordersAndClosesRestore()
{
    fmMain& w = *m_window;
    addRows({ u"file10.jpg"_s, u"file2.jpg"_s, u"File1.jpg"_s });
    w.ListReName->selectRow(0);
    w.btCallBack->setEnabled(true); // as after a rename
    QCOMPARE(w.ListReName->contextMenuPolicy(), Qt::CustomContextMenu);
    const QList<QAction*> actions = w.mnuListOrder->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->text(), u"按名称排序（自然顺序）"_s);
    QCOMPARE(actions[1]->text(), u"按修改时间排序"_s);
    actions[0]->trigger();
    QCOMPARE(w.model()->oldNames(), (QStringList { u"File1.jpg"_s, u"file2.jpg"_s, u"file10.jpg"_s }));
    QCOMPARE(newNames(), (QStringList { u"1.jpg"_s, u"2.jpg"_s, u"3.jpg"_s }));
    QCOMPARE(w.ListReName->selectedRow(), std::optional<int>(2));
    QVERIFY(!w.btCallBack->isEnabled());
}

QTEST_MAIN(TestFmMainPlan)
#include "tst_fmmain_plan.moc"
