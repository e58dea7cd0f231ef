#include "korvid/link/ui/select_port_dlg.h"

#include "korvid/link/com_port.h"
#include "korvid/link/port_description.h"
#include "korvid/ui/skin.h"
#include "korvid/ui/skinned_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvid {

CSelectPortDlg::CSelectPortDlg(int com_port, common::Prompts* prompts, QWidget* parent)
    : CSelectPortDlg(SelectPortModel(
                         com_port,
                         [prompts](int n) { return TestPort(n, prompts); },
                         [table = serial_port_table()](int n) {
                             return n >= 1 && size_t(n) <= table.size()
                                        ? device_with_description(table[n - 1])
                                        : std::string();
                         }),
                     parent)
{}

CSelectPortDlg::CSelectPortDlg(SelectPortModel model, QWidget* parent)
    : QDialog(parent)
    , m_model(std::move(model))
{
    build();
}

void CSelectPortDlg::build()
{
    setWindowTitle(QStringLiteral("Select Serial Port"));
    setFont(skin::app_font());
    keep_dialog_size(this);
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("Serial Port :"), this);
    m_list = new QComboBox(this);
    m_list->setObjectName(QStringLiteral("port_list"));
    m_list->setMinimumWidth(220);
    for (const std::string& e : m_model.entries())
        m_list->addItem(QString::fromStdString(e));
    m_list->setCurrentIndex(m_model.selected_index());
    m_port = new QLabel(QString::fromStdString(m_model.port_text()), this);
    m_port->setObjectName(QStringLiteral("port_text"));
    m_port->setMinimumWidth(60);
    row->addWidget(caption);
    row->addWidget(m_list, 1);
    row->addWidget(m_port);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* box = new QVBoxLayout(this);
    box->addLayout(row);
    box->addSpacing(8);
    box->addWidget(buttons);
    connect(m_list, &QComboBox::activated, this, &CSelectPortDlg::on_pick);
}

void CSelectPortDlg::on_pick(int index)
{
    const int shown = m_model.select(index);
    if (shown != index) {
        QSignalBlocker block(m_list);
        m_list->setCurrentIndex(shown);
    }
    m_port->setText(QString::fromStdString(m_model.port_text()));
}

void CSelectPortDlg::finish(int& com_port) const
{
    m_model.finish(result() == QDialog::Accepted, com_port);
}

void CSelectPortDlg::run(common::Prompts* prompts, QWidget* parent)
{
    CSelectPortDlg dlg(g_ComPort, prompts, parent);
    dlg.exec();
    dlg.finish(g_ComPort);
    if (dlg.result() == QDialog::Accepted)
        remember_port(g_ComPort);
}

namespace {

const char* const PORT_KEY = "serial/port";
const char* const DEVICE_KEY = "serial/device";

} // namespace

void CSelectPortDlg::remember_port(int n)
{
    QSettings settings;
    settings.setValue(QLatin1String(PORT_KEY), n);
    settings.setValue(QLatin1String(DEVICE_KEY), QString::fromStdString(port_device(n)));
}

int CSelectPortDlg::remembered_port()
{
    QSettings settings;
    return port_to_restore(settings.value(QLatin1String(DEVICE_KEY)).toString().toStdString(),
                           settings.value(QLatin1String(PORT_KEY), 0).toInt(), serial_port_table());
}

} // namespace korvid
