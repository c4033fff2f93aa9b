// TClickLabel: a label that reports a click of the left mouse button, for the window's link labels
// and its icon.
#pragma once

#include <QLabel>
#include <QMouseEvent>

class TClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override
    {
        if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(Event);
    }
};
