// The window's controls found by their design names, for the tests, the benchmark and the screenshots.
#pragma once

#include <QAnyStringView>
#include <QObject>
#include <QWidget>

/// The child of `window` named `name` ("txtNewName1", "lbInfo(15)"). A missing control ends the program: nothing
/// that drives the window can go on without it.
template <typename T = QWidget> T* control(const QObject& window, QAnyStringView name)
{
    const QString objectName = name.toString();
    T* found = window.findChild<T*>(objectName);
    if (!found)
        qFatal("the window has no control named %s of the expected type", qPrintable(objectName));
    return found;
}
