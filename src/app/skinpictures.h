// skinpictures: the window's pictures from the resources, in the density that fits the screen.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace skinpictures {

/**
 * The picture ":/skins/<name>.png" for a screen of `ratio` device pixels per logical pixel. Above 1 the
 * picture drawn at twice the size, ":/skins/<name>@2x.png" (Qt's naming), is taken where it exists, else the
 * ordinary one; the result carries its device pixel ratio, so it always covers the same logical size.
 * At a ratio between the two (1.5) the 2× picture is scaled down smoothly to the screen's pixels once here,
 * rather than at each paint without filtering.
 */
QPixmap pixmap(const QString& name, qreal ratio);

/// The picture as it was drawn, 2× above ratio 1 where it exists: for strips cut into cells in device pixels.
QPixmap drawn(const QString& name, qreal ratio);

/// Both densities in one icon; Qt picks the one that fits wherever the icon is painted.
QIcon icon(const QString& name);

} // namespace skinpictures
