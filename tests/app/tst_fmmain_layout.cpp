// Tests of the main window's layout and start state: places, sizes, captions, colours, focus and the timer.
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/clickablelabel.h"
#include "app/fmmain.h"
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
    void timerFiresOnce();
    void listColumns();
    void chineseFontIsPinned();
    void minimiseAndClose();

private:
    FakeServices m_services;
    std::unique_ptr<fmMain> m_window;
    QWidget* control(const QString& name) const;
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

QWidget* TestFmMainLayout::control(const QString& name) const
{
    fmMain& w = *m_window;
    const std::map<QString, QWidget*> named {
        { u"lbInfo0"_s, w.lbInfo[0] },
        { u"lbInfo1"_s, w.lbInfo[1] },
        { u"lbInfo2"_s, w.lbInfo[2] },
        { u"lbInfo3"_s, w.lbInfo[3] },
        { u"lbInfo7"_s, w.lbInfo[7] },
        { u"lbInfo8"_s, w.lbInfo[8] },
        { u"lbInfo9"_s, w.lbInfo[9] },
        { u"lbInfo12"_s, w.lbInfo[12] },
        { u"lbInfo14"_s, w.lbInfo[14] },
        { u"lbInfo15"_s, w.lbInfo[15] },
        { u"lbInfo18"_s, w.lbInfo[18] },
        { u"lbInfo21"_s, w.lbInfo[21] },
        { u"lbInfo22"_s, w.lbInfo[22] },
        { u"lbTListCount"_s, w.lbTListCount },
        { u"picLogo"_s, w.picLogo },
        { u"btDIY"_s, w.btDIY },
        { u"btReplace"_s, w.btReplace },
        { u"planDIY"_s, w.planDIY },
        { u"planReplace"_s, w.planReplace },
        { u"txtNewName1"_s, w.txtNewName1 },
        { u"txtNewName2"_s, w.txtNewName2 },
        { u"txtNewNameF"_s, w.txtNewNameF },
        { u"txtAdd2"_s, w.txtAdd2 },
        { u"txtExp"_s, w.txtExp },
        { u"Option1"_s, w.Option1 },
        { u"Option2"_s, w.Option2 },
        { u"Picture8"_s, w.Picture8 },
        { u"ListReName"_s, w.ListReName },
        { u"lbNewVersion"_s, w.lbNewVersion },
        { u"Image1"_s, w.Image1 },
        { u"Line1"_s, w.Line1 },
        { u"picMenu4"_s, w.picMenu[4] },
    };
    return named.at(name);
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

    const QColor step(215, 135, 2);
    const QColor field(64, 64, 64);
    const QColor sample(128, 128, 128);
    const QColor none;
    QTest::newRow("step 1") << "lbInfo0" << QRect(16, 36, 0, 12) << "第一步，添加文件，您可以：" << step;
    QTest::newRow("or") << "lbInfo1" << QRect(280, 36, 0, 12) << "或者" << step;
    QTest::newRow("step 2") << "lbInfo2" << QRect(16, 63, 0, 12) << "第二步，请选择一种改名格式，用来生成新的文件名："
                            << step;
    QTest::newRow("prefix caption") << "lbInfo3" << QRect(24, 16, 36, 12) << "前缀：" << field;
    QTest::newRow("sample no padding") << "lbInfo7" << QRect(296, 29, 306, 12)
                                       << "前缀“青禾”，编号从“1”开始，不补零，后缀“木舟”" << sample;
    QTest::newRow("sample result") << "lbInfo18" << QRect(296, 77, 144, 12) << "生成文件名为：青禾01木舟" << sample;
    QTest::newRow("step 3") << "lbInfo8" << QRect(16, 208, 0, 12) << "第三步，扩展名设置：" << step;
    QTest::newRow("step 4") << "lbInfo9" << QRect(16, 232, 0, 12) << "第四步，调整文件顺序(支持鼠标拖动)：" << step;
    QTest::newRow("add before") << "lbInfo12" << QRect(16, 16, 144, 12) << "添加文字：在文件名前添加" << field;
    QTest::newRow("delete hint")
        << "lbInfo14" << QRect(16, 72, 516, 12)
        << "删除文字：在替换文字选项中只填写需要替换的文字，不填写替换后文字，将实现文字删除效果。" << field;
    QTest::newRow("tip") << "lbInfo15" << QRect(16, 536, 0, 12)
                         << "小提示：使用批量更名后，在文件列表改变之前，可以使用还原功能恢复原文件名" << field;
    // The captions keep their columns and are centred in the 18-pixel strip, which a taller line would overflow.
    QTest::newRow("header old name") << "lbTListCount" << QRect(24, 0, 0, 18) << "原文件名" << QColor(63, 112, 172);
    QTest::newRow("header new name") << "lbInfo21" << QRect(278, 0, 0, 18) << "新文件名" << QColor(63, 112, 172);
    QTest::newRow("header outcome") << "lbInfo22" << QRect(506, 0, 0, 18) << "状态" << QColor(63, 112, 172);
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
    QTest::newRow("under restore") << "picMenu4" << QRect(560, 528, 52, 22) << "" << none;
}

void TestFmMainLayout::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QColor, colour);

    QWidget* widget = control(name);
    QVERIFY(widget);
    QCOMPARE(widget->pos(), geometry.topLeft());
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
}

