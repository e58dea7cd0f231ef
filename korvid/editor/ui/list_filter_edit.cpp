#include "korvid/editor/ui/list_filter_edit.h"

#include <QKeyEvent>

namespace korvid {

CListFilterEdit::CListFilterEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setPlaceholderText(QStringLiteral("Filter (Ctrl+F)"));
    setClearButtonEnabled(true);
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString& typed) { emit filterChanged(list_text(typed)); });
}

std::string CListFilterEdit::list_text(const QString& typed)
{
    std::string out;
    out.reserve(size_t(typed.size()));
    for (QChar c : typed)
        out.push_back(c.unicode() <= 0xFF ? char(c.unicode()) : '\0');
    return out;
}

void CListFilterEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && !text().isEmpty()) {
        clear();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Down && e->modifiers() == Qt::NoModifier) {
        emit leaveDown();
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

} // namespace korvid
