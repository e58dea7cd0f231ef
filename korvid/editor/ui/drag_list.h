#pragma once
// An editor list whose rows the user drags with the mouse. Pressing on a row and moving farther than
// the platform's drag distance starts a drag of the selected rows, and a picture of the pressed row
// follows the mouse; the list keeps the mouse until the button comes up, so the window can map the
// point onto any list of its own (another list of the same dialog). While the drag lasts a list may
// show the row under the mouse as the drop place, and scroll by one row every 100 ms while the mouse
// is above its top or near its bottom edge.
#include "korvid/editor/ui/editor_list.h"

#include <QPoint>
#include <QTimer>
#include <memory>

class QLabel;

namespace korvid {

class CDragList : public CEditorList
{
    Q_OBJECT
public:
    explicit CDragList(const ListState& state, QWidget* parent = nullptr);
    ~CDragList() override;

    // A list that only takes drops (or none) leaves pressing and moving to the view's own selecting.
    void set_drags_rows(bool on) { m_dragsRows = on; }
    bool dragging() const { return m_dragging; }
    // The row pressed to start the current drag.

    // Where a point on the screen falls on this list: false when outside the list; otherwise true
    // with `row` the row under it, the top row shown when over the header, or -1 below the last row.
    bool drop_target(QPoint global, int* row) const;
    // The row drawn as the drop place, -1 none.
    void set_drop_row(int row);
    int drop_row() const { return m_dropRow; }

    // Scrolls while a drag is at `global`; with `only_within_width`, only while the mouse is also
    // between the list's left and right edges (a drag that comes from another list).
    void drag_scroll_at(QPoint global, bool only_within_width = false);
    void stop_drag_scroll();
    const QTimer& scroll_timer() const { return m_scrollTimer; }
    // The picture of the dragged row that follows the mouse; null when no drag is on.
    const QLabel* drag_picture() const { return m_picture.get(); }

signals:
    void dragStarted(int row);
    void dragMoved(QPoint global);
    void dragDropped(QPoint global);
    // Escape during a drag, or the list lost the mouse.
    void dragCancelled();
    // The list scrolled under a still mouse during a drag; the drop place may have changed.
    void dragScrolled();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void end_drag(bool dropped, QPoint global);
    void show_drag_picture(QPoint global);

    bool m_dragsRows = true;
    int m_pressedRow = -1;
    QPoint m_pressedAt;
    // A press on a row of a multiple selection keeps the selection until the button comes up
    // without a drag, so that several rows can be dragged at once.
    bool m_deferredClick = false;
    bool m_dragging = false;
    int m_dropRow = -1;
    int m_scrollStep = 0;
    QPoint m_scrollAt;
    QTimer m_scrollTimer;
    std::unique_ptr<QLabel> m_picture;
};

} // namespace korvid
