// PassInputGuard: the application-wide filter that drops input during a pass, and the focus it holds still.
#include "app/passinputguard.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>

namespace {

// Events by which a person acts on a widget. Paint, timer and window events are not among them: the
// window keeps painting and its timers keep running during a pass.
bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

} // namespace

PassInputGuard::PassInputGuard(QWidget* window, QList<QWidget*> allowed, std::function<void()> onEscape)
    : QObject(window)
    , m_window(window)
    , m_allowed(std::move(allowed))
    , m_onEscape(std::move(onEscape))
    , m_focus(window->focusWidget())
{
    qApp->installEventFilter(this);
    // Qt gives the focus on a press before any filter sees it: no control takes the focus by a click,
    // the wheel or Tab while the pass runs, so dropped input moves no focus (Esc still cancels). Disabling
    // the focused button would otherwise hand the focus on along the tab order.
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->focusPolicy() != Qt::NoFocus) {
            m_focusPolicies.append({ child, child->focusPolicy() });
            child->setFocusPolicy(Qt::NoFocus);
        }
    }
}

PassInputGuard::~PassInputGuard()
{
    qApp->removeEventFilter(this);
    for (const auto& [child, policy] : m_focusPolicies) {
        if (child)
            child->setFocusPolicy(policy);
    }
    if (m_focus && m_focus->isEnabled())
        m_focus->setFocus(Qt::OtherFocusReason);
}

bool PassInputGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (!isUserInput(event->type()))
        return false;
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != m_window)
        return false;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease
        || event->type() == QEvent::ShortcutOverride) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            if (event->type() == QEvent::KeyPress)
                m_onEscape();
            return true;
        }
    }
    return !isAllowed(widget);
}

bool PassInputGuard::isAllowed(const QWidget* widget) const
{
    return std::any_of(m_allowed.cbegin(), m_allowed.cend(), [widget](const QWidget* w) { return w == widget; });
}
