#include "korvid/editor/ui/editor_page_wnd.h"

#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/state_widgets.h"

#include <QKeyEvent>
#include <QPainter>

namespace korvid {

CEditorPageWnd::CEditorPageWnd(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, editor_look::page_background());
    setPalette(pal);
}

void CEditorPageWnd::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void CEditorPageWnd::add_buttons(const std::vector<std::string>& captions,
                                 std::function<void(const QString&)> pressed)
{
    for (const std::string& caption : captions) {
        auto* b = new CPageButton(text8(caption), this);
        m_buttons.push_back(b);
        connect(b, &QAbstractButton::clicked, this, [pressed, text = b->text()] { pressed(text); });
    }
}

void CEditorPageWnd::place_list_and_buttons(QWidget* list)
{
    constexpr int MARGIN = 2;
    const int buttons_top = height() - CPageButton::HEIGHT - MARGIN;
    list->setGeometry(MARGIN, TOP_ROW_HEIGHT, width() - 2 * MARGIN, buttons_top - TOP_ROW_HEIGHT - 4);
    int x = MARGIN;
    for (CPageButton* b : m_buttons) {
        b->setGeometry(x, buttons_top, CPageButton::WIDTH, CPageButton::HEIGHT);
        x += CPageButton::WIDTH + 2;
    }
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
