#include "korvid/editor/ui/editor_page_wnd.h"

#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/state_widgets.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

namespace korvid {

namespace {

constexpr int MARGIN = 2;
constexpr int LIST_GAP = 4;

} // namespace

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

void CEditorPageWnd::act(const std::function<void()>& action)
{
    action();
    sync();
}

void CEditorPageWnd::make_buttons(const std::vector<std::string>& captions)
{
    for (const std::string& caption : captions) {
        auto* b = new CPageButton(text8(caption), this);
        m_buttons.push_back(b);
        // The button says "Del" where the menu says "Delete"; both delete.
        const QString entry = caption == "Del" ? QStringLiteral("Delete") : text8(caption);
        connect(b, &QAbstractButton::clicked, this, [this, entry] { run_menu_entry(entry); });
    }
}

void CEditorPageWnd::show_context_menu(const std::vector<std::string>& entries, QPoint global_pos)
{
    QMenu menu(this);
    for (const std::string& entry : entries)
        menu.addAction(text8(entry));
    if (QAction* chosen = menu.exec(global_pos))
        run_menu_entry(chosen->text());
}

void CEditorPageWnd::layout_list_and_buttons(QWidget* list, int top)
{
    const int buttons_top = height() - CPageButton::HEIGHT - MARGIN;
    list->setGeometry(MARGIN, top, width() - 2 * MARGIN, buttons_top - top - LIST_GAP);
    int x = MARGIN;
    for (CPageButton* b : m_buttons) {
        b->setGeometry(x, buttons_top, CPageButton::WIDTH, CPageButton::HEIGHT);
        x += CPageButton::WIDTH + MARGIN;
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
