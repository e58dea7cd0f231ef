#include "korvid/editor/ui/up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace korvid {

namespace {

QToolButton* arrow_button(Qt::ArrowType arrow, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setArrowType(arrow);
    b->setAutoRepeat(true);
    // The edit keeps the keyboard; the arrows are for the mouse.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

CUpDown::CUpDown(QLineEdit* buddy, QWidget* parent)
    : QWidget(parent)
    , m_up(arrow_button(Qt::UpArrow, this))
    , m_down(arrow_button(Qt::DownArrow, this))
{
    connect(m_up, &QToolButton::clicked, this, [this] { emit stepped(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { emit stepped(-1); });
    if (buddy)
        buddy->installEventFilter(this);
}

bool CUpDown::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            emit stepped(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void CUpDown::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

} // namespace korvid
