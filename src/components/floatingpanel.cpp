#include "components/floatingpanel.h"

#include <QMouseEvent>

FloatingPanel::FloatingPanel(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    hide();
}

void FloatingPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QFrame::mousePressEvent(event);
    m_dragging = true;
    m_grab = event->position().toPoint();
    raise();
    event->accept();
}

void FloatingPanel::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !parentWidget())
        return QFrame::mouseMoveEvent(event);
    QPoint target = mapToParent(event->position().toPoint()) - m_grab;
    const QSize room = parentWidget()->size() - size();
    target.setX(std::clamp(target.x(), 0, std::max(0, room.width())));
    target.setY(std::clamp(target.y(), 0, std::max(0, room.height())));
    move(target);
    event->accept();
}

void FloatingPanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QFrame::mouseReleaseEvent(event);
}
