// The real platform services of the window.
#include "app/platformservices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

void QtPlatformServices::showWarning(QWidget* parent, const QString& title, const QString& text)
{
    // Messages carry Windows-style line breaks; Qt lays out a line break as a plain "\n".
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox::warning(parent, title, shown, QMessageBox::Ok);
}

bool QtPlatformServices::askQuestion(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.setEscapeButton(box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole));
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

void QtPlatformServices::beep()
{
    QApplication::beep();
}

void QtPlatformServices::openAddress(const QUrl& address)
{
    QDesktopServices::openUrl(address);
}

QStringList QtPlatformServices::chooseFiles(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileNames(parent, title, QString(), filter);
}

std::optional<QString> QtPlatformServices::chooseFolder(QWidget* parent, const QString& title)
{
    const QString folder = QFileDialog::getExistingDirectory(parent, title, QString(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}
