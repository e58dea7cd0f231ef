#include "korvid/editor/ui/drag_list.h"

#include "korvid/editor/drag_scroll.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <vector>

namespace korvid {

CDragList::CDragList(const ListState& state, QWidget* parent)
    : CEditorList(state, parent)
{
    // The drag scrolls the list itself, at its own pace; the view's own scrolling while the mouse
    // selects would race it.
    setAutoScroll(false);
    m_scrollTimer.setInterval(DRAG_SCROLL_INTERVAL_MS);
    connect(&m_scrollTimer, &QTimer::timeout, this, [this] {
        QScrollBar* bar = verticalScrollBar();
        const int before = bar->value();
        bar->setValue(before + m_scrollStep); // one step is one row
        if (bar->value() != before)
            emit dragScrolled();
    });
}

CDragList::~CDragList() = default;

bool CDragList::drop_target(QPoint global, int* row) const
{
    if (!rect().contains(mapFromGlobal(global)))
        return false;
    const QPoint at = viewport()->mapFromGlobal(global);
    // Over the header is the first row the user sees, not a place below the rows.
    *row = rowAt(std::max(at.y(), 0));
    return true;
}

void CDragList::set_drop_row(int row)
{
    if (row == m_dropRow)
        return;
    m_dropRow = row;
    viewport()->update();
}

void CDragList::drag_scroll_at(QPoint global, bool only_within_width)
{
    const QPoint at = viewport()->mapFromGlobal(global);
    const bool beside = at.x() < 0 || at.x() >= viewport()->width();
    m_scrollStep = (only_within_width && beside) ? 0 : drag_scroll_step(at.y(), viewport()->height());
    m_scrollAt = global;
    if (m_scrollStep == 0)
        m_scrollTimer.stop();
    else if (!m_scrollTimer.isActive())
        m_scrollTimer.start();
}

void CDragList::stop_drag_scroll()
{
    m_scrollStep = 0;
    m_scrollTimer.stop();
}

void CDragList::mousePressEvent(QMouseEvent* e)
{
    m_deferredClick = false;
    m_pressedRow = -1;
    if (m_dragsRows && e->button() == Qt::LeftButton) {
        m_pressedAt = e->position().toPoint();
        m_pressedRow = rowAt(m_pressedAt.y());
        const std::vector<int> selected = selected_rows();
        if (m_pressedRow >= 0 && e->modifiers() == Qt::NoModifier && selected.size() > 1 &&
            std::find(selected.begin(), selected.end(), m_pressedRow) != selected.end()) {
            m_deferredClick = true;
            setFocus(Qt::MouseFocusReason);
            return;
        }
    }
    CEditorList::mousePressEvent(e);
}

void CDragList::mouseMoveEvent(QMouseEvent* e)
{
    if (!(e->buttons() & Qt::LeftButton) || m_pressedRow < 0) {
        CEditorList::mouseMoveEvent(e);
        return;
    }
    const QPoint global = e->globalPosition().toPoint();
    if (!m_dragging) {
        if ((e->position().toPoint() - m_pressedAt).manhattanLength() < QApplication::startDragDistance()) {
            if (!m_deferredClick)
                CEditorList::mouseMoveEvent(e);
            return;
        }
        m_dragging = true;
        m_deferredClick = false;
        emit dragStarted(m_pressedRow);
    }
    show_drag_picture(global);
    emit dragMoved(global);
}

void CDragList::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && m_dragging) {
        end_drag(true, e->globalPosition().toPoint());
        // The view saw the press but not the moves; its release ends the selecting it began there.
        QMouseEvent at_press(QEvent::MouseButtonRelease, QPointF(-1, -1), e->globalPosition(), e->button(),
                             e->buttons(), e->modifiers());
        CEditorList::mouseReleaseEvent(&at_press);
        return;
    }
    if (e->button() == Qt::LeftButton && m_deferredClick) {
        // No drag came of the press: it was a click on one row after all.
        m_deferredClick = false;
        const int row = m_pressedRow;
        m_pressedRow = -1;
        selectionModel()->select(model()->index(row, 0),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::NoUpdate);
        emit rowClicked(row);
        return;
    }
    m_pressedRow = -1;
    CEditorList::mouseReleaseEvent(e);
}

void CDragList::show_drag_picture(QPoint global)
{
    if (!m_picture) {
        // The rows being dragged as the list shows them (the selected ones in sight, or the one
        // pressed), as wide as their columns and framed: a window's opacity needs a compositor,
        // and a row as wide as the view shows empty space past the last column.
        std::vector<int> rows;
        for (const QModelIndex& index : selectionModel()->selectedRows())
            if (rowViewportPosition(index.row()) >= 0 &&
                rowViewportPosition(index.row()) < viewport()->height())
                rows.push_back(index.row());
        if (rows.empty())
            rows.push_back(m_pressedRow);
        std::sort(rows.begin(), rows.end());
        if (rows.size() > 6)
            rows.resize(6);
        const int width = std::max(1, std::min(viewport()->width(), horizontalHeader()->length()));
        int height = 0;
        for (int r : rows)
            height += rowHeight(r);
        QPixmap picture(width + 2, height + 2);
        picture.fill(palette().color(QPalette::Mid));
        QPainter painter(&picture);
        int y = 1;
        for (int r : rows) {
            const QRect row(0, rowViewportPosition(r), width, rowHeight(r));
            painter.drawPixmap(1, y, viewport()->grab(row.intersected(viewport()->rect())));
            y += rowHeight(r);
        }
        painter.end();
        m_picture = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint |
                                                          Qt::WindowTransparentForInput);
        m_picture->setAttribute(Qt::WA_ShowWithoutActivating);
        m_picture->setPixmap(picture);
        m_picture->adjustSize();
    }
    m_picture->move(global + QPoint(12, 8));
    if (!m_picture->isVisible())
        m_picture->show();
}

void CDragList::end_drag(bool dropped, QPoint global)
{
    m_picture.reset();
    m_dragging = false;
    m_deferredClick = false;
    m_pressedRow = -1;
    stop_drag_scroll();
    if (dropped)
        emit dragDropped(global);
    else
        emit dragCancelled();
}

void CDragList::keyPressEvent(QKeyEvent* e)
{
    if (m_dragging && e->key() == Qt::Key_Escape) {
        end_drag(false, {});
        e->accept();
        return;
    }
    // Only the mouse is kept from scrolling the view (see the constructor). A key moves the current
    // row as on every other list: the view brings it into sight, so that Edit and Delete never act
    // on a selected row the user cannot see.
    setAutoScroll(true);
    CEditorList::keyPressEvent(e);
    setAutoScroll(false);
}

void CDragList::focusOutEvent(QFocusEvent* e)
{
    if (m_dragging)
        end_drag(false, {});
    CEditorList::focusOutEvent(e);
}

void CDragList::paintEvent(QPaintEvent* e)
{
    CEditorList::paintEvent(e);
    if (m_dropRow < 0 || m_dropRow >= model()->rowCount())
        return;
    // The drop place: the row framed and tinted in the selection colour, so that it reads as "here"
    // next to the selected rows, which are filled.
    QPainter p(viewport());
    const QRect row = visualRect(model()->index(m_dropRow, 0))
                          .united(visualRect(model()->index(m_dropRow, model()->columnCount() - 1)))
                          .adjusted(0, 0, -1, -1);
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlpha(70);
    p.fillRect(row, fill);
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.drawRect(row.adjusted(1, 1, 0, 0));
}

} // namespace korvid
