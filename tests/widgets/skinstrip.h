// Skin strips for the button tests: flat-coloured cells with marked edges, and their expected faces.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace skinstrip {

/// The fill colour of cell `index` (never magenta, never black or white).
inline QColor cellColour(int index)
{
    static const QRgb colours[] = { 0xFF2060A0, 0xFF30A040, 0xFFC04020, 0xFF808080, 0xFFE0C000, 0xFF00A0A0, 0xFF6030C0,
        0xFFA06020, 0xFF406000, 0xFF002080, 0xFF905070, 0xFF70C0F0 };
    return QColor::fromRgb(colours[index % 12]);
}

/// A strip `width` × `height` pixels cut in `cells` cells of `cellWidth` pixels (the rest of the width
/// is filled like a further cell). Each cell has its colour, a black first column and a white last
/// column, so a cut that is one pixel off shows.
inline QImage stripImage(int width, int height, int cellWidth)
{
    QImage strip(width, height, QImage::Format_RGB32);
    strip.fill(Qt::darkGray);
    QPainter painter(&strip);
    for (int i = 0; i * cellWidth < width; ++i) {
        const int x = i * cellWidth;
        painter.fillRect(x, 0, cellWidth, height, cellColour(i));
        painter.fillRect(x, 0, 1, height, Qt::black);
        painter.fillRect(x + cellWidth - 1, 0, 1, height, Qt::white);
    }
    return strip;
}

inline QPixmap strip(int width, int height, int cellWidth)
{
    return QPixmap::fromImage(stripImage(width, height, cellWidth));
}

/// A push-button strip of five cells.
inline QPixmap pushStrip(int cellWidth, int height)
{
    return strip(5 * cellWidth, height, cellWidth);
}

/// A toggle strip of ten cells.
inline QPixmap toggleStrip(int cellWidth, int height)
{
    return strip(10 * cellWidth, height, cellWidth);
}

/// The colour in the middle of a face.
inline QColor centre(const QImage& face)
{
    return face.pixelColor(face.width() / 2, face.height() / 2);
}

} // namespace skinstrip
