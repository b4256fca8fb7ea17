// PlatformServices: the window's one door to dialogs, the beep and the browser, so tests can answer them.
#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    /// A modal warning box with the exclamation icon and one OK button; returns when it is closed.
    virtual void showWarning(QWidget* parent, const QString& title, const QString& text) = 0;
    /// A modal question box with 确定 and 取消 (Esc: 取消); true when 确定 was chosen.
    virtual bool askQuestion(QWidget* parent, const QString& title, const QString& text) = 0;
    /// The system beep.
    virtual void beep() = 0;
    /// Opens a web address in the user's browser.
    virtual void openAddress(const QUrl& address) = 0;
    /// A multi-select dialog for existing files; the chosen absolute paths, empty when cancelled.
    virtual QStringList chooseFiles(QWidget* parent, const QString& title, const QString& filter) = 0;
    /// A folder picker; the chosen folder's path, or nothing when cancelled.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title) = 0;
};

/// The real services: QMessageBox, QApplication::beep, QDesktopServices and QFileDialog.
class QtPlatformServices : public PlatformServices {
public:
    /// Keeps Qt's dialogs from writing their history to disk: the program writes no files of its own.
    QtPlatformServices();

    /// Whether files in `folder` can be renamed (the folder takes writes); the file dialog refuses the others.
    std::function<bool(const QString& folder)> folderTakesRenames;

    void showWarning(QWidget* parent, const QString& title, const QString& text) override;
    bool askQuestion(QWidget* parent, const QString& title, const QString& text) override;
    void beep() override;
    void openAddress(const QUrl& address) override;
    QStringList chooseFiles(QWidget* parent, const QString& title, const QString& filter) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title) override;
};
