// iButtonAccessible: what assistive technology (screen readers, AT-SPI) sees of an iButton.
#pragma once

#include <QAccessibleWidget>

class iButton;

/**
 * An iButton seen as a push button: named by its accessible name, or else by its Caption (a button whose
 * caption is painted in its picture needs an accessible name); focusable while it takes the focus; disabled
 * while disabled; checkable and checked for a toggle button (Style 1) whose Value is true.
 *
 * Its press action is a Space key pressed and released on the button, so the button clicks exactly as it
 * does for Space, and whatever holds back the application's input (a disabled button, an input filter on
 * the application) holds back the action as well. A hidden button is not pressed.
 */
class iButtonAccessible : public QAccessibleWidget {
public:
    explicit iButtonAccessible(iButton* button);

    /// The factory for QAccessible::installFactory: an iButtonAccessible for an iButton, else none.
    static QAccessibleInterface* create(const QString& className, QObject* object);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    iButton* button() const;
};
