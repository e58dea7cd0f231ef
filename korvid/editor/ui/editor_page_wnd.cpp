#include "korvid/editor/ui/editor_page_wnd.h"

#include "korvid/editor/ui/editor_look.h"

#include <QKeyEvent>
#include <QPainter>

namespace korvid {

CEditorPageWnd::CEditorPageWnd(QWidget* parent)
    : QWidget(parent)
{
    editor_look::use_page_background(this);
}

void CEditorPageWnd::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

CPendingPageWnd::CPendingPageWnd(const QString& caption, QWidget* parent)
    : CEditorPageWnd(parent)
    , m_caption(caption)
{}

QString CPendingPageWnd::message() const
{
    return QStringLiteral("The \"%1\" page cannot be shown in this version of Korvid.\n"
                          "Its data is kept, saved and transferred as it is.")
        .arg(m_caption);
}

void CPendingPageWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(QColor(90, 100, 120));
    p.drawText(rect().adjusted(16, 16, -16, -16), Qt::AlignLeft | Qt::AlignTop, message());
}

} // namespace korvid
