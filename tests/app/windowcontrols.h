// The window's controls found by their design names, and driven with real input as a user would.
#pragma once

#include <QTest>
#include <QWidget>

/// The child of `window` named `name` ("txtNewName1", "lbInfo(15)"); a missing control ends the test run.
template <typename T = QWidget> T* control(const QObject& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    if (!found)
        qFatal("the window has no control named %s of the expected type", qPrintable(name));
    return found;
}

/// A left click in the middle of the control named `name`: nothing happens when it is disabled or hidden
/// behind the pass's input guard, as for a user.
inline void clickControl(const QObject& window, const QString& name)
{
    QTest::mouseClick(control(window, name), Qt::LeftButton);
}
