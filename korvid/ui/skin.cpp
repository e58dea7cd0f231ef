#include "korvid/ui/skin.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace korvid::skin {

QFont arial(int pixel_height, int weight)
{
    QFont f;
    // Arial's metric twins first: the layouts are measured for Arial's widths.
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                   QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans Condensed")});
    f.setPixelSize(pixel_height);
    f.setWeight(QFont::Weight(weight));
    return f;
}

QFont app_font()
{
    return arial(15);
}

static QPixmap transparent(QSize size)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap dialog_background(QSize size, int title_height)
{
    QPixmap pm(size);
    pm.fill(QColor(222, 228, 240));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = size.width(), h = size.height();

    QLinearGradient title(0, 0, 0, title_height);
    title.setColorAt(0, QColor(250, 251, 254));
    title.setColorAt(1, QColor(214, 222, 236));
    p.fillRect(0, 0, w, title_height, title);

    QLinearGradient body(0, title_height, 0, h);
    body.setColorAt(0, QColor(52, 86, 140));
    body.setColorAt(0.55, QColor(36, 64, 112));
    body.setColorAt(1, QColor(22, 42, 80));
    p.fillRect(0, title_height, w, h - title_height, body);

    // A soft sheen across the upper body, and a thin highlight under the title strip.
    QRadialGradient sheen(QPointF(w * 0.7, title_height), w * 0.6);
    sheen.setColorAt(0, QColor(255, 255, 255, 46));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(0, title_height, w, h - title_height, sheen);
    p.setPen(QColor(150, 170, 205));
    p.drawLine(0, title_height, w, title_height);
    p.setPen(QColor(120, 150, 200));
    p.drawLine(0, title_height + 1, w, title_height + 1);

    p.setPen(QPen(QColor(20, 36, 70), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 4, 4);
    return pm;
}

QPixmap close_box(bool hot)
{
    QPixmap pm = transparent(QSize(16, 16));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 16);
    g.setColorAt(0, hot ? QColor(240, 120, 100) : QColor(228, 232, 240));
    g.setColorAt(1, hot ? QColor(190, 50, 40) : QColor(180, 190, 210));
    p.setBrush(g);
    p.setPen(QColor(90, 100, 120));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    p.setPen(QPen(hot ? Qt::white : QColor(60, 66, 80), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    return pm;
}

QPixmap button_face(QSize size, const QString& text, int state)
{
    QPixmap pm = transparent(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
    QLinearGradient g(0, 0, 0, size.height());
    if (state == 2) {
        g.setColorAt(0, QColor(214, 218, 226));
        g.setColorAt(1, QColor(190, 195, 205));
    } else if (state == 1) {
        g.setColorAt(0, QColor(58, 96, 156));
        g.setColorAt(1, QColor(90, 136, 200));
    } else {
        const int lift = state == 3 ? 18 : 0;
        g.setColorAt(0, QColor(std::min(255, 246 + lift), std::min(255, 249 + lift), 255));
        g.setColorAt(0.48, QColor(200 + lift, 216 + lift / 2, 240));
        g.setColorAt(0.52, QColor(176 + lift, 198 + lift / 2, 232));
        g.setColorAt(1, QColor(140 + lift, 170 + lift / 2, 218));
    }
    p.setBrush(g);
    p.setPen(QPen(state == 2 ? QColor(150, 156, 168) : QColor(30, 56, 104), 1));
    p.drawRoundedRect(r, 6, 6);
    if (state != 1 && state != 2) {
        p.setPen(QColor(255, 255, 255, 160));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 5, 5);
    }
    p.setFont(arial(15, QFont::Bold));
    QRectF tr = r.translated(state == 1 ? 1 : 0, state == 1 ? 1 : 0);
    if (state != 2) {
        p.setPen(state == 1 ? QColor(20, 30, 60) : QColor(255, 255, 255, 200));
        p.drawText(tr.translated(0, 1), Qt::AlignCenter | Qt::TextShowMnemonic, text);
    }
    p.setPen(state == 2 ? QColor(140, 145, 155) : state == 1 ? Qt::white : QColor(22, 40, 80));
    // An '&' marks the letter Alt presses the button with (QAbstractButton takes it as its shortcut).
    p.drawText(tr, Qt::AlignCenter | Qt::TextShowMnemonic, text);
    return pm;
}

QPixmap progress_fill()
{
    QPixmap pm(8, 24);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, 24);
    g.setColorAt(0, QColor(236, 248, 226));
    g.setColorAt(0.45, QColor(176, 226, 150));
    g.setColorAt(0.5, QColor(140, 206, 110));
    g.setColorAt(1, QColor(178, 228, 140));
    p.fillRect(0, 0, 8, 24, g);
    return pm;
}

static void draw_receiver(QPainter& p, QRectF r)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(96, 102, 116));
    g.setColorAt(0.5, QColor(44, 48, 58));
    g.setColorAt(1, QColor(24, 26, 32));
    p.setPen(QPen(QColor(10, 12, 18), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 3, 3);
    // display and lamps
    QRectF disp(r.left() + r.width() * 0.12, r.top() + r.height() * 0.3, r.width() * 0.34, r.height() * 0.4);
    p.setBrush(QColor(20, 40, 30));
    p.setPen(QColor(70, 80, 90));
    p.drawRoundedRect(disp, 2, 2);
    p.setPen(QColor(120, 255, 160));
    QFont f = arial(std::max(7, int(disp.height() * 0.8)), QFont::Bold);
    p.setFont(f);
    p.drawText(disp, Qt::AlignCenter, QStringLiteral("0123"));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 230, 120));
    p.drawEllipse(QPointF(r.right() - r.width() * 0.12, r.center().y()), 2.2, 2.2);
    p.setBrush(QColor(170, 176, 190));
    for (int i = 0; i < 3; ++i)
        p.drawRoundedRect(
            QRectF(r.left() + r.width() * (0.56 + 0.08 * i), r.center().y() - 2, r.width() * 0.05, 4), 1, 1);
}

