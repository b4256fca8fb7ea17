// The real window opened on generated files, for the window's benchmark stages.
#pragma once

#include <memory>

#include "app/fmmain.h"
#include "app/platformservices.h"
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

/// The control of `window` named `name` as the window's design names it.
template <typename T> T* control(const fmMain& window, const char* name)
{
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("benchmark: the window has no control %s", name);
    return found;
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
    control<iButton>(*window, button)->Click(); // what a click on the button runs
    return window;
}

/// windowWith the folder picker answering `folder` (ending in "/"): every file of it in the list.
inline std::unique_ptr<fmMain> windowOnFolder(ChosenFiles& services, const QString& folder)
{
    services.folder = folder;
    return windowWith(services, "btOpenFolder");
}

} // namespace bench
