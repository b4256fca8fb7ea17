// PlanTab and PlanTabList: the plan tab pictures as page tabs that the keyboard reaches and switches.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/clickablelabel.h"

/**
 * One plan's tab: a picture the window repaints as selected or not when it switches plans (clicked() asks
 * for the switch). The tab is selected while its plan's panel is shown. Only the selected tab takes the focus
 * by Tab; on a focused tab Space and Enter act as a click, and Left/Right, Up/Down and Home/End switch to the
 * neighbouring, first or last tab, which then takes the focus. A focused tab shows a dotted focus frame.
 */
class PlanTab : public ClickableLabel {
    Q_OBJECT

public:
    explicit PlanTab(QWidget* parent);

    /// The panel this tab shows; the tab is selected exactly while the panel is not hidden.
    void setPanel(QWidget* panel);
    bool isSelected() const { return m_selected; }
    /// Asks the window to show this tab's plan, as a click does.
    void choose() { emit clicked(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void updateSelection();

    QPointer<QWidget> m_panel;
    bool m_selected = false;
};

/**
 * The strip that holds the plan tabs, no larger than they are and drawing nothing of its own. Ctrl+Tab and
 * Ctrl+PageDown anywhere in its window switch to the next tab, Ctrl+Shift+Tab and Ctrl+PageUp to the previous
 * one, wrapping: the keys are taken as they reach the window, after its focused control has let them pass,
 * so whatever holds back the window's input holds them back too.
 */
class PlanTabList : public QWidget {
    Q_OBJECT

public:
    explicit PlanTabList(QWidget* parent);

    /// The tabs from left to right.
    QList<PlanTab*> tabs() const;
    /// Chooses the tab `step` places after the selected one (before it for a negative step), wrapping.
    void step(int step);
    /// Chooses the tab at `index` (0-based) of tabs().
    void chooseAt(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
