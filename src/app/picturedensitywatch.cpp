// PictureDensityWatch: the window's filter for screen changes.
#include "app/picturedensitywatch.h"

#include <QEvent>
#include <QWidget>

PictureDensityWatch::PictureDensityWatch(QWidget* window, std::function<void(qreal)> reload)
    : QObject(window)
    , m_window(window)
    , m_reload(std::move(reload))
    , m_ratio(window->devicePixelRatioF())
{
    window->installEventFilter(this);
}

bool PictureDensityWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::Show)) {
        const qreal ratio = m_window->devicePixelRatioF();
        if (!qFuzzyCompare(ratio, m_ratio)) {
            m_ratio = ratio;
            m_reload(ratio);
        }
    }
    return false;
}
