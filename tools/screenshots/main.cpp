// Renders the main window in five states to PNG files, for the README: just opened, filled, after a rename,
// a list with rows that could not be renamed, a rename cancelled half way; and the file dialog of 添加文件 as
// Qt shows it with its Chinese texts.
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTimer>

#include "app/fmmain.h"
#include "app/platformservices.h"
#include "app/qttranslations.h"
#include "app/renamelistview.h"
#include "app/textbox.h"
#include "controls.h"
#include "widgets/ibutton/ibutton.h"

namespace {

// Answers the folder picker with the sample folder and opens nothing.
class SampleServices : public QtPlatformServices {
public:
    QString folder;
    QStringList files;
    std::optional<QString> chooseFolder(QWidget*, const QString&) override { return folder; }
    QStringList chooseFiles(QWidget*, const QString&, const QString&) override { return files; }
    void openAddress(const QUrl&) override { }
};

bool save(QWidget& window, const QString& path)
{
    QApplication::processEvents();
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The dialog 添加文件 opens, on the sample folder, once it has listed the folder.
bool saveFileDialog(QWidget& window, const QString& folder, const QString& path)
{
    QFileDialog dialog(&window, QStringLiteral("请选择要更名的文件"), folder, QStringLiteral("所有文件(*)"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::DontUseNativeDialog); // the same dialog on every desktop
    QEventLoop listed;
    if (auto* files = dialog.findChild<QFileSystemModel*>())
        QObject::connect(files, &QFileSystemModel::directoryLoaded, &listed, &QEventLoop::quit);
    QTimer::singleShot(5000, &listed, &QEventLoop::quit); // never wait for ever
    dialog.show();
    listed.exec();
    return save(dialog, path);
}

bool writeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(path.toUtf8()) > 0;
}

// The pass runs off the window's thread: waits until its outcomes are in the list.
void renameAndWait(fmMain& window)
{
    QEventLoop loop;
    QObject::connect(&window, &fmMain::passFinished, &loop, &QEventLoop::quit);
    control<iButton>(window, "btReName")->Click(); // what a click on the button runs
    if (window.isPassRunning())
        loop.exec();
}

// A folder is listed off the window's thread: clicks 添加文件夹, then waits for its rows.
void addFolderAndWait(fmMain& window)
{
    QEventLoop loop;
    QObject::connect(&window, &fmMain::foldersAdded, &loop, &QEventLoop::quit);
    control<iButton>(window, "btOpenFolder")->Click();
    if (window.isAddingFolders())
        loop.exec();
}

// The marks of rows that would fail are judged off the window's thread: makes a change, then waits for them.
template <typename Change> void changeAndWaitForMarks(fmMain& window, Change change)
{
    QEventLoop loop;
    QObject::connect(&window, &fmMain::newNamesChecked, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit); // never wait for ever
    change();
    loop.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    // As on a Chinese desktop: the file dialog formats sizes and dates in the system's language.
    qputenv("LC_ALL", "zh_CN.UTF-8");
    QApplication app(argc, argv);
    if (!installQtChinese(app))
        std::fputs("Qt's Chinese translations are missing: install qt6-translations-l10n\n", stderr);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(out);

    QTemporaryDir samples;
    if (!samples.isValid())
        return 1;
    const char* names[] = { "IMG_20240501_0931.jpg", "IMG_20240501_0945.jpg", "IMG_20240502_1102.jpg", "DSC_0042.jpg",
        "DSC_0043.jpg", "海边日落.jpg", "旅行计划.docx", "readme" };
    for (const char* name : names) {
        if (!writeFile(samples.filePath(QString::fromUtf8(name))))
            return 1;
    }

    SampleServices services;
    services.folder = samples.path();
    WindowOptions options;
    options.services = &services;
    options.checkForUpdates = false;
    fmMain window(options);
    window.show();
    bool ok = save(window, out + QStringLiteral("/window-start.png"));

    addFolderAndWait(window);
    control<TextBox>(window, "txtNewName1")->setText(QStringLiteral("青禾旅行_"));
    changeAndWaitForMarks(window, [&] { control<TextBox>(window, "txtNewNameF")->setText(QStringLiteral("3")); });
    control<RenameListView>(window, "ListReName")->selectRow(2);
    ok = save(window, out + QStringLiteral("/window-filled.png")) && ok;

    changeAndWaitForMarks(window, [&] { renameAndWait(window); });
    control<RenameListView>(window, "ListReName")->selectRow(std::nullopt);
    ok = save(window, out + QStringLiteral("/window-renamed.png")) && ok;

    ok = saveFileDialog(window, samples.path(), out + QStringLiteral("/file-dialog.png")) && ok;

    // Rows that would fail: a name held by a file outside the list, a file listed twice, a file that is gone.
    QTemporaryDir marked;
    if (!marked.isValid())
        return 1;
    const char* markedNames[] = { "IMG_0931.jpg", "IMG_0945.jpg", "IMG_1102.jpg", "DSC_0042.jpg", "DSC_0043.jpg",
        "海边日落.jpg", "旅行_003.jpg" };
    for (const char* name : markedNames) {
        if (!writeFile(marked.filePath(QString::fromUtf8(name))))
            return 1;
    }
    fmMain checked(options);
    checked.show();
    for (const char* name : { "IMG_0931.jpg", "IMG_0945.jpg", "IMG_1102.jpg", "DSC_0042.jpg", "DSC_0043.jpg",
             "DSC_0042.jpg", "海边日落.jpg", "旧照片.jpg" })
        services.files << marked.filePath(QString::fromUtf8(name));
    control<iButton>(checked, "btOpenFiles")->Click();
    control<TextBox>(checked, "txtNewName1")->setText(QStringLiteral("旅行_"));
    changeAndWaitForMarks(checked, [&] { control<TextBox>(checked, "txtNewNameF")->setText(QStringLiteral("3")); });
    ok = save(checked, out + QStringLiteral("/window-conflicts.png")) && ok;

    // A rename cancelled after three of its eight files: the tip line says what was done and what is left.
    fmMain* cancelled = nullptr;
    WindowOptions cancelling = options;
    cancelling.passStepHook = [&cancelled](int step) {
        if (step != 3)
            return;
        iButton* cancel = control<iButton>(*cancelled, "btCancel");
        QMetaObject::invokeMethod(
            cancel, [cancel] { cancel->Click(); }, Qt::BlockingQueuedConnection);
    };
    QTemporaryDir fresh;
    if (!fresh.isValid())
        return 1;
    for (const char* name : names) {
        if (!writeFile(fresh.filePath(QString::fromUtf8(name))))
            return 1;
    }
    services.folder = fresh.path();
    fmMain stopped(cancelling);
    cancelled = &stopped;
    stopped.show();
    addFolderAndWait(stopped);
    control<TextBox>(stopped, "txtNewName1")->setText(QStringLiteral("青禾旅行_"));
    changeAndWaitForMarks(stopped, [&] { control<TextBox>(stopped, "txtNewNameF")->setText(QStringLiteral("3")); });
    changeAndWaitForMarks(stopped, [&] { renameAndWait(stopped); });
    ok = save(stopped, out + QStringLiteral("/window-cancelled.png")) && ok;
    return ok ? 0 : 1;
}
