// The real window opened on a folder of generated files, for the window's benchmark stages.
#pragma once

#include <memory>

#include "app/fmmain.h"

namespace bench {

/// A shown window, without the update check, whose list holds every file of `folder` (ending in "/").
inline std::unique_ptr<fmMain> windowOnFolder(const QString& folder)
{
    WindowOptions options;
    options.checkForUpdates = false;
    auto window = std::make_unique<fmMain>(options);
    window->show();
    window->addFolderRows(folder);
    return window;
}

} // namespace bench
