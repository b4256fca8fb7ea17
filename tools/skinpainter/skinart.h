// The artwork of the main window: every picture it loads, drawn with QPainter at its final size.
#pragma once

#include <utility>

#include <QImage>
#include <QList>
#include <QString>

namespace skinart {

/// The sizes of the app icon in the desktop's icon theme (hicolor), in pixels: "app_icon_<size>.png".
inline constexpr int kAppIconSizes[] = { 16, 22, 24, 32, 48, 64, 128, 256 };

/// One finished picture and the file name the main window loads it by (":/skins/<fileName>").
struct Picture {
    QString fileName;
    QImage image;
};

/// Draws every picture of the main window for a screen of `scale` device pixels per logical pixel (1 or 2).
/// The pictures that sit on the window's skin are cut from the skin itself at their place on the window, so
/// they blend with it seamlessly. At scale 2 each is drawn afresh at twice the size (not enlarged) and named
/// with Qt's "@2x" suffix ("background@2x.png"); the app icons exist at 1 only, in sizes of their own.
QList<Picture> paintAll(int scale = 1);

/// The app icon as a scalable picture (SVG), drawn by the same code as the PNGs: "app_icon.svg".
QString appIconSvg();

/// The expected pixel size of every picture at `scale`, by file name; the same names paintAll(scale) returns.
QList<std::pair<QString, QSize>> expectedSizes(int scale = 1);

/// "name.png" at scale 2 is "name@2x.png".
QString atScale(const QString& fileName, int scale);

/// Pictures for checking the artwork by eye: the window as it opens (skin, logo, tabs, panel, header,
/// buttons, made-up labels and rows) at its real size and enlarged twice, and a sheet of every button
/// strip, tab and icon, enlarged.
QList<Picture> composePreviews(const QList<Picture>& pictures);

} // namespace skinart
