#include "korvid/ui/frameless_drag.h"

#include <QMouseEvent>
#include <QWidget>

namespace korvid {

FramelessDrag::FramelessDrag(QWidget* window, std::function<bool(const QPoint&)> grip)
    : QObject(window)
    , m_window(window)
    , m_grip(std::move(grip))
{
    window->installEventFilter(this);
}

bool FramelessDrag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton || !m_grip || !m_grip(e->position().toPoint()))
            return false;
        m_dragging = true;
        m_offset = e->globalPosition().toPoint() - m_window->frameGeometry().topLeft();
        return true;
    }
    case QEvent::MouseMove:
        if (!m_dragging)
            return false;
        m_window->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_offset);
        return true;
    case QEvent::MouseButtonRelease:
        // The window sees the release as well: it may be waiting for one of its own presses.
        m_dragging = false;
        return false;
    default:
        return false;
    }
}

} // namespace korvid
