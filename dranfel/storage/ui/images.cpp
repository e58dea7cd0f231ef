#include "dranfel/storage/ui/images.h"

#include "dranfel/storage/frame_rules.h"

#include <QPainter>
#include <QPainterPath>

namespace dranfel::images {

namespace {

constexpr int W = TOOLBAR_BUTTON_WIDTH;
constexpr int H = TOOLBAR_BUTTON_HEIGHT;

void sheet(QPainter& p, QRectF r, QColor fill, bool dashed = false)
{
    QPainterPath path;
    const qreal fold = r.width() / 3;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    QPen pen(QColor(60, 70, 90), 1.2);
    if (dashed)
        pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.setBrush(dashed ? Qt::NoBrush : QBrush(fill));
    p.drawPath(path);
    if (!dashed) {
        p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
        p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
    }
}

void arrow(QPainter& p, QPointF from, QPointF to, QColor colour)
{
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const qreal dir = to.y() > from.y() ? 1 : -1;
    QPolygonF head({to + QPointF(-5, -4 * dir), to + QPointF(5, -4 * dir), to + QPointF(0, 3 * dir)});
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

void caption(QPainter& p, const QString& text)
{
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(30, 40, 60));
    p.drawText(QRect(0, H - 13, W, 12), Qt::AlignCenter, text);
}

void folder(QPainter& p, QRectF r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top() + 3);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + 3);
    path.lineTo(r.left() + r.width() * 0.5, r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(QPen(QColor(150, 110, 20), 1.2));
    p.setBrush(QColor(250, 205, 80));
    p.drawPath(path);
}

// Two halves, one above the other, with the arrow between them: the toolbar says which way.
void transfer(QPainter& p, bool down, bool move)
{
    const QColor colour = move ? QColor(225, 120, 20) : QColor(30, 110, 210);
    const QRectF top(16, 2, 12, 14), bottom(16, 16, 12, 14);
    const QRectF from = down ? top : bottom, to = down ? bottom : top;
    sheet(p, from, QColor(255, 255, 255), move);
    sheet(p, to, QColor(255, 255, 255));
    const qreal x = 40;
    arrow(p, QPointF(x, down ? 5 : 26), QPointF(x, down ? 24 : 7), colour);
    caption(p, move ? QStringLiteral("Move") : QStringLiteral("Copy"));
}

void draw(QPainter& p, uint32_t command)
{
    switch (command) {
    case ID_NEW_FOLDER:
        folder(p, QRectF(17, 6, 26, 20));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 160, 60));
        p.drawEllipse(QPointF(42, 23), 7, 7);
        p.setPen(QPen(Qt::white, 2.2));
        p.drawLine(QPointF(42, 19), QPointF(42, 27));
        p.drawLine(QPointF(38, 23), QPointF(46, 23));
        caption(p, QStringLiteral("New"));
        break;
    case ID_COPY_TOP_TO_BOTTOM:
        transfer(p, true, false);
        break;
    case ID_COPY_BOTTOM_TO_TOP:
        transfer(p, false, false);
        break;
    case ID_MOVE_TOP_TO_BOTTOM:
        transfer(p, true, true);
        break;
    case ID_MOVE_BOTTOM_TO_TOP:
        transfer(p, false, true);
        break;
    case ID_DELETE:
        sheet(p, QRectF(22, 4, 18, 24), Qt::white);
        p.setPen(QPen(QColor(210, 40, 40), 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(26, 11), QPointF(42, 27));
        p.drawLine(QPointF(42, 11), QPointF(26, 27));
        caption(p, QStringLiteral("Delete"));
        break;
    case ID_CONVERT_AVI: {
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(60, 60, 70));
        p.drawRect(QRectF(14, 6, 36, 22));
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 6; ++i) {
            p.drawRect(QRectF(16 + i * 6, 8, 3, 3));
            p.drawRect(QRectF(16 + i * 6, 23, 3, 3));
        }
        p.setBrush(QColor(120, 180, 240));
        p.drawRect(QRectF(18, 13, 28, 8));
        caption(p, QStringLiteral("AVI"));
        break;
    }
    case ID_CONVERT_MP3: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 50, 170));
        p.drawEllipse(QPointF(25, 24), 5, 4);
        p.drawEllipse(QPointF(39, 21), 5, 4);
        p.setPen(QPen(QColor(120, 50, 170), 2.5));
        p.drawLine(QPointF(29.5, 24), QPointF(29.5, 7));
        p.drawLine(QPointF(43.5, 21), QPointF(43.5, 4));
        p.setPen(QPen(QColor(120, 50, 170), 4));
        p.drawLine(QPointF(29.5, 7), QPointF(43.5, 4));
        caption(p, QStringLiteral("MP3"));
        break;
    }
    default:
        break;
    }
}

} // namespace

QPixmap toolbar_image(uint32_t command, Look look)
{
    QPixmap pm(W, H);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        if (look == Look::Hot) {
            p.setPen(QPen(QColor(90, 140, 220), 1));
            p.setBrush(QColor(215, 232, 255));
            p.drawRoundedRect(QRectF(0.5, 0.5, W - 1, H - 1), 4, 4);
        }
        draw(p, command);
    }
    if (look != Look::Disabled)
        return pm;
    // Grey and faded, the way a command that does not apply looks.
    QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int g = qGray(line[x]) / 2 + 110;
            line[x] = qRgba(g, g, g, qAlpha(line[x]) * 3 / 5);
        }
    }
    return QPixmap::fromImage(img);
}

QIcon toolbar_icon(uint32_t command)
{
    QIcon icon;
    icon.addPixmap(toolbar_image(command, Look::Normal), QIcon::Normal);
    icon.addPixmap(toolbar_image(command, Look::Hot), QIcon::Active);
    icon.addPixmap(toolbar_image(command, Look::Disabled), QIcon::Disabled);
    return icon;
}

QPixmap program_icon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // A disk drive with the red dot of a recording.
    p.setPen(QPen(QColor(40, 50, 70), 2));
    p.setBrush(QColor(90, 110, 140));
    p.drawRoundedRect(QRectF(6, 14, 52, 36), 6, 6);
    p.setBrush(QColor(150, 170, 200));
    p.drawRoundedRect(QRectF(10, 18, 44, 14), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(QPointF(47, 41), 5, 5);
    p.setBrush(QColor(40, 200, 80));
    p.drawEllipse(QPointF(16, 41), 2.5, 2.5);
    return pm;
}

} // namespace dranfel::images
