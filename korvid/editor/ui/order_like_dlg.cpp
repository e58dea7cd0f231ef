#include "korvid/editor/ui/order_like_dlg.h"

#include "korvid/editor/order_like_dialog.h"
#include "korvid/editor/ui/model_controls.h"
#include "korvid/ui/bitmap_button.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

namespace korvid {

COrderLikeDlg::COrderLikeDlg(OrderLikeDialog& model, QWidget* parent)
    : CEditorDialog(text8(OrderLikeDialog::CAPTION), parent)
    , m_model(model)
{
    auto* heading = new QLabel(text8(model.heading()));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    // One line each, wrapped where a channel's name makes one too long for the dialog's width.
    QStringList lines;
    for (const std::string& line : model.summary())
        lines << text8(line);
    m_summary = new QLabel(lines.join(QLatin1Char('\n')));
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setWordWrap(true);
    m_summary->setFixedWidth(620);

    m_favourites = new QCheckBox(text8(OrderLikeDialog::CHECK_FAVOURITES));
    connect(m_favourites, &QCheckBox::toggled, this, [this](bool on) { m_model.set_favourites(on); });

    auto* all = new QVBoxLayout(this);
    all->addWidget(heading);
    all->addWidget(m_summary);
    all->addWidget(m_favourites);
    all->addLayout(ok_cancel_row());
    sync();
    ok_button()->setFocus(Qt::OtherFocusReason);
}

void COrderLikeDlg::sync()
{
    show_check(m_favourites, m_model.favourites());
}

} // namespace korvid
