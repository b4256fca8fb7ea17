// PictureDensityWatch: tells when a window reaches a screen of another pixel density, so its pictures are loaded again.
#pragma once

#include <functional>

#include <QObject>

class QWidget;

/// Calls `reload` with the new device pixel ratio when `window` shows on, or moves to, a screen of another
/// density than the one its pictures were loaded for. Owned by the window.
class PictureDensityWatch : public QObject {
public:
    PictureDensityWatch(QWidget* window, std::function<void(qreal)> reload);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    std::function<void(qreal)> m_reload;
    qreal m_ratio;
};
