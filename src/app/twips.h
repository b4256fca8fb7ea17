// Window geometry is laid out in twips, 15 to a pixel.
#pragma once

#include <QRect>
#include <QtMath>

namespace twips {

inline constexpr int perPixel = 15;

inline int toPixels(int value)
{
    return qRound(double(value) / perPixel);
}

/// A rectangle given as left, top, width and height in twips, in pixels.
inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace twips
