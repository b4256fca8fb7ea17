// skinpainter: draws the main window's pictures into a folder, writes their resource list and checks them.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QStringList>

#include "skinart.h"

using namespace Qt::StringLiterals;

namespace {

void print(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
}
void complain(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stderr);
}

bool writePng(const QDir& dir, const skinart::Picture& picture)
{
    const QString path = dir.filePath(picture.fileName);
    QImage image = picture.image;
    // PNG keeps straight alpha; opaque pictures go out without an alpha channel.
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QImageWriter writer(path, "png");
    writer.setQuality(0); // smallest file: for PNG this is the strongest compression, still lossless
    if (!writer.write(image)) {
        complain(u"cannot write %1: %2"_s.arg(path, writer.errorString()));
        return false;
    }
    return true;
}

bool writeSvg(const QDir& dir, const QString& fileName, const QString& text)
{
    QSaveFile file(dir.filePath(fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        complain(u"cannot write %1: %2"_s.arg(file.fileName(), file.errorString()));
        return false;
    }
    print(u"ok   %1 %2 bytes"_s.arg(fileName.leftJustified(22)).arg(text.toUtf8().size()));
    return true;
}

bool writeQrc(const QDir& dir, const QList<skinart::Picture>& pictures)
{
    QString text = u"<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n    <qresource prefix=\"/skins\">\n"_s;
    for (const skinart::Picture& picture : pictures)
        text += u"        <file>%1</file>\n"_s.arg(picture.fileName);
    text += u"    </qresource>\n</RCC>\n"_s;
    QSaveFile file(dir.filePath(u"skins.qrc"_s));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        complain(u"cannot write %1: %2"_s.arg(file.fileName(), file.errorString()));
        return false;
    }
    return true;
}

// Reads every written file back and compares its size with the size the window expects.
bool checkWritten(const QDir& dir, const QList<skinart::Picture>& pictures)
{
    bool ok = true;
    qint64 total = 0;
    const auto expected = skinart::expectedSizes(1) + skinart::expectedSizes(2);
    if (expected.size() != pictures.size()) {
        complain(u"painted %1 pictures, expected %2"_s.arg(pictures.size()).arg(expected.size()));
        ok = false;
    }
    for (const auto& [name, size] : expected) {
        const QString path = dir.filePath(name);
        const QSize actual = QImageReader(path).size();
        const qint64 bytes = QFileInfo(path).size();
        total += bytes;
        const bool right = actual == size;
        ok = ok && right;
        print(u"%1 %2 %3×%4 %5 bytes"_s.arg(right ? u"ok  "_s : u"BAD "_s, name.leftJustified(22))
                  .arg(actual.width())
                  .arg(actual.height())
                  .arg(bytes));
        if (!right)
            complain(u"%1 is %2×%3, expected %4×%5"_s.arg(name)
                         .arg(actual.width())
                         .arg(actual.height())
                         .arg(size.width())
                         .arg(size.height()));
    }
    print(u"total %1 bytes"_s.arg(total));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    // A painter needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QStringList args = app.arguments().mid(1);
    QString previewDir;
    if (const qsizetype at = args.indexOf(u"--preview"_s); at >= 0 && at + 1 < args.size()) {
        previewDir = args.at(at + 1);
        args.remove(at, 2);
    }
    if (args.size() != 1) {
        complain(u"usage: skinpainter <output folder> [--preview <folder>]"_s);
        return 2;
    }

    const QDir out(args.first());
    if (!QDir().mkpath(out.path())) {
        complain(u"cannot create %1"_s.arg(out.path()));
        return 1;
    }
    const QList<skinart::Picture> pictures = skinart::paintAll(1) + skinart::paintAll(2);
    bool ok = true;
    for (const skinart::Picture& picture : pictures)
        ok = writePng(out, picture) && ok;
    ok = writeQrc(out, pictures) && ok;
    ok = writeSvg(out, u"app_icon.svg"_s, skinart::appIconSvg()) && ok;
    ok = checkWritten(out, pictures) && ok;

    if (!previewDir.isEmpty()) {
        const QDir preview(previewDir);
        QDir().mkpath(preview.path());
        for (const skinart::Picture& picture : skinart::composePreviews(skinart::paintAll(1)))
            ok = writePng(preview, picture) && ok;
    }
    return ok ? 0 : 1;
}
