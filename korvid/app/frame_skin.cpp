#include "korvid/app/frame_skin.h"

#include "korvid/ui/skin.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>

namespace korvid::frame_skin {

namespace {

// The whole window of a layout as one picture; the pieces are cut from it, so they always meet.
QPixmap composite(QSize size, int bottom_band)
{
    const int w = size.width(), h = size.height();
    QPixmap pm(size);
    pm.fill(QColor(222, 228, 240));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    // body: a blue bevel around the view
    QLinearGradient side(0, 0, w, 0);
    side.setColorAt(0, QColor(92, 122, 176));
    side.setColorAt(0.03, QColor(150, 172, 212));
    side.setColorAt(0.97, QColor(150, 172, 212));
    side.setColorAt(1, QColor(72, 100, 152));
    p.fillRect(0, 0, w, h, side);

    // top band
    QLinearGradient top(0, 0, 0, TOP_BAND);
    top.setColorAt(0, QColor(34, 62, 114));
    top.setColorAt(0.22, QColor(58, 94, 156));
    top.setColorAt(0.2201, QColor(244, 247, 252));
    top.setColorAt(0.66, QColor(214, 224, 240));
    top.setColorAt(0.6601, QColor(190, 204, 228));
    top.setColorAt(1, QColor(160, 180, 214));
    p.fillRect(0, 0, w, TOP_BAND, top);
    // a sheen on the dark cap
    QLinearGradient cap(0, 0, 0, 22);
    cap.setColorAt(0, QColor(255, 255, 255, 70));
    cap.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(0, 0, w, 11, cap);
    p.setPen(QColor(120, 144, 190));
    p.drawLine(0, 68, w, 68);
    p.setPen(QColor(250, 252, 255));
    p.drawLine(0, 69, w, 69);
    p.setPen(QColor(110, 132, 176));
    p.drawLine(0, TOP_BAND - 1, w, TOP_BAND - 1);

    // bottom band
    const int by = h - bottom_band;
    QLinearGradient bottom(0, by, 0, h);
    bottom.setColorAt(0, QColor(176, 194, 224));
    bottom.setColorAt(0.12, QColor(236, 241, 250));
    bottom.setColorAt(0.7, QColor(210, 220, 238));
    bottom.setColorAt(1, QColor(58, 94, 156));
    p.fillRect(0, by, w, bottom_band, bottom);
    p.setPen(QColor(110, 132, 176));
    p.drawLine(0, by, w, by);

    // the outline of the window
    p.setPen(QPen(QColor(20, 38, 76), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, w - 2, h - 2));
    return pm;
}

void draw_icon(QPainter& p, int index, QRectF r, bool pressed)
{
    const QColor ink = pressed ? QColor(255, 255, 255) : QColor(30, 56, 104);
    p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal cx = r.center().x(), cy = r.center().y();
    auto arrow_down = [&](qreal x, qreal y0, qreal y1, QColor c) {
        p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(x, y0), QPointF(x, y1));
        p.drawLine(QPointF(x - 4, y1 - 4), QPointF(x, y1));
        p.drawLine(QPointF(x + 4, y1 - 4), QPointF(x, y1));
    };
    auto arrow_up = [&](qreal x, qreal y0, qreal y1, QColor c) {
        p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(x, y0), QPointF(x, y1));
        p.drawLine(QPointF(x - 4, y1 + 4), QPointF(x, y1));
        p.drawLine(QPointF(x + 4, y1 + 4), QPointF(x, y1));
    };
    auto box = [&](QRectF b) {
        QLinearGradient g(b.topLeft(), b.bottomLeft());
        g.setColorAt(0, QColor(90, 96, 110));
        g.setColorAt(1, QColor(30, 32, 40));
        p.setBrush(g);
        p.setPen(QPen(QColor(10, 12, 20), 1));
        p.drawRoundedRect(b, 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 230, 120));
        p.drawEllipse(QPointF(b.right() - 3, b.center().y()), 1.2, 1.2);
    };
    switch (index) {
    case 0: { // open: a folder
        QPainterPath f;
        f.moveTo(cx - 10, cy + 7);
        f.lineTo(cx - 10, cy - 7);
        f.lineTo(cx - 4, cy - 7);
        f.lineTo(cx - 2, cy - 4);
        f.lineTo(cx + 9, cy - 4);
        f.lineTo(cx + 9, cy + 7);
        f.closeSubpath();
        p.setBrush(QColor(250, 210, 100));
        p.setPen(QPen(QColor(150, 100, 20), 1));
        p.drawPath(f);
        QPainterPath lid;
        lid.moveTo(cx - 10, cy + 7);
        lid.lineTo(cx - 6, cy - 1);
        lid.lineTo(cx + 12, cy - 1);
        lid.lineTo(cx + 9, cy + 7);
        lid.closeSubpath();
        p.setBrush(QColor(255, 232, 150));
        p.drawPath(lid);
        break;
    }
    case 1: { // save: a disk
        QRectF d(cx - 8, cy - 8, 16, 16);
        p.setBrush(QColor(60, 100, 170));
        p.setPen(QPen(QColor(20, 40, 90), 1));
        p.drawRoundedRect(d, 2, 2);
        p.setBrush(QColor(240, 244, 250));
        p.drawRect(QRectF(cx - 5, cy - 8, 10, 6));
        p.setBrush(QColor(200, 210, 225));
        p.drawRect(QRectF(cx - 5, cy + 2, 10, 6));
        break;
    }
    case 2: { // software downloader: a chip with an arrow
        QRectF c(cx - 2, cy - 6, 14, 13);
        p.setBrush(QColor(50, 56, 70));
        p.setPen(QPen(QColor(20, 20, 30), 1));
        p.drawRect(c);
        p.setPen(QPen(QColor(200, 200, 210), 1));
        for (int i = 0; i < 4; ++i) {
            p.drawLine(QPointF(c.left() + 2 + i * 3.2, c.top() - 2),
                       QPointF(c.left() + 2 + i * 3.2, c.top()));
            p.drawLine(QPointF(c.left() + 2 + i * 3.2, c.bottom()),
                       QPointF(c.left() + 2 + i * 3.2, c.bottom() + 2));
        }
        arrow_down(cx - 9, cy - 8, cy + 7, QColor(40, 150, 60));
        break;
    }
    case 3: { // database editor: a table with a pencil
        QRectF t(cx - 11, cy - 7, 17, 14);
        p.setBrush(Qt::white);
        p.setPen(QPen(QColor(30, 56, 104), 1));
        p.drawRect(t);
        p.fillRect(QRectF(t.left() + 0.5, t.top() + 0.5, t.width() - 1, 3.5), QColor(107, 162, 214));
        for (int i = 1; i < 3; ++i)
            p.drawLine(QPointF(t.left(), t.top() + 4 + i * 3.3), QPointF(t.right(), t.top() + 4 + i * 3.3));
        p.drawLine(QPointF(t.left() + 6, t.top() + 4), QPointF(t.left() + 6, t.bottom()));
        p.setPen(QPen(QColor(220, 120, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(cx + 11, cy - 8), QPointF(cx + 3, cy + 5));
        p.setPen(QPen(QColor(40, 40, 40), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(cx + 3, cy + 5), QPointF(cx + 2, cy + 7));
        break;
    }
    case 4: // download DB: into the receiver
        box(QRectF(cx - 10, cy + 2, 20, 7));
        arrow_down(cx, cy - 9, cy, QColor(40, 150, 60));
        break;
    case 5: // upload DB: out of the receiver
        box(QRectF(cx - 10, cy + 2, 20, 7));
        arrow_up(cx, cy, cy - 9, QColor(200, 90, 30));
        break;
    default:
        break;
    }
}

} // namespace

FramePieces pieces(int layout, QSize size)
{
    FramePieces fp;
    if (layout == LAYOUT_DOWNLOADER) {
        QPixmap all = composite(QSize(445, 392), 56);
        fp.top = all.copy(0, 0, 445, 103);
        fp.left = all.copy(0, 102, 11, 289);
        fp.right = all.copy(426, 102, 19, 289);
        fp.bottom = all.copy(10, 336, 417, 56);
        fp.top_at = {0, 0};
        fp.left_at = {0, 102};
        fp.right_at = {426, 102};
        fp.bottom_at = {10, 336};
    } else {
        // One pixel past the window on the right and at the bottom, as the pieces were cut at 699 x 500.
        const int w = std::max(size.width(), 699) + 1, h = std::max(size.height(), 500) + 1;
        QPixmap all = composite(QSize(w, h), 68);
        fp.top = all.copy(0, 0, w, 103);
        fp.left = all.copy(0, 102, 13, h - 102);
        fp.right = all.copy(w - 22, 102, 22, h - 102);
        fp.bottom = all.copy(13, h - 68, w - 26, 68);
        fp.top_at = {0, 0};
        fp.left_at = {0, 102};
        fp.right_at = {w - 22, 102};
        fp.bottom_at = {13, h - 68};
    }
    return fp;
}

QPixmap command_button(int index, int state)
{
    QPixmap pm(BUTTON_WIDTH, BUTTON_HEIGHT);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF r(1.5, 1.5, BUTTON_WIDTH - 3, BUTTON_HEIGHT - 3);
    QLinearGradient g(0, 0, 0, BUTTON_HEIGHT);
    if (state == 2) {
        g.setColorAt(0, QColor(150, 176, 218));
        g.setColorAt(1, QColor(186, 206, 236));
    } else {
        g.setColorAt(0, QColor(252, 253, 255));
        g.setColorAt(0.5, QColor(226, 234, 246));
        g.setColorAt(0.51, QColor(208, 220, 240));
        g.setColorAt(1, QColor(232, 238, 250));
    }
    p.setBrush(g);
    p.setPen(QPen(QColor(120, 144, 190), 1));
    p.drawRoundedRect(r, 4, 4);
    draw_icon(p, index,
              QRectF(0, 0, BUTTON_WIDTH, BUTTON_HEIGHT).translated(state == 2 ? 1 : 0, state == 2 ? 1 : 0),
              false);
    if (state != 0) {
        // the raised (hover) or sunken (pressed) frame in white and RGB(120,120,120)
        p.setRenderHint(QPainter::Antialiasing, false);
        const QColor tl = state == 1 ? QColor(Qt::white) : QColor(120, 120, 120);
        const QColor br = state == 1 ? QColor(120, 120, 120) : QColor(Qt::white);
        p.setPen(tl);
        p.drawLine(0, 0, BUTTON_WIDTH - 1, 0);
        p.drawLine(0, 0, 0, BUTTON_HEIGHT - 1);
        p.setPen(br);
        p.drawLine(0, BUTTON_HEIGHT - 1, BUTTON_WIDTH - 1, BUTTON_HEIGHT - 1);
        p.drawLine(BUTTON_WIDTH - 1, 0, BUTTON_WIDTH - 1, BUTTON_HEIGHT - 1);
    }
    return pm;
}

QPixmap caption_button(CaptionButton which, int side, bool hot)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF r(0.5, 0.5, side - 1, side - 1);
    QLinearGradient g(0, 0, 0, side);
    if (which == CAPTION_CLOSE) {
        g.setColorAt(0, hot ? QColor(255, 150, 130) : QColor(236, 120, 100));
        g.setColorAt(1, hot ? QColor(220, 60, 40) : QColor(180, 50, 36));
    } else {
        g.setColorAt(0, hot ? QColor(255, 255, 255) : QColor(236, 242, 252));
        g.setColorAt(1, hot ? QColor(190, 210, 240) : QColor(160, 184, 222));
    }
    p.setBrush(g);
    p.setPen(QPen(QColor(20, 38, 76), 1));
    p.drawRoundedRect(r, 3, 3);
    const qreal m = side * 0.3;
    p.setPen(QPen(which == CAPTION_CLOSE ? QColor(Qt::white) : QColor(20, 38, 76), 2, Qt::SolidLine,
                  Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (which == CAPTION_MINIMISE)
        p.drawLine(QPointF(m, side - m), QPointF(side - m, side - m));
    else if (which == CAPTION_FULL_SCREEN)
        p.drawRect(QRectF(m, m, side - 2 * m, side - 2 * m));
    else {
        p.drawLine(QPointF(m, m), QPointF(side - m, side - m));
        p.drawLine(QPointF(side - m, m), QPointF(m, side - m));
    }
    return pm;
}

QPixmap emblem(int side)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(side * 0.35, side * 0.3), side * 0.8);
    g.setColorAt(0, QColor(140, 196, 250));
    g.setColorAt(1, QColor(24, 70, 150));
    p.setBrush(g);
    p.setPen(QPen(QColor(240, 246, 255), 1.2));
    p.drawEllipse(QRectF(1, 1, side - 2, side - 2));
    p.setPen(QPen(Qt::white, side / 9.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal l = side * 0.34, t = side * 0.26, b = side * 0.74;
    p.drawLine(QPointF(l, t), QPointF(l, b));
    p.drawLine(QPointF(side * 0.68, t), QPointF(l + 1, side * 0.5));
    p.drawLine(QPointF(l + 2, side * 0.5), QPointF(side * 0.7, b));
    return pm;
}

QRect small_logo_text_rect()
{
    return QRect(17, 0, 45, 18);
}

QFont small_logo_font()
{
    // The largest bold size at which the whole name fits beside the emblem; the face the system
    // substitutes for Arial decides, so it is measured rather than assumed.
    const QString name = QStringLiteral("Korvid");
    for (int px = 14; px > 8; --px) {
        QFont f = skin::arial(px, QFont::Bold);
        if (QFontMetrics(f).horizontalAdvance(name) <= small_logo_text_rect().width())
            return f;
    }
    return skin::arial(9, QFont::Bold);
}

QPixmap small_logo()
{
    QPixmap pm(62, 18);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPixmap(0, 1, emblem(16));
    p.setFont(small_logo_font());
    p.setPen(QColor(60, 100, 160));
    p.drawText(small_logo_text_rect(), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Korvid"));
    return pm;
}

} // namespace korvid::frame_skin
