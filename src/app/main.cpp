// The executable: starts the application and shows the main window.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("青禾更名器"));
    window.resize(680, 580);
    window.show();
    return app.exec();
}
