#include "korvid/app/about_dlg.h"

#include "korvid/frame/frame_rules.h"
#include "korvid/ui/bitmap_button.h"
#include "korvid/ui/skin.h"

#include <QKeyEvent>
#include <QPainter>

namespace korvid {

CAboutDlg::CAboutDlg(QWidget* parent)
    : CSkinnedDialog(QStringLiteral("About Korvid"), QSize(490, 192), parent)
{
    m_picture = skin::about_picture();
    m_ok = new CBitmapButton(QStringLiteral("OK"), this);
    m_ok->setGeometry(384, 126, 80, 34);
    connect(m_ok, &QAbstractButton::clicked, this, &QDialog::accept);
    m_ok->setFocus();
}

void CAboutDlg::keyPressEvent(QKeyEvent* e)
{
    if (press_ok_on_enter(e, m_ok))
        return;
    QDialog::keyPressEvent(e);
}

void CAboutDlg::paintEvent(QPaintEvent* e)
{
    CSkinnedDialog::paintEvent(e);
    QPainter p(this);
    p.drawPixmap(60, 103, m_picture);
    p.setFont(skin::arial(17, QFont::Bold));
    p.setPen(Qt::white);
    p.drawText(QRect(180, 80, 300, 22), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(about_version_line()));
    p.setFont(skin::arial(13));
    p.setPen(QColor(200, 214, 240));
    p.drawText(QRect(180, 104, 196, 36), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Database and software tool"));
}

} // namespace korvid
