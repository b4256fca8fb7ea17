// The artwork of the main window: every picture it loads, drawn with QPainter at its final size.
#pragma once

#include <utility>

#include <QImage>
#include <QList>
#include <QString>

namespace skinart {

/// One finished picture and the file name the main window loads it by (":/skins/<fileName>").
struct Picture {
    QString fileName;
    QImage image;
};

/// Draws every picture of the main window. The pictures that sit on the window's skin are cut from the
/// skin itself at their place on the window, so they blend with it seamlessly.
QList<Picture> paintAll();

/// The expected pixel size of every picture, by file name; the same names paintAll() returns.
QList<std::pair<QString, QSize>> expectedSizes();

/// Pictures for checking the artwork by eye: the window as it opens (skin, logo, tabs, panel, header,
/// buttons, made-up labels and rows) at its real size and enlarged twice, and a sheet of every button
/// strip, tab and icon, enlarged.
QList<Picture> composePreviews(const QList<Picture>& pictures);

} // namespace skinart
