#include "korvid/editor/ui/editor_look.h"

#include "korvid/ui/skin.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <algorithm>

namespace korvid {

namespace editor_look {

QPixmap row_picture()
{
    static const QPixmap picture = [] {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        // a small dish on its foot, facing up and to the right
        p.setPen(QPen(QColor(70, 78, 92), 1.2));
        p.drawLine(QPointF(7.5, 10), QPointF(5, 15));
        p.drawLine(QPointF(7.5, 10), QPointF(10, 15));
        QPainterPath dish;
        dish.moveTo(1.5, 5);
        dish.quadTo(4, 13.5, 13.5, 10.5);
        dish.closeSubpath();
        QLinearGradient g(2, 4, 12, 12);
        g.setColorAt(0, QColor(170, 205, 240));
        g.setColorAt(1, QColor(40, 96, 170));
        p.setBrush(g);
        p.setPen(QPen(QColor(26, 56, 110), 1));
        p.drawPath(dish);
        p.setPen(QPen(QColor(26, 56, 110), 1));
        p.drawLine(QPointF(7.5, 8.5), QPointF(12, 3.5));
        p.setBrush(QColor(230, 90, 40));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(12.5, 3), 1.8, 1.8);
        return pm;
    }();
    return picture;
}

void use_page_background(QWidget* w)
{
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, page_background());
    w->setPalette(pal);
}

} // namespace editor_look

CListHeader::CListHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
}

void CListHeader::set_sort(int column, int direction)
{
    m_sortColumn = column;
    m_sortDirection = direction;
    show_sort();
}

void CListHeader::show_sort()
{
    setSortIndicatorShown(m_sortDirection != 0);
    if (m_sortDirection != 0)
        setSortIndicator(m_sortColumn, m_sortDirection > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    viewport()->update();
}

void CListHeader::mouseReleaseEvent(QMouseEvent* e)
{
    // The header view turns its indicator to whichever caption was clicked; the pages sort by one
    // column alone and set the triangle themselves while the click is reported, so it goes back to
    // where they put it.
    QHeaderView::mouseReleaseEvent(e);
    show_sort();
}

void CListHeader::paintSection(QPainter* p, const QRect& full, int logicalIndex) const
{
    const QRect rect = full.adjusted(0, m_topStrip, 0, 0);
    if (!rect.isValid())
        return;
    p->save();
    p->fillRect(rect, editor_look::header_background());
    p->setPen(QColor(150, 225, 245));
    p->drawLine(rect.topLeft(), rect.topRight());
    p->drawLine(rect.topLeft(), rect.bottomLeft());
    p->setPen(QColor(30, 120, 160));
    p->drawLine(rect.topRight(), rect.bottomRight());
    p->drawLine(rect.bottomLeft(), rect.bottomRight());

    QRect text_rect = rect.adjusted(4, 0, -4, 0);
    const bool sorted = isSortIndicatorShown() && sortIndicatorSection() == logicalIndex;
    if (sorted)
        text_rect.setRight(text_rect.right() - 12);
    const QVariant align =
        model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole) : QVariant();
    const int flags = align.isValid() ? align.toInt() : int(Qt::AlignCenter);
    p->setPen(Qt::black);
    p->setFont(font());
    const QString caption = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    p->drawText(text_rect, flags | Qt::AlignVCenter, caption);

    if (sorted) {
        // drawn as the old 3-D controls draw it: the lit edges light, the others in shadow
        const QColor lit = palette().color(QPalette::Light);
        const QColor shade = palette().color(QPalette::Dark);
        const int cx = rect.right() - 10, cy = rect.center().y();
        if (sortIndicatorOrder() == Qt::AscendingOrder) {
            const QPoint apex(cx, cy - 3), l(cx - 4, cy + 3), r(cx + 4, cy + 3);
            p->setPen(shade);
            p->drawLine(apex, l);
            p->setPen(lit);
            p->drawLine(apex, r);
            p->drawLine(l, r);
        } else {
            const QPoint apex(cx, cy + 3), l(cx - 4, cy - 3), r(cx + 4, cy - 3);
            p->setPen(shade);
            p->drawLine(l, r);
            p->drawLine(l, apex);
            p->setPen(lit);
            p->drawLine(apex, r);
        }
    }
    p->restore();
}

CPageButton::CPageButton(const QString& text, QWidget* parent)
    : CBitmapButton(text, parent)
{
    // A click leaves the keyboard on the list; Tab still reaches the button, and Enter presses it.
    setFocusPolicy(Qt::TabFocus);
    resize(WIDTH, HEIGHT);
}

int CPageButton::page_width() const
{
    // The face's caption font, and room for the rounded edges.
    const QFontMetrics metrics(skin::arial(15, QFont::Bold));
    return std::max(WIDTH, metrics.horizontalAdvance(text()) + 12);
}

void CPageButton::resizeEvent(QResizeEvent* e)
{
    CBitmapButton::resizeEvent(e);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, width(), height()), 6, 6);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}

} // namespace korvid
