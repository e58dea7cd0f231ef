#include "korvid/app/about_dlg.h"

#include "korvid/app/frame_rules.h"
#include "korvid/link/ui/bitmap_button.h"
#include "korvid/link/ui/skin.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace korvid {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("About Korvid"));
    setFixedSize(490, 192);
    QBitmap mask(size());
    mask.fill(Qt::color0);
    {
        QPainter p(&mask);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::color1);
        p.drawRoundedRect(rect(), 4, 4);
    }
    setMask(mask);
    m_background = skin::dialog_background(size());
    m_picture = skin::about_picture();
    m_ok = new CBitmapButton(QStringLiteral("OK"), this);
    m_ok->setGeometry(384, 126, 80, 34);
    connect(m_ok, &QAbstractButton::clicked, this, &QDialog::accept);
    m_ok->setFocus();
}

void CAboutDlg::keyPressEvent(QKeyEvent* e)
{
    if (press_ok_on_enter(e, m_ok))
        return;
    QDialog::keyPressEvent(e);
}

void CAboutDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_background);
    p.drawPixmap(60, 103, m_picture);
    p.drawPixmap(close_box().topLeft(), skin::close_box(false));
    p.setFont(skin::arial(15, QFont::Bold));
    p.setPen(QColor(69, 70, 72));
    p.drawText(QRect(11, 8, 300, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("About Korvid"));
    p.setFont(skin::arial(17, QFont::Bold));
    p.setPen(Qt::white);
    p.drawText(QRect(180, 80, 300, 22), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(about_version_line()));
    p.setFont(skin::arial(13));
    p.setPen(QColor(200, 214, 240));
    p.drawText(QRect(180, 104, 196, 36), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Database and software tool"));
}

void CAboutDlg::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint pos = e->position().toPoint();
    if (close_box().contains(pos)) {
        reject();
        return;
    }
    if (pos.y() < 21 && pos.x() < width() - 30) {
        m_dragging = true;
        m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void CAboutDlg::mouseMoveEvent(QMouseEvent* e)
{
    if (m_dragging)
        move(e->globalPosition().toPoint() - m_dragOffset);
}

void CAboutDlg::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

} // namespace korvid
