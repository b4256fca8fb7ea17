// The window's controls found by their design names, and driven with real input as a user would.
#pragma once

#include <QAbstractItemModelTester>
#include <QTest>
#include <QWidget>

#include "app/fmmain.h"
#include "controls.h"
#include "rename/renamelist.h"

/// A left click in the middle of the control named `name`: nothing happens when it is disabled or hidden
/// behind the pass's input guard, as for a user.
inline void clickControl(const QObject& window, const QString& name)
{
    QTest::mouseClick(control(window, name), Qt::LeftButton);
}

/// Holds the window's list to the rules of item models for as long as the window lives: every insertion,
/// removal, move, reset and change of the rows is checked as it happens, and a breach fails the running test.
inline void testWindowModel(fmMain& window)
{
    new QAbstractItemModelTester(window.model(), QAbstractItemModelTester::FailureReportingMode::QtTest, &window);
}
