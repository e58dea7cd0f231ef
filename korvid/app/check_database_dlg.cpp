#include "korvid/app/check_database_dlg.h"

#include "korvid/ui/bitmap_button.h"
#include "korvid/ui/skin.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>

namespace korvid {

CCheckDatabaseDlg::CCheckDatabaseDlg(QWidget* parent)
    : CSkinnedDialog(QStringLiteral("Check Database"), QSize(640, 420), parent)
{
    m_summary = new QLabel(this);
    m_summary->setGeometry(20, 34, 600, 22);
    m_summary->setFont(skin::app_font());
    m_summary->setStyleSheet(QStringLiteral("color: white;"));
    m_list = new QListWidget(this);
    m_list->setGeometry(20, 60, 600, 300);
    m_list->setFont(skin::app_font());
    m_ok = new CBitmapButton(QStringLiteral("OK"), this);
    m_ok->setGeometry(540, 370, 80, 34);
    connect(m_ok, &QAbstractButton::clicked, this, &QDialog::accept);
}

void CCheckDatabaseDlg::show_problems(const std::vector<DatabaseProblem>& problems)
{
    m_summary->setText(QString::fromStdString(problem_count_text(problems)));
    m_list->clear();
    for (const DatabaseProblem& p : problems) {
        auto* item = new QListWidgetItem(QString::fromLatin1(problem_line(p).c_str()), m_list);
        if (p.severity == ProblemSeverity::Damaged)
            item->setForeground(QColor(200, 0, 0));
    }
}

QString CCheckDatabaseDlg::summary() const
{
    return m_summary->text();
}

QStringList CCheckDatabaseDlg::rows() const
{
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i)
        out << m_list->item(i)->text();
    return out;
}

void CCheckDatabaseDlg::keyPressEvent(QKeyEvent* e)
{
    if (press_ok_on_enter(e, m_ok))
        return;
    QDialog::keyPressEvent(e);
}

} // namespace korvid
