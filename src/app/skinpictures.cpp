// skinpictures: picks the 1× or "@2x" picture for a device pixel ratio, scaling 2× down for ratios between.
#include "app/skinpictures.h"

#include <cmath>

#include <QFile>

namespace skinpictures {
namespace {

QString pathOf(const QString& name, bool twice)
{
    return QStringLiteral(":/skins/%1%2.png").arg(name, twice ? QStringLiteral("@2x") : QString());
}

} // namespace

QPixmap drawn(const QString& name, qreal ratio)
{
    if (ratio > 1 && QFile::exists(pathOf(name, true))) {
        QPixmap picture(pathOf(name, true));
        picture.setDevicePixelRatio(2);
        return picture;
    }
    return QPixmap(pathOf(name, false));
}

QPixmap pixmap(const QString& name, qreal ratio)
{
    QPixmap picture = drawn(name, ratio);
    const qreal drawnRatio = picture.devicePixelRatio();
    if (picture.isNull() || ratio <= 1 || std::abs(ratio - drawnRatio) < 0.01)
        return picture;
    const QSizeF logical = picture.deviceIndependentSize();
    const QSize device(qRound(logical.width() * ratio), qRound(logical.height() * ratio));
    QPixmap fitted = picture.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    fitted.setDevicePixelRatio(ratio);
    return fitted;
}

QIcon icon(const QString& name)
{
    QIcon both;
    both.addFile(pathOf(name, false));
    if (QFile::exists(pathOf(name, true)))
        both.addFile(pathOf(name, true));
    return both;
}

} // namespace skinpictures
