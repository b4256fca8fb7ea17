// The executable: starts the application and shows the main window.
#include <QApplication>

#include "app/fmmain.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qinghe-renamer"));
    QApplication::setApplicationDisplayName(QStringLiteral("青禾更名器"));
    fmMain window;
    window.show();
    return app.exec();
}
