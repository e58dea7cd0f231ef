#include "korvid/editor/ui/group_name_dlg.h"

#include "korvid/editor/group_name_dialog.h"
#include "korvid/editor/ui/editor_look.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/ui/bitmap_button.h"
#include "korvid/ui/skin.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace korvid {

CGroupNameDlg::CGroupNameDlg(GroupNameDialog& model, QWidget* parent)
    : QDialog(parent)
    , m_model(model)
{
    setWindowTitle(text8(GroupNameDialog::CAPTION));
    setFont(skin::app_font());
    editor_look::use_page_background(this);

    m_heading = new QLabel(text8(model.heading()));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);

    m_name = new QLineEdit;
    m_name->setMinimumWidth(160);
    show_edit(m_name, model.name_edit());
    m_name->selectAll();
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_name(bytes8(t));
        show_edit(m_name, m_model.name_edit());
    });
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(text8(GroupNameDialog::GROUP_LABEL)));
    top->addWidget(m_heading, 1);
    auto* name_row = new QHBoxLayout;
    name_row->addWidget(new QLabel(text8(GroupNameDialog::LABEL_NAME)));
    name_row->addWidget(m_name, 1);

    m_ok = new CBitmapButton(text8(GroupNameDialog::BUTTON_OK));
    m_cancel = new CBitmapButton(text8(GroupNameDialog::BUTTON_CANCEL));
    for (CBitmapButton* b : {m_ok, m_cancel})
        b->setFixedSize(80, 34);
    connect(m_ok, &QAbstractButton::clicked, this, &CGroupNameDlg::on_ok);
    connect(m_cancel, &QAbstractButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(name_row);
    all->addLayout(buttons);
    m_name->setFocus(Qt::OtherFocusReason);
}

void CGroupNameDlg::on_ok()
{
    if (m_model.ok()) {
        accept();
        return;
    }
    // The dialog stays with the name as typed, ready to be put right.
    m_name->setFocus(Qt::OtherFocusReason);
    m_name->selectAll();
}

void CGroupNameDlg::keyPressEvent(QKeyEvent* e)
{
    if (press_ok_on_enter(e, m_ok))
        return;
    QDialog::keyPressEvent(e);
}

} // namespace korvid
