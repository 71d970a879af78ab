#pragma once
// A panel floating over its parent window's contents. Pressing the left mouse button on
// its background and dragging moves it, as if it had a caption bar; it stays inside the
// parent.

#include <QFrame>
#include <QPoint>

class FloatingPanel : public QFrame
{
    Q_OBJECT
public:
    explicit FloatingPanel(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_dragging = false;
    QPoint m_grab; // press position within the panel
};
