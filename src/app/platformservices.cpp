// The real platform services of the window.
#include "app/platformservices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

void QtPlatformServices::showWarning(QWidget* parent, const QString& title, const QString& text)
{
    // Messages carry Windows-style line breaks; Qt lays out a line break as a plain "\n".
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox::warning(parent, title, shown, QMessageBox::Ok);
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