void TestFmMainLayout::buttons()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    fmMain& w = *m_window;
    const std::map<QString, iButton*> buttons { { u"btMin"_s, w.btMin }, { u"btClose"_s, w.btClose },
        { u"btOpenFolder"_s, w.btOpenFolder }, { u"btOpenFiles"_s, w.btOpenFiles }, { u"btSelectUp"_s, w.btSelectUp },
        { u"btSelectDown"_s, w.btSelectDown }, { u"btSelectDelete"_s, w.btSelectDelete },
        { u"btListClear"_s, w.btListClear }, { u"btReName"_s, w.btReName }, { u"btCallBack"_s, w.btCallBack } };
    iButton* button = buttons.at(name);
    if (button == w.btCallBack)
        w.btCallBack->show(); // hidden at start; it sizes itself when first shown
    QCOMPARE(button->geometry(), geometry);
    QVERIFY(!button->BackPicture().isNull());
    QCOMPARE(button->BackPicture().width(), geometry.width() * 5); // five cells a strip
}

void TestFmMainLayout::startState()
{
    fmMain& w = *m_window;
    QVERIFY(w.planDIY->isVisible());
    QVERIFY(!w.planReplace->isVisible());
    QVERIFY(w.Option1->isChecked());
    QVERIFY(!w.Option2->isChecked());
    QVERIFY(!w.txtExp->isEnabled());
    QCOMPARE(w.txtExp->palette().color(QPalette::Base), QColor(239, 239, 239));
    QCOMPARE(w.txtNewName2->text(), u"1"_s);
    for (QLineEdit* empty : { w.txtNewName1, w.txtNewNameF, w.txtNewName3, w.txtReplaceOld, w.txtReplaceNew, w.txtAdd1,
             w.txtAdd2, w.txtExp })
        QVERIFY(empty->text().isEmpty());
    QCOMPARE(w.lbADR->text(), u"By 青禾木舟"_s);
    QCOMPARE(w.lbADR->geometry().right() + 1, 673); // right-aligned at its designed right edge
    QVERIFY(w.lbNewVersion->text().isEmpty());
    QVERIFY(w.btCallBack->isHidden());
    QVERIFY(w.picMenu[4]->isVisible());
    QCOMPARE(w.btDIY->pixmap().toImage(), w.picMenu[0]->pixmap().toImage());
    QCOMPARE(w.btReplace->pixmap().toImage(), w.picMenu[3]->pixmap().toImage());
    for (QLabel* holder : { w.lbTag, w.lbSoftUrl, w.lbADUR }) {
        QVERIFY(!holder->isVisible());
        QVERIFY(holder->text().isEmpty());
    }
    QCOMPARE(w.model()->rowCount(), 0);
    QCOMPARE(w.focusWidget(), static_cast<QWidget*>(w.ListReName));
    QCOMPARE(w.picLogo->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(w.lbADR->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(w.lbNewVersion->cursor().shape() != Qt::PointingHandCursor);
}

void TestFmMainLayout::focusOrder()
{
    fmMain& w = *m_window;
    const QList<QWidget*> expected { w.ListReName, w.Option1, w.Option2, w.txtExp, w.txtNewNameF, w.txtNewName3,
        w.txtNewName2, w.txtNewName1, w.txtReplaceNew, w.txtReplaceOld, w.txtAdd1, w.txtAdd2, w.btOpenFiles,
        w.btOpenFolder, w.btReName, w.btCallBack, w.btSelectUp, w.btSelectDown, w.btSelectDelete, w.btListClear,
        w.btMin, w.btClose };
    QList<QWidget*> chain;
    QWidget* current = w.ListReName;
    do {
        if (expected.contains(current))
            chain.append(current);
        current = current->nextInFocusChain();
    } while (current != w.ListReName && chain.size() <= expected.size());
    QCOMPARE(chain, expected);

    // Tab from the list reaches the keep-extension option first; only visible, enabled fields take the focus.
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.ListReName->setFocus();
    QTest::keyClick(w.ListReName, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.Option1));
}

void TestFmMainLayout::timerFiresOnce()
{
    QVERIFY(m_window->Timer1->interval() == 20);
    QTRY_VERIFY(!m_window->Timer1->isActive());
    // A fresh window: count the ticks for a while.
    WindowOptions options;
    options.services = &m_services;
    options.checkForUpdates = false;
    fmMain other(options);
    QSignalSpy ticks(other.Timer1, &QTimer::timeout);
    QVERIFY(ticks.wait(1000));
    QTest::qWait(150);
    QCOMPARE(ticks.count(), 1);
    QVERIFY(!other.Timer1->isActive());
}

void TestFmMainLayout::listColumns()
{
    RenameListView* list = m_window->ListReName;
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
    QCOMPARE(m_window->lbInfo[0]->font().families(), families);
}

void TestFmMainLayout::minimiseAndClose()
{
    QSignalSpy clicks(m_window->btMin, &iButton::Click);
    QTest::mouseClick(m_window->btMin, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QTRY_VERIFY(m_window->isMinimized());
    m_window->showNormal();
    QTRY_VERIFY(!m_window->isMinimized());
    QTest::mouseClick(m_window->btClose, Qt::LeftButton);
    QTRY_VERIFY(!m_window->isVisible());
}

QTEST_MAIN(TestFmMainLayout)
#include "tst_fmmain_layout.moc"