static void draw_pc(QPainter& p, QRectF r)
{
    QRectF screen(r.left(), r.top(), r.width(), r.height() * 0.72);
    p.setPen(QPen(QColor(30, 34, 44), 1));
    p.setBrush(QColor(210, 216, 228));
    p.drawRoundedRect(screen, 3, 3);
    QLinearGradient g(screen.topLeft(), screen.bottomRight());
    g.setColorAt(0, QColor(120, 190, 250));
    g.setColorAt(1, QColor(30, 80, 160));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRect(screen.adjusted(3, 3, -3, -3));
    p.setBrush(QColor(180, 188, 204));
    p.drawRect(
        QRectF(r.center().x() - r.width() * 0.08, screen.bottom(), r.width() * 0.16, r.height() * 0.14));
    p.setPen(QPen(QColor(30, 34, 44), 1));
    p.drawRoundedRect(QRectF(r.left() + r.width() * 0.2, r.bottom() - r.height() * 0.14, r.width() * 0.6,
                             r.height() * 0.12),
                      2, 2);
}

QPixmap busy_picture()
{
    QPixmap pm = transparent(QSize(250, 64));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF r(0.5, 0.5, 249, 63);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, QColor(255, 250, 228));
    g.setColorAt(1, QColor(246, 224, 160));
    p.setBrush(g);
    p.setPen(QPen(QColor(170, 120, 30), 1.2));
    p.drawRoundedRect(r, 8, 8);
    // hourglass
    QPainterPath glass;
    glass.moveTo(20, 12);
    glass.lineTo(44, 12);
    glass.lineTo(34, 32);
    glass.lineTo(44, 52);
    glass.lineTo(20, 52);
    glass.lineTo(30, 32);
    glass.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 200));
    p.setPen(QPen(QColor(110, 80, 20), 1.5));
    p.drawPath(glass);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 160, 40));
    QPainterPath sand;
    sand.moveTo(25, 18);
    sand.lineTo(39, 18);
    sand.lineTo(32, 30);
    sand.closeSubpath();
    sand.moveTo(24, 49);
    sand.lineTo(40, 49);
    sand.lineTo(32, 40);
    sand.closeSubpath();
    p.drawPath(sand);
    p.setPen(QPen(QColor(110, 80, 20), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(17, 11, 47, 11);
    p.drawLine(17, 53, 47, 53);
    p.setPen(QColor(80, 56, 10));
    p.setFont(arial(15, QFont::Bold));
    p.drawText(QRectF(58, 10, 186, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Writing flash memory"));
    p.setFont(arial(13));
    p.drawText(QRectF(58, 32, 186, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Keep the receiver switched on"));
    return pm;
}

QPixmap transfer_picture()
{
    QPixmap pm = transparent(QSize(96, 64));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw_pc(p, QRectF(2, 4, 40, 40));
    draw_receiver(p, QRectF(52, 22, 42, 18));
    // the two arrows of the serial link
    p.setPen(QPen(QColor(255, 210, 90), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(20, 50), QPointF(76, 50));
    p.drawLine(QPointF(70, 46), QPointF(76, 50));
    p.drawLine(QPointF(70, 54), QPointF(76, 50));
    p.setPen(QPen(QColor(160, 220, 255), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(20, 58), QPointF(76, 58));
    p.drawLine(QPointF(26, 54), QPointF(20, 58));
    p.drawLine(QPointF(26, 62), QPointF(20, 58));
    return pm;
}

QPixmap about_picture()
{
    QPixmap pm = transparent(QSize(100, 80));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // dish
    p.save();
    p.translate(38, 28);
    p.rotate(-30);
    QLinearGradient dg(-26, 0, 26, 0);
    dg.setColorAt(0, QColor(250, 252, 255));
    dg.setColorAt(1, QColor(170, 182, 204));
    p.setBrush(dg);
    p.setPen(QPen(QColor(60, 70, 90), 1.2));
    p.drawChord(QRectF(-26, -12, 52, 24), 180 * 16, 180 * 16);
    p.restore();
    p.setPen(QPen(QColor(210, 216, 228), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(42, 34), QPointF(48, 52));
    p.drawLine(QPointF(38, 30), QPointF(58, 16));
    p.setBrush(QColor(255, 200, 80));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(58, 16), 3, 3);
    // signal arcs
    p.setPen(QPen(QColor(255, 220, 120, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i)
        p.drawArc(QRectF(60 - i * 6, 2 - i * 6, 20 + i * 12, 20 + i * 12), 0 * 16, 90 * 16);
    draw_receiver(p, QRectF(16, 52, 78, 24));
    return pm;
}

} // namespace korvid::skin
