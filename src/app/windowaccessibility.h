// What screen readers see of the window: names and roles of its controls, and the interfaces that give them.
#pragma once

class QWidget;

namespace windowaccessibility {

/**
 * Names every control of `window` (found by its design name) by the words a user reads beside it or on it,
 * and gives the controls whose widget says too little their role: the plan tabs are page tabs in a page tab
 * list, the tip line and the progress line are status lines (their text changes are announced as name
 * changes), the new-version and credit labels are links, the plan panels are groupings. Press actions are
 * delivered as input (a click on a tab or a link), so whatever holds back the window's input holds them back.
 * Installs the interfaces' factory once per program; call it before the window is shown.
 */
void describe(QWidget& window);

} // namespace windowaccessibility
