// Tests that Qt's own texts read in Simplified Chinese once the program has loaded Qt's translations.
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/qttranslations.h"

using namespace Qt::StringLiterals;

class TestQtTranslations : public QObject {
    Q_OBJECT

private slots:
    void qtTextsInChinese();
};

void TestQtTranslations::qtTextsInChinese()
{
    QVERIFY2(installQtChinese(*qApp), "qtbase_zh_CN.qm is missing: install qt6-translations-l10n");

    QMessageBox box(QMessageBox::Warning, u"非法字符"_s, u"x"_s, QMessageBox::Ok);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), u"确定"_s);

    QLineEdit field;
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList entries;
    for (const QAction* action : menu->actions())
        entries << action->text();
    QVERIFY2(entries.join(u'|').contains(u"粘贴"_s), qPrintable(entries.join(u'|')));

    QFileDialog dialog(nullptr, u"请选择要更名的文件"_s);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    for (const QPushButton* button : dialog.findChildren<QPushButton*>())
        labels << button->text();
    QVERIFY2(labels.contains(u"查找范围："_s) && labels.contains(u"取消"_s), qPrintable(labels.join(u'|')));
}

QTEST_MAIN(TestQtTranslations)
#include "tst_qttranslations.moc"
