// PassInputGuard: while a pass runs, drops the input meant for the window and keeps its focus where it was.
#pragma once

#include <functional>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

/**
 * Installed on the application while a pass runs. Input meant for the window is dropped as it arrives
 * (the event loop keeps turning, so nothing waits in a queue to be carried out after the pass), except
 * input for the `allowed` controls, which can neither change the list or the plan nor start a pass.
 * Esc anywhere in the window calls `onEscape`. No control of the window takes the focus while the guard
 * stands; destroying it gives the focus back to the control that had it, if that control is enabled.
 */
class PassInputGuard : public QObject {
public:
    PassInputGuard(QWidget* window, QList<QWidget*> allowed, std::function<void()> onEscape);
    ~PassInputGuard() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isAllowed(const QWidget* widget) const;

    QWidget* m_window;
    QList<QWidget*> m_allowed;
    std::function<void()> m_onEscape;
    QPointer<QWidget> m_focus; // had the focus when the pass started
    QList<std::pair<QPointer<QWidget>, Qt::FocusPolicy>> m_focusPolicies;
};
