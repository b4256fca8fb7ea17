// How long the event loop stands still while the window works: what a click or a keystroke would wait.
#pragma once

#include <algorithm>

#include <QElapsedTimer>
#include <QTimer>

namespace bench {

/// From construction on, notes the longest time between two turns of the event loop.
class LoopWatch {
public:
    LoopWatch()
    {
        m_ticker.setTimerType(Qt::PreciseTimer);
        m_ticker.setInterval(1);
        QObject::connect(&m_ticker, &QTimer::timeout, &m_ticker, [this] { mark(); });
        m_ticker.start();
        m_clock.start();
    }

    /// Counts the time since the last turn, as a turn would (call it after work done outside the loop).
    void mark()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    /// The longest stand-still so far, up to now, in ms.
    double longestMs() const { return std::max(m_longest, m_clock.nsecsElapsed() - m_last) / 1e6; }
    double elapsedMs() const { return m_clock.nsecsElapsed() / 1e6; }

private:
    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace bench
