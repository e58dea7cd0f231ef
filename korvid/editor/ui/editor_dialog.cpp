#include "korvid/editor/ui/editor_dialog.h"

#include "korvid/editor/ui/editor_look.h"
#include "korvid/ui/bitmap_button.h"
#include "korvid/ui/skin.h"
#include "korvid/ui/skinned_dialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

namespace korvid {

CEditorDialog::CEditorDialog(const QString& caption, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    setFont(skin::app_font());
    editor_look::use_page_background(this);
    keep_dialog_size(this);

    m_ok = new CBitmapButton(QStringLiteral("OK"));
    m_cancel = new CBitmapButton(QStringLiteral("Cancel"));
    for (CBitmapButton* b : {m_ok, m_cancel})
        b->setFixedSize(BUTTON_WIDTH, BUTTON_HEIGHT);
    connect(m_ok, &QAbstractButton::clicked, this, &CEditorDialog::on_ok);
    connect(m_cancel, &QAbstractButton::clicked, this, &QDialog::reject);
}

CEditorDialog::~CEditorDialog()
{
    // A dialog torn down before it placed them (an exception while building) still owns them.
    for (CBitmapButton* b : {m_ok, m_cancel})
        if (!b->parent())
            delete b;
}

QHBoxLayout* CEditorDialog::ok_cancel_row() const
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_ok);
    row->addWidget(m_cancel);
    return row;
}

void CEditorDialog::on_ok()
{
    if (model_ok()) {
        accept();
        return;
    }
    if (QLineEdit* target = edit_to_fix()) {
        target->setFocus(Qt::OtherFocusReason);
        target->selectAll();
    }
}

void CEditorDialog::keyPressEvent(QKeyEvent* e)
{
    if (press_ok_on_enter(e, m_ok))
        return;
    QDialog::keyPressEvent(e);
}

} // namespace korvid
