// ClickableLabel: a label or picture that reports clicks and moves.
#include "app/clickablelabel.h"

#include <QMouseEvent>

ClickableLabel::ClickableLabel(QWidget* parent)
    : QLabel(parent)
{
    setMouseTracking(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    emit mousePressed(event->button());
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    emit mouseReleased(event->button());
    if (click)
        emit clicked();
}

void ClickableLabel::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->buttons());
    event->accept();
}
