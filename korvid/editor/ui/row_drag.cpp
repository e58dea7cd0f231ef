#include "korvid/editor/ui/row_drag.h"

#include "korvid/editor/drag_scroll.h"
#include "korvid/editor/ui/editor_list.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>

namespace korvid {

CRowDrag::CRowDrag(CEditorList* list)
    : QObject(list)
    , m_list(list)
{
    m_scroll.setInterval(DRAG_SCROLL_INTERVAL_MS);
    connect(&m_scroll, &QTimer::timeout, this, &CRowDrag::scroll_tick);
    list->viewport()->installEventFilter(this);
}

CRowDrag::~CRowDrag()
{
    delete m_image;
}

bool CRowDrag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_list->viewport())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        // Ctrl and Shift clicks shape the selection as usual and start no drag.
        if (e->button() != Qt::LeftButton || (e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)))
            return false;
        const QPoint pos = e->position().toPoint();
        m_pressRow = m_list->rowAt(pos.y());
        if (m_pressRow < 0)
            return false;
        m_pressPos = m_lastPos = pos;
        // The list handles the press as usual: on a row of a selection it keeps the selection until
        // the button comes up, so the whole selection can be dragged.
        return false;
    }
    case QEvent::MouseMove: {
        if (m_pressRow < 0)
            return false;
        auto* e = static_cast<QMouseEvent*>(event);
        if (!(e->buttons() & Qt::LeftButton)) {
            reset();
            return false;
        }
        const QPoint pos = e->position().toPoint();
        if (!m_dragging && (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
            begin();
        if (m_dragging)
            follow(pos);
        // Moves with the button down belong to the drag, not to a selection swept over the rows.
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton || m_pressRow < 0)
            return false;
        if (m_dragging) {
            finish(e->position().toPoint());
            return true;
        }
        reset();
        return false;
    }
    default:
        return false;
    }
}

void CRowDrag::begin()
{
    m_dragging = true;
    // The picture: the row the drag started on, as the list shows it, half see-through.
    const QRect row(0, m_list->rowViewportPosition(m_pressRow), m_list->viewport()->width(),
                    m_list->rowHeight(m_pressRow));
    m_image = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
    m_image->setAttribute(Qt::WA_ShowWithoutActivating);
    m_image->setPixmap(m_list->viewport()->grab(row.intersected(m_list->viewport()->rect())));
    m_image->setWindowOpacity(0.7);
    m_image->adjustSize();
    m_scroll.start();
}

void CRowDrag::follow(QPoint viewport_pos)
{
    m_lastPos = viewport_pos;
    if (!m_image)
        return;
    m_image->move(m_list->viewport()->mapToGlobal(viewport_pos) + QPoint(12, 8));
    if (!m_image->isVisible())
        m_image->show();
}

void CRowDrag::scroll_tick()
{
    // The edges are the list's own, its header included.
    const QPoint in_list = m_list->viewport()->mapTo(m_list, m_lastPos);
    const int step = drag_scroll_step(in_list.y(), m_list->height());
    if (step == 0)
        return;
    QScrollBar* bar = m_list->verticalScrollBar();
    const int unit = m_list->verticalScrollMode() == QAbstractItemView::ScrollPerItem
                         ? 1
                         : m_list->verticalHeader()->defaultSectionSize();
    bar->setValue(bar->value() + step * unit);
}

int CRowDrag::drop_row_at(QPoint viewport_pos) const
{
    const int rows = m_list->model()->rowCount();
    if (rows == 0)
        return -1;
    const int row = m_list->rowAt(viewport_pos.y());
    if (row >= 0)
        return row;
    // Above the first row shown (over the header) is the first row shown; below the rows, the last.
    if (viewport_pos.y() < 0) {
        const int top = m_list->rowAt(0);
        return top >= 0 ? top : 0;
    }
    return rows - 1;
}

void CRowDrag::finish(QPoint viewport_pos)
{
    const int start = m_pressRow;
    const bool over_list = m_list->rect().contains(m_list->viewport()->mapTo(m_list, viewport_pos));
    const int drop = drop_row_at(viewport_pos);
    reset();
    if (over_list && drop >= 0)
        emit dropped(start, drop);
}

void CRowDrag::reset()
{
    m_scroll.stop();
    delete m_image;
    m_image = nullptr;
    m_pressRow = -1;
    m_dragging = false;
}

} // namespace korvid
