#include "korvid/ui/bitmap_button.h"

#include "korvid/ui/skin.h"

#include <QKeyEvent>
#include <QPainter>

namespace korvid {

CBitmapButton::CBitmapButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(text);
    setFocusPolicy(Qt::StrongFocus);
    resize(80, 34);
}

void CBitmapButton::paintEvent(QPaintEvent*)
{
    int state = 0;
    if (!isEnabled())
        state = 2;
    else if (isDown())
        state = 1;
    else if (m_hot)
        state = 3;
    QPainter p(this);
    p.drawPixmap(0, 0, skin::button_face(size(), text(), state));
    if (hasFocus() && state != 2) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(30, 56, 104), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5), 4, 4);
    }
}

void CBitmapButton::enterEvent(QEnterEvent*)
{
    m_hot = true;
    update();
}

void CBitmapButton::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

bool press_ok_on_enter(QKeyEvent* e, CBitmapButton* ok)
{
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter)
        return false;
    e->accept();
    if (ok && ok->isVisible() && ok->isEnabled() && !e->isAutoRepeat())
        ok->click();
    return true;
}

void CBitmapButton::leaveEvent(QEvent*)
{
    m_hot = false;
    update();
}

} // namespace korvid
