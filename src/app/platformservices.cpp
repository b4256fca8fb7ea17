// The real platform services of the window.
#include "app/platformservices.h"

#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
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

namespace {

// The open-file dialog refuses what the program could not rename, as it refuses a file that is not there:
// with a message over the dialog, which stays open for another choice.
class RenamableFilesDialog : public QFileDialog {
public:
    RenamableFilesDialog(
        QWidget* parent, const QString& title, const QString& filter, std::function<bool(const QString&)> takesRenames)
        : QFileDialog(parent, title, QString(), filter)
        , m_takesRenames(std::move(takesRenames))
    {
        setFileMode(QFileDialog::ExistingFiles);
        setAcceptMode(QFileDialog::AcceptOpen);
        // A desktop's own dialog would close before the program could refuse a file.
        setOption(QFileDialog::DontUseNativeDialog);
    }

    void accept() override
    {
        for (const QString& path : selectedFiles()) {
            if (QFileInfo(path).isFile() && !m_takesRenames(QFileInfo(path).absolutePath())) {
                QMessageBox::warning(this, windowTitle(),
                    QStringLiteral("%1\n这个文件所在的文件夹不允许写入，无法为其中的文件更名。\n请选择其他文件。")
                        .arg(QDir::toNativeSeparators(path)));
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    std::function<bool(const QString&)> m_takesRenames;
};

bool folderTakesWrites(const QString& folder)
{
    // Renaming a file writes its folder; searching it is needed to reach the file at all.
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

QtPlatformServices::QtPlatformServices()
    : folderTakesRenames(folderTakesWrites)
{
    // Qt's file dialogs keep their history and last folder in the user's settings; a path where no file
    // can be made keeps them from writing anything (they then start with no history).
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
}

QStringList QtPlatformServices::chooseFiles(QWidget* parent, const QString& title, const QString& filter)
{
    RenamableFilesDialog dialog(parent, title, filter, folderTakesRenames);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

std::optional<QString> QtPlatformServices::chooseFolder(QWidget* parent, const QString& title)
{
    const QString folder = QFileDialog::getExistingDirectory(parent, title, QString(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}
