#pragma once
// Moving a window that has no title bar: a left press where `grip` says yes starts a drag, and the
// window follows the pointer until the button is released. The main frame and the skinned dialogs
// all move this way; each only says where its grip is.
#include <QObject>
#include <QPoint>
#include <functional>

class QWidget;

namespace korvid {

class FramelessDrag : public QObject
{
public:
    // Watches `window`'s mouse events and is owned by it. `grip` is asked with a point in the
    // window's coordinates; a press it claims goes no further than the drag.
    FramelessDrag(QWidget* window, std::function<bool(const QPoint&)> grip);

    bool dragging() const { return m_dragging; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    std::function<bool(const QPoint&)> m_grip;
    bool m_dragging = false;
    QPoint m_offset; // pointer position minus the window's top-left corner, both global
};

} // namespace korvid
