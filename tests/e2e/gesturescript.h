// GestureScript: input steps played one per timer tick, with waits until the window has caught up.
#pragma once

#include <functional>
#include <memory>

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

// Generous: the machine is shared, and Xvfb or the window manager may be slow to draw and to answer.
inline constexpr int kWaitMs = 10000;

/**
 * Plays a list of steps, one per timer tick. A drag runs an event loop of its own inside the press-and-move
 * that started it, so the rest of the gesture has to come from the event loop rather than from the test's
 * own sequence of calls. A step is either an action, or a wait that holds the script until the window has
 * caught up. A wait that is not met in time ends the script with a failure after running `onGiveUp`.
 */
class GestureScript : public QObject {
public:
    std::function<void()> onGiveUp;

    void act(std::function<bool()> action, const QString& what) { m_steps.append({ std::move(action), what, false }); }
    void waitUntil(std::function<bool()> condition, const QString& what)
    {
        m_steps.append({ std::move(condition), what, true });
    }
    /// Holds the script for `ms` milliseconds, as a hand takes its time between two moves.
    void pause(int ms)
    {
        auto clock = std::make_shared<QElapsedTimer>();
        m_steps.append({ [clock, ms] { return clock->isValid() ? clock->hasExpired(ms) : (clock->start(), false); },
            QStringLiteral("a pause"), true });
    }

    void start()
    {
        connect(&m_timer, &QTimer::timeout, this, &GestureScript::tick);
        m_timer.start(10);
        m_stepClock.start();
    }
    bool finished() const { return m_next >= m_steps.size() || !m_failure.isEmpty(); }
    const QString& failure() const { return m_failure; }

private:
    struct Step {
        std::function<bool()> run;
        QString what;
        bool isWait;
    };

    void tick()
    {
        if (finished()) {
            m_timer.stop();
            return;
        }
        const Step& step = m_steps.at(m_next);
        if (step.run()) {
            ++m_next;
            m_stepClock.restart();
            return;
        }
        if (!step.isWait) {
            fail(QStringLiteral("could not ") + step.what);
        } else if (m_stepClock.elapsed() > kWaitMs) {
            fail(QStringLiteral("gave up waiting until ") + step.what);
        }
    }

    void fail(const QString& message)
    {
        m_failure = message;
        m_timer.stop();
        if (onGiveUp)
            onGiveUp();
    }

    QList<Step> m_steps;
    qsizetype m_next = 0;
    QString m_failure;
    QTimer m_timer;
    QElapsedTimer m_stepClock;
};
