// FakeServices: platform services that record what the window asked for and answer as a test says.
#pragma once

#include <functional>
#include <memory>

#include "app/fmmain.h"
#include "app/platformservices.h"
#include "windowcontrols.h"

class FakeServices : public PlatformServices {
public:
    struct Warning {
        QString title;
        QString text;
    };

    QList<Warning> warnings;
    int beeps = 0;
    QList<QUrl> opened;
    QStringList filesToChoose; // what the file dialog answers; empty: cancelled
    std::optional<QString> folderToChoose; // what the folder picker answers; nothing: cancelled
    QStringList dialogTitles;
    std::function<void()> onWarning; // runs while the warning box would be open
    QStringList questions;
    bool answer = true; // what the question box answers: 确定
    std::function<void()> onQuestion; // runs while the question box would be open

    void showWarning(QWidget*, const QString& title, const QString& text) override
    {
        warnings.append({ title, text });
        if (onWarning)
            onWarning();
    }
    bool askQuestion(QWidget*, const QString&, const QString& text) override
    {
        questions.append(text);
        if (onQuestion)
            onQuestion();
        return answer;
    }
    void beep() override { ++beeps; }
    void openAddress(const QUrl& address) override { opened.append(address); }
    QStringList chooseFiles(QWidget*, const QString& title, const QString&) override
    {
        dialogTitles.append(title);
        return filesToChoose;
    }
    std::optional<QString> chooseFolder(QWidget*, const QString& title) override
    {
        dialogTitles.append(title);
        return folderToChoose;
    }
};

/// A shown main window whose platform services are `services`, without the update check; its list is held to
/// the rules of item models for the window's life.
inline std::unique_ptr<fmMain> makeTestWindow(FakeServices& services)
{
    services = FakeServices();
    WindowOptions options;
    options.services = &services;
    options.checkForUpdates = false;
    auto window = std::make_unique<fmMain>(options);
    testWindowModel(*window);
    window->show();
    return window;
}
