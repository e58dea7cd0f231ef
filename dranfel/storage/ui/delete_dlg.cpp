#include "dranfel/storage/ui/delete_dlg.h"

#include "dranfel/storage/file_operations.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace dranfel {

CDeleteDlg::CDeleteDlg(std::string folder, std::vector<std::string> names, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint)
    , m_folder(std::move(folder))
    , m_names(std::move(names))
{
    setModal(true);
    setMinimumWidth(560);
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("c1004"));
    m_path->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Delete Files"), this));
    layout->addWidget(m_path);
    m_stop = new QPushButton(QStringLiteral("&Stop"), this);
    connect(m_stop, &QPushButton::clicked, this, &CDeleteDlg::reject);
    layout->addWidget(m_stop, 0, Qt::AlignRight);
}

void CDeleteDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(100, this, &CDeleteDlg::next_entry);
}

void CDeleteDlg::next_entry()
{
    if (m_next >= m_names.size() || m_stopped) {
        accept();
        return;
    }
    auto left = delete_entry(m_folder, m_names[m_next++], [this](const std::string& path) {
        m_path->setText(QString::fromLocal8Bit(path.c_str()));
        m_path->repaint();
        if (on_file)
            on_file(path);
    });
    m_left.insert(m_left.end(), left.begin(), left.end());
    QTimer::singleShot(0, this, &CDeleteDlg::next_entry);
}

void CDeleteDlg::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace dranfel
