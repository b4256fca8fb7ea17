// The executable: starts the application, adds the paths named on the command line and shows the main window.
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>

#include "app/fmmain.h"
#include "app/qttranslations.h"
#include "background/processheap.h"
#include "intake/pathintake.h"

namespace {

void describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("青禾更名器：批量更名文件。"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("PATH"),
        QStringLiteral(
            "按给出的顺序加入列表：文件夹加入其中的可见文件（同“添加文件夹”），文件加入该文件（同“添加文件”）"),
        QStringLiteral("[PATH…]"));
}

// Whether the command line only asks for the help or the version text, which needs no display.
bool asksOnlyForText(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if (arg == "--")
            return false;
        if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" || arg == "--version")
            return true;
    }
    return false;
}

void setIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("qinghe-renamer"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
}

} // namespace

int main(int argc, char* argv[])
{
    background::shareOneHeap();
    if (asksOnlyForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        setIdentity();
        installQtChinese(app);
        QCommandLineParser parser;
        describeCommandLine(parser);
        parser.process(app); // prints the text and ends the program
        return 0;
    }

    QApplication app(argc, argv);
    setIdentity();
    QApplication::setApplicationDisplayName(QStringLiteral("青禾更名器"));
    if (!installQtChinese(app))
        std::fputs("qinghe-renamer: 未找到 Qt 的简体中文翻译（qt6-translations-l10n），对话框将显示英文\n", stderr);

    // "Open with" in a file manager hands over the chosen files and folders (the desktop entry's %F).
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(app);

    fmMain window;
    const QStringList paths = parser.positionalArguments();
    if (!paths.isEmpty()) {
        // Folders are listed off the window's thread, as 添加文件夹 lists them: the window shows at once and
        // their rows arrive in the order given.
        for (const intake::SkippedPath& skipped : window.addPaths(paths)) {
            const char* why
                = skipped.reason == intake::SkippedPath::Reason::Missing ? "路径不存在" : "不是文件或文件夹";
            std::fprintf(stderr, "qinghe-renamer: %s，已跳过：%s\n", why, qUtf8Printable(skipped.path));
        }
    }
    window.show();
    return app.exec();
}
