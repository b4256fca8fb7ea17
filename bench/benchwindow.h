// The real window opened on generated files, for the window's benchmark stages.
#pragma once

#include <memory>

#include <QSignalSpy>
#include <QTemporaryDir>

#include "app/fmmain.h"
#include "app/platformservices.h"
#include "benchfiles.h"
#include "benchnames.h"
#include "controls.h"
#include "widgets/ibutton/ibutton.h"

namespace bench {

/// Answers the file dialog and the folder picker with what the stage chose.
class ChosenFiles : public QtPlatformServices {
public:
    QStringList files;
    QString folder;
    QStringList chooseFiles(QWidget*, const QString&, const QString&) override { return files; }
    std::optional<QString> chooseFolder(QWidget*, const QString&) override { return folder; }
};

/// The stages find the window's controls as the tests do.
using ::control;

/// Clicks `button` ("btOpenFolder" or "btOpenFiles") and waits until its rows are in the list: a folder is
/// listed off the window's thread.
inline void clickAndWaitForRows(fmMain& window, const char* button)
{
    QSignalSpy added(&window, &fmMain::foldersAdded);
    control<iButton>(window, button)->Click(); // what a click on the button runs
    if (window.isAddingFolders() && !added.wait(600000))
        qFatal("benchmark: the folder's rows never arrived");
}

/// A shown window, without the update check, whose list holds what `services` answers to a click on
/// `button` ("btOpenFolder" or "btOpenFiles"); `services` must outlive the window.
inline std::unique_ptr<fmMain> windowWith(ChosenFiles& services, const char* button)
{
    WindowOptions options;
    options.checkForUpdates = false;
    options.services = &services;
    auto window = std::make_unique<fmMain>(options);
    window->show();
    clickAndWaitForRows(*window, button);
    return window;
}

/// A temporary folder of `files` realistic names, and a window whose list holds them all (added as the
/// folder picker adds a folder).
class FilledWindow {
public:
    explicit FilledWindow(int files)
    {
        if (!m_dir.isValid())
            qFatal("benchmark: no temporary folder");
        m_services.folder = m_dir.path() + QLatin1Char('/');
        createEmptyFiles(m_services.folder, realisticNames(files));
        m_window = windowWith(m_services, "btOpenFolder");
    }

    fmMain& window() { return *m_window; }

private:
    QTemporaryDir m_dir;
    ChosenFiles m_services;
    std::unique_ptr<fmMain> m_window;
};

} // namespace bench
