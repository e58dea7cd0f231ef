#include "dranfel/storage/ui/input_name_dlg.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dranfel {

CInputNameDlg::CInputNameDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Input Name"));
    setMinimumWidth(320);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("c1000"));
    m_name->setMaxLength(128);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_name);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QString CInputNameDlg::name() const
{
    return m_name->text();
}

} // namespace dranfel
