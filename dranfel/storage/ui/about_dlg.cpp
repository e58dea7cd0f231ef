#include "dranfel/storage/ui/about_dlg.h"

#include "dranfel/storage/frame_rules.h"
#include "dranfel/storage/ui/images.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace dranfel {

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(ABOUT_CAPTION));
    auto* icon = new QLabel(this);
    icon->setPixmap(images::program_icon(48));
    auto* version = new QLabel(QString::fromLatin1(ABOUT_VERSION), this);
    version->setObjectName(QStringLiteral("version"));
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(version, 0, 1);
    layout->addWidget(m_ok, 1, 2);
    layout->setColumnMinimumWidth(1, 200);
    layout->setHorizontalSpacing(16);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace dranfel
