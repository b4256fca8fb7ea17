// PlanTab and PlanTabList: selection, focus, keys and focus frame of the plan tabs.
#include "app/plantabs.h"

#include <algorithm>

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>

PlanTab::PlanTab(QWidget* parent)
    : ClickableLabel(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void PlanTab::setPanel(QWidget* panel)
{
    if (m_panel)
        m_panel->removeEventFilter(this);
    m_panel = panel;
    if (m_panel)
        m_panel->installEventFilter(this);
    updateSelection();
}

bool PlanTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panel && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        updateSelection();
    return false;
}

void PlanTab::updateSelection()
{
    const bool selected = m_panel && !m_panel->isHidden();
    if (selected == m_selected)
        return;
    m_selected = selected;
    // One tab stop for the strip: the selected tab. The other is reached with the arrow keys.
    setFocusPolicy(selected ? Qt::TabFocus : Qt::NoFocus);
    if (selected && parentWidget()) {
        const QWidget* focused = window()->focusWidget();
        if (focused && focused != this && focused->parentWidget() == parentWidget())
            setFocus(Qt::OtherFocusReason); // the focus follows the plan the keyboard switched to
    }
    QAccessible::State changed;
    changed.selected = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void PlanTab::keyPressEvent(QKeyEvent* event)
{
    auto* list = qobject_cast<PlanTabList*>(parentWidget());
    const int index = list ? int(list->tabs().indexOf(this)) : -1;
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || index < 0) {
        ClickableLabel::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose();
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        list->step(-1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        list->step(1);
        break;
    case Qt::Key_Home:
        list->chooseAt(0);
        break;
    case Qt::Key_End:
        list->chooseAt(int(list->tabs().size()) - 1);
        break;
    default:
        ClickableLabel::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PlanTab::paintEvent(QPaintEvent* event)
{
    ClickableLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // A dotted frame inside the picture, as the skinned buttons draw theirs; only the keyboard focuses a tab.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
}

void PlanTab::focusInEvent(QFocusEvent* event)
{
    ClickableLabel::focusInEvent(event);
    update();
}

void PlanTab::focusOutEvent(QFocusEvent* event)
{
    ClickableLabel::focusOutEvent(event);
    update();
}

PlanTabList::PlanTabList(QWidget* parent)
    : QWidget(parent)
{
    window()->installEventFilter(this);
}

QList<PlanTab*> PlanTabList::tabs() const
{
    QList<PlanTab*> tabs = findChildren<PlanTab*>(Qt::FindDirectChildrenOnly);
    std::sort(tabs.begin(), tabs.end(), [](const PlanTab* a, const PlanTab* b) { return a->x() < b->x(); });
    return tabs;
}

void PlanTabList::step(int step)
{
    const QList<PlanTab*> all = tabs();
    const auto selected = std::find_if(all.cbegin(), all.cend(), [](const PlanTab* tab) { return tab->isSelected(); });
    if (all.isEmpty() || selected == all.cend())
        return;
    const int count = int(all.size());
    chooseAt(((int(selected - all.cbegin()) + step) % count + count) % count);
}

void PlanTabList::chooseAt(int index)
{
    const QList<PlanTab*> all = tabs();
    if (index < 0 || index >= all.size())
        return;
    const QPointer<QWidget> focused = window()->focusWidget();
    all[index]->choose();
    // A field of the plan just hidden had the focus: it goes to the tab now shown, next to the shown fields,
    // rather than wherever the focus chain would have carried it.
    if (focused && !focused->isVisible() && all[index]->isSelected())
        all[index]->setFocus(Qt::TabFocusReason);
}

bool PlanTabList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window() || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    int direction = 0;
    if (modifiers == Qt::ControlModifier && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_PageDown))
        direction = 1;
    else if (modifiers == Qt::ControlModifier && key->key() == Qt::Key_PageUp)
        direction = -1;
    else if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier)
        && (key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Tab))
        direction = -1;
    if (direction == 0)
        return false;
    step(direction);
    return true;
}
