#include "korvid/editor/ui/group_name_dlg.h"

#include "korvid/editor/group_name_dialog.h"
#include "korvid/editor/ui/model_controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace korvid {

CGroupNameDlg::CGroupNameDlg(GroupNameDialog& model, QWidget* parent)
    : CEditorDialog(text8(GroupNameDialog::CAPTION), parent)
    , m_model(model)
{
    m_heading = new QLabel(text8(model.heading()));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);

    m_name = new QLineEdit;
    m_name->setMinimumWidth(160);
    sync();
    m_name->selectAll();
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.type_name(bytes8(t));
        sync();
    });
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(text8(GroupNameDialog::GROUP_LABEL)));
    top->addWidget(m_heading, 1);
    auto* name_row = new QHBoxLayout;
    name_row->addWidget(new QLabel(text8(GroupNameDialog::LABEL_NAME)));
    name_row->addWidget(m_name, 1);

    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(name_row);
    all->addLayout(ok_cancel_row());
    m_name->setFocus(Qt::OtherFocusReason);
}

void CGroupNameDlg::sync()
{
    show_edit(m_name, m_model.name_edit());
}

bool CGroupNameDlg::model_ok()
{
    return m_model.ok();
}

} // namespace korvid
