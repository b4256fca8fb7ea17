// iButtonAccessible: the push button role, name, states and press action of an iButton.
#include "widgets/ibutton/ibuttonaccessible.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "widgets/ibutton/ibutton.h"

iButtonAccessible::iButtonAccessible(iButton* button)
    : QAccessibleWidget(button, QAccessible::PushButton)
{
}

QAccessibleInterface* iButtonAccessible::create(const QString& className, QObject* object)
{
    if (className == QLatin1String("iButton") && object && object->isWidgetType())
        return new iButtonAccessible(static_cast<iButton*>(object));
    return nullptr;
}

iButton* iButtonAccessible::button() const
{
    return static_cast<iButton*>(widget());
}

QString iButtonAccessible::text(QAccessible::Text t) const
{
    QString text = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && text.isEmpty())
        text = button()->Caption();
    return text;
}

QAccessible::State iButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    if (button()->Style() == 1) {
        state.checkable = true;
        state.checked = button()->Value();
    }
    return state;
}

QStringList iButtonAccessible::actionNames() const
{
    return QStringList { pressAction() } + QAccessibleWidget::actionNames();
}

void iButtonAccessible::doAction(const QString& actionName)
{
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    iButton* b = button();
    if (!b->isEnabled() || !b->isVisible()) // what a user cannot click is not pressed either
        return;
    // Delivered as input, not as a call: filters on the application see it as they see a real Space.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(b, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(b, &release);
    // Space draws the focus frame; a button pressed from afar without the focus shows its face without it.
    if (!b->hasFocus())
        b->cMouseAction(b->GetState(), true);
}

QStringList iButtonAccessible::keyBindingsForAction(const QString& actionName) const
{
    if (actionName == pressAction())
        return { QStringLiteral("Space") };
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
