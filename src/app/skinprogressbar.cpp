// SkinProgressBar: painting the groove and the part of the bar that is done.
#include "app/skinprogressbar.h"

#include <algorithm>

#include <QPainter>

SkinProgressBar::SkinProgressBar(QWidget* parent)
    : QProgressBar(parent)
    , m_trough(QStringLiteral(":/skins/progress_trough.png"))
    , m_fill(QStringLiteral(":/skins/progress_fill.png"))
{
    setTextVisible(false);
}

void SkinProgressBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int span = maximum() - minimum();
    const double fraction = span > 0 ? double(value() - minimum()) / span : 0.0;
    const int filled = qRound(width() * std::clamp(fraction, 0.0, 1.0));
    if (!m_trough.isNull() && !m_fill.isNull()) {
        p.drawPixmap(rect(), m_trough);
        p.drawPixmap(
            QRect(0, 0, filled, height()), m_fill, QRect(0, 0, qRound(m_fill.width() * fraction), m_fill.height()));
        return;
    }
    // Without the pictures: a plain groove and bar in the colours of the window.
    p.setPen(QColor(160, 172, 190));
    p.setBrush(QColor(236, 239, 243));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.fillRect(QRect(1, 1, std::max(0, filled - 2), height() - 2), QColor(215, 135, 2));
}
