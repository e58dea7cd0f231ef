#include "korvid/ui/skinned_dialog.h"

#include "korvid/ui/frameless_drag.h"
#include "korvid/ui/skin.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>

namespace korvid {

CSkinnedDialog::CSkinnedDialog(const QString& title, QSize size, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_title(title)
{
    setWindowTitle(title);
    setFixedSize(size);
    QBitmap mask(size);
    mask.fill(Qt::color0);
    {
        QPainter p(&mask);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::color1);
        p.drawRoundedRect(QRect(QPoint(0, 0), size), 4, 4);
    }
    setMask(mask);
    m_background = skin::dialog_background(size);
    new FramelessDrag(this, [this](const QPoint& pos) { return in_grip(pos); });
}

namespace {

class KeepSizeOnShow : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        // By the show event the dialog has taken the size its layout asks for.
        if (e->type() == QEvent::Show) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->minimumSize() != w->maximumSize())
                w->setFixedSize(w->size());
        }
        return false;
    }
};

} // namespace

void keep_dialog_size(QDialog* dialog)
{
    dialog->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    dialog->setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    dialog->installEventFilter(new KeepSizeOnShow(dialog));
}

void CSkinnedDialog::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_background);
    p.drawPixmap(close_box().topLeft(), skin::close_box(false));
    p.setFont(skin::arial(15, QFont::Bold));
    p.setPen(QColor(0x45, 0x46, 0x48));
    p.drawText(QRect(11, 8, 300, 18), Qt::AlignLeft | Qt::AlignVCenter, m_title);
}

void CSkinnedDialog::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && close_box().contains(e->position().toPoint()))
        close_box_clicked();
}

} // namespace korvid
